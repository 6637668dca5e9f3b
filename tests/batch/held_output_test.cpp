#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "imaging/replace_file.h"
#include "support/file_holder.h"
#include "support/run_log.h"
#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"

namespace {

const std::string kEarlierOutput = "an earlier output";
// About how long a virus scanner holds a file it has just seen written.
constexpr DWORD kBriefHoldMs = 300;
constexpr DWORD kLetGoTimeoutMs = 10000;
// The user's guide promises that a held earlier output is waited for about a second at
// most. A run of two 40-pixel images that meets one has taken up to 1.5 s on two cores busy
// with ten processes; this leaves room for a slower PC, and fails a wait of two seconds.
constexpr ULONGLONG kRunPastAHeldOutputMs = 2000;

// A batch run that meets an earlier output held by another program, as one does on
// Windows when a scanner, the indexer or a sync client has it open, or one that is
// read-only.
class HeldOutputTest : public testing::Test {
 protected:
  void WriteEarlierOutput(const std::wstring& name)
  {
    MakeFolder(folder.PathOf(L"datas"));
    WriteBytes(folder.OutputOf(name), kEarlierOutput);
  }

  // Runs a batch at height 20 over the folder and returns how long it took.
  ULONGLONG TimedRunMs()
  {
    window.SetSizeTexts(L"", L"20");
    const ULONGLONG start = GetTickCount64();
    window.RunBatch(folder.Path());
    return GetTickCount64() - start;
  }

  TestWindow window;
  TempFolder folder;
};

TEST_F(HeldOutputTest, AnOutputLetGoSoonAfterIsReplacedOnALaterTry)
{
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteEarlierOutput(L"a.png");
  const FileHolder holder(folder.OutputOf(L"a.png"), kBriefHoldMs);
  ASSERT_TRUE(holder.Holding());

  TimedRunMs();
  EXPECT_EQ(window.LogLines(), RunLog(0, 20, {L"a.png"}));
  EXPECT_TRUE(holder.LetGo(kLetGoTimeoutMs)) << "the helper never saw the temporary file";
  const DecodedImage output = DecodeImage(folder.OutputOf(L"a.png"));
  EXPECT_TRUE(output.decoded && output.width == 20 && output.height == 20);
  EXPECT_EQ(folder.OutputNames(), std::set<std::wstring>{L"a.png"});
}

TEST_F(HeldOutputTest, AnOutputHeldThroughoutFailsOnlyAfterTheRetriesAndTheRunGoesOn)
{
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteImage(folder.PathOf(L"b.png"), 40, 40, L"image/png");
  // The first file the run meets is the held one, so that it has another to go on with.
  const std::vector<std::wstring> names = FileNamesIn(folder.Path());
  ASSERT_EQ(names.size(), 2u);
  WriteEarlierOutput(names[0]);
  const FileHolder holder(folder.OutputOf(names[0]));
  ASSERT_TRUE(holder.Holding());

  const ULONGLONG elapsedMs = TimedRunMs();
  EXPECT_EQ(window.LogLines(), RunLog(0, 20, names, {names[0]}));
  EXPECT_GE(elapsedMs, kHeldFileRetryMs);
  EXPECT_LE(elapsedMs, kRunPastAHeldOutputMs) << "the held output was waited for too long";
  EXPECT_EQ(ReadBytes(folder.OutputOf(names[0])), kEarlierOutput);
  EXPECT_TRUE(DecodeImage(folder.OutputOf(names[1])).decoded);
  EXPECT_EQ(folder.OutputNames(), std::set<std::wstring>(names.begin(), names.end()));
}

TEST_F(HeldOutputTest, AReadOnlyOutputFailsAtOnceAndStaysAsItWas)
{
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteEarlierOutput(L"a.png");
  const std::wstring output = folder.OutputOf(L"a.png");
  ASSERT_TRUE(SetFileAttributesW(output.c_str(), FILE_ATTRIBUTE_READONLY));

  const ULONGLONG elapsedMs = TimedRunMs();
  EXPECT_EQ(window.LogLines(), RunLog(0, 20, {L"a.png"}, {L"a.png"}));
  EXPECT_LT(elapsedMs, kHeldFileRetryMs) << "a read-only output was waited for";
  EXPECT_EQ(ReadBytes(output), kEarlierOutput);
  EXPECT_EQ(GetFileAttributesW(output.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(folder.OutputNames(), std::set<std::wstring>{L"a.png"});
}

}  // namespace
