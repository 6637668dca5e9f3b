#include <windows.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "e2e_fixture.h"
#include "support/crafted_images.h"
#include "support/kit_paths.h"
#include "support/shared_files.h"
#include "support/temp_folder.h"
#include "support/test_images.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;
const std::string kFailedSuffix = " 处理失败";

struct InputSnapshot {
  std::string bytes;
  DWORD attributes;
};

// Every file directly in folder, with its bytes and attributes.
std::map<std::wstring, InputSnapshot> Snapshot(const std::wstring& folder)
{
  std::map<std::wstring, InputSnapshot> files;
  for (const std::wstring& name : FileNamesIn(folder)) {
    const std::wstring path = folder + L"\\" + name;
    files[name] = {ReadBytes(path), GetFileAttributesW(path.c_str())};
  }
  return files;
}

class HostileFolderTest : public QuillmereTest {
 protected:
  // Runs a batch at height 100 over the folder and checks what must hold for any input:
  // one line per listed file, a summary that counts the successes, every success a
  // decodable image of the right size and nothing else new in datas, every input
  // unchanged. Keeps the names that succeeded in succeeded.
  void RunAndCheck(const std::vector<std::wstring>& listed)
  {
    const std::map<std::wstring, InputSnapshot> before = Snapshot(folder.Path());
    const std::set<std::wstring> earlierOutputs = folder.OutputNames();
    ChooseFolder(folder.Path());
    const std::string summaryPrefix = "处理完成! 成功: ";
    App().Click(driver::kStartId);
    ASSERT_TRUE(App().WaitForRunEnd(kRunTimeoutMs)) << "the run did not end";
    const Lines log = Log();
    const auto start = std::find(log.begin(), log.end(), "开始处理图片...");
    ASSERT_TRUE(start != log.end()) << "the run logged no start line";
    const Lines run(start, log.end());

    std::set<std::string> expectedNames;
    for (const std::wstring& name : listed)
      expectedNames.insert(Utf8(name));
    std::set<std::string> reported;
    succeeded.clear();
    EXPECT_EQ(run.size(), listed.size() + 4);
    for (size_t index = 3; index + 1 < run.size(); ++index) {
      const std::string& line = run[index];
      const bool success = line.rfind("✓ ", 0) == 0;
      std::string name = line.substr(std::string("✓ ").size());
      if (!success) {
        EXPECT_EQ(line.rfind("✗ ", 0), 0u) << line;
        const size_t suffixAt = name.size() - std::min(name.size(), kFailedSuffix.size());
        EXPECT_EQ(name.substr(suffixAt), kFailedSuffix) << line;
        name.resize(suffixAt);
      }
      EXPECT_TRUE(reported.insert(name).second) << "reported twice: " << name;
      if (success)
        succeeded.insert(name);
    }
    EXPECT_EQ(reported, expectedNames);
    EXPECT_EQ(run.back(), summaryPrefix + std::to_string(succeeded.size()) + "/" +
                              std::to_string(listed.size()));

    std::set<std::string> outputs = succeeded;
    for (const std::wstring& name : earlierOutputs)
      outputs.insert(Utf8(name));
    std::set<std::string> inDatas;
    for (const std::wstring& name : folder.OutputNames())
      inDatas.insert(Utf8(name));
    EXPECT_EQ(inDatas, outputs) << "datas holds other files than the outputs";
    for (const std::wstring& name : listed) {
      if (succeeded.count(Utf8(name)))
        ExpectResizedCopy(name);
    }
    ExpectFilesAsBefore(before);
  }

  // The folder's files are those of before, each with the same bytes and attributes.
  void ExpectFilesAsBefore(const std::map<std::wstring, InputSnapshot>& before)
  {
    const std::map<std::wstring, InputSnapshot> after = Snapshot(folder.Path());
    EXPECT_EQ(after.size(), before.size());
    for (const auto& input : before) {
      SCOPED_TRACE(Utf8(input.first));
      const auto same = after.find(input.first);
      if (same == after.end()) {
        ADD_FAILURE() << "input gone";
        continue;
      }
      EXPECT_TRUE(same->second.bytes == input.second.bytes) << "input changed";
      EXPECT_EQ(same->second.attributes, input.second.attributes);
    }
  }

  // 100 pixels high, and as wide as the input's aspect ratio makes it (to a pixel).
  void ExpectResizedCopy(const std::wstring& name)
  {
    SCOPED_TRACE(Utf8(name));
    const DecodedImage input = DecodeImage(folder.PathOf(name));
    const DecodedImage output = DecodeImage(folder.OutputOf(name));
    ASSERT_TRUE(input.decoded && output.decoded);
    EXPECT_EQ(output.height, 100u);
    const double width = std::max(1.0, 100.0 * input.width / input.height);
    EXPECT_LE(std::abs(static_cast<double>(output.width) - width), 1.0) << output.width;
  }

  TempFolder folder;
  std::set<std::string> succeeded;
};

TEST_F(HostileFolderTest, BrokenStrangeAndOversizedFilesEachGetOneLine)
{
  const std::wstring generated = HostileImagesFolder();
  ASSERT_TRUE(IsFolder(generated)) << Utf8(generated);
  std::vector<std::wstring> listed = CopyFiles(generated, folder.Path(), L"");

  WriteImage(folder.PathOf(L"base.jpg"), 64, 48, L"image/jpeg");
  WriteImage(folder.PathOf(L"base.bmp"), 64, 48, L"image/bmp");
  WriteImage(folder.PathOf(L"base.gif"), 64, 48, L"image/gif");
  std::vector<CraftedFile> crafted =
      DecompressionBombs(ReadBytes(folder.PathOf(L"base.jpg")),
                         ReadBytes(folder.PathOf(L"base.bmp")),
                         ReadBytes(folder.PathOf(L"base.gif")));
  const std::vector<CraftedFile> impossible = ImpossiblePngs();
  crafted.insert(crafted.end(), impossible.begin(), impossible.end());
  for (const CraftedFile& file : crafted) {
    ASSERT_FALSE(file.bytes.empty()) << file.name;
    WriteBytes(folder.PathOf(file.WideName()), file.bytes);
    listed.push_back(file.WideName());
  }
  listed.insert(listed.end(), {L"base.jpg", L"base.bmp", L"base.gif"});

  const std::vector<std::wstring> strangeNames = {
      L"海边 日落.png", L"\U0001F600 smile.jpg", L"  spaced  name .bmp", L"two.png.jpg",
      L"UPPER.PNG",     L"hidden.png",           L"readonly.jpg"};
  for (const std::wstring& name : strangeNames)
    WriteImage(folder.PathOf(name), 90, 60, L"image/png");
  listed.insert(listed.end(), strangeNames.begin(), strangeNames.end());
  ASSERT_TRUE(SetFileAttributesW(folder.PathOf(L"hidden.png").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(folder.PathOf(L"readonly.jpg").c_str(), FILE_ATTRIBUTE_READONLY));
  MakeFolder(folder.PathOf(L"folder.jpg"));
  WriteImage(folder.PathOf(L"folder.jpg\\inside.png"), 10, 10, L"image/png");

  ASSERT_NO_FATAL_FAILURE(RunAndCheck(listed));

  for (const char* name : {"animated.gif", "multipage.tiff", "deep16.png", "palette.png",
                           "base.jpg", "海边 日落.png", "\U0001F600 smile.jpg",
                           "  spaced  name .bmp", "two.png.jpg", "UPPER.PNG", "hidden.png",
                           "readonly.jpg"})
    EXPECT_TRUE(succeeded.count(name)) << name << " should have been resized";
  // A file cut short, even to its header, may decode as far as it goes: then it is held
  // to its size like any success.
  for (const char* name : {"zero.jpg", "zero.png", "random.png", "random.jpg", "random.webp"})
    EXPECT_FALSE(succeeded.count(name)) << name << " cannot be a real image";
  for (const CraftedFile& file : crafted) {
    EXPECT_FALSE(succeeded.count(file.name)) << file.name << " claims a size it cannot have";
    EXPECT_FALSE(FileExists(folder.OutputOf(file.WideName()))) << file.name;
  }
  EXPECT_FALSE(FileExists(folder.OutputOf(L"inside.png")));
}

TEST_F(HostileFolderTest, EveryPublicTestImageGetsOneLine)
{
  const std::wstring corpus = CorpusFolder();
  ASSERT_TRUE(IsFolder(corpus)) << Utf8(corpus);
  std::vector<std::wstring> listed;
  for (const std::wstring subfolder : {L"pngsuite", L"png-crashers", L"jpeg-turbo"}) {
    const std::wstring source = corpus + L"\\" + subfolder;
    for (const std::wstring& name : CopyFiles(source, folder.Path(), subfolder + L"-")) {
      if (name.find(L".png") != std::wstring::npos || name.find(L".jpg") != std::wstring::npos ||
          name.find(L".bmp") != std::wstring::npos)
        listed.push_back(name);
    }
  }
  RunAndCheck(listed);
}

// No output could be saved under a name held by a file: the run says so once and ends.
TEST_F(HostileFolderTest, DatasAsAReadOnlyFileEndsTheRunAndStaysIntact)
{
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteImage(folder.PathOf(L"b.jpg"), 40, 40, L"image/jpeg");
  WriteBytes(folder.PathOf(L"datas"), "a file, not a folder");
  ASSERT_TRUE(SetFileAttributesW(folder.PathOf(L"datas").c_str(), FILE_ATTRIBUTE_READONLY));
  const std::map<std::wstring, InputSnapshot> before = Snapshot(folder.Path());
  ChooseFolder(folder.Path());
  const driver::ProgressState progressBefore = App().Progress();

  const std::string error = "错误：无法创建输出目录";
  RunBatch(error);
  Lines expected = Greeting();
  expected.insert(expected.end(), {SelectedLine(folder.Path()), error});
  EXPECT_EQ(Log(), expected);
  const driver::ProgressState progress = App().Progress();
  EXPECT_EQ(progress.high, progressBefore.high);
  EXPECT_EQ(progress.position, progressBefore.position);
  ExpectFilesAsBefore(before);
}

TEST_F(HostileFolderTest, AnOutputHeldOpenByAnotherProgramFailsAloneAndKeepsItsBytes)
{
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteImage(folder.PathOf(L"held.png"), 40, 40, L"image/png");
  WriteImage(folder.PathOf(L"c.png"), 40, 40, L"image/png");
  MakeFolder(folder.PathOf(L"datas"));
  WriteBytes(folder.OutputOf(L"held.png"), "an earlier output");
  const HANDLE opened = CreateFileW(folder.OutputOf(L"held.png").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(opened, INVALID_HANDLE_VALUE);
  {
    const ScopedHandle held(opened);
    RunAndCheck({L"a.png", L"held.png", L"c.png"});
  }
  ASSERT_FALSE(HasFatalFailure());

  EXPECT_EQ(succeeded, (std::set<std::string>{"a.png", "c.png"}));
  EXPECT_EQ(ReadBytes(folder.OutputOf(L"held.png")), "an earlier output");
  EXPECT_EQ(folder.OutputNames(), (std::set<std::wstring>{L"a.png", L"c.png", L"held.png"}));
}

}  // namespace
