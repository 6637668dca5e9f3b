#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "e2e_fixture.h"
#include "support/kit_paths.h"
#include "support/kit_test_run.h"
#include "support/temp_folder.h"
#include "support/test_images.h"

namespace {

size_t CountStartingWith(const Lines& lines, const std::string& prefix)
{
  const auto starts = [&prefix](const std::string& line) {
    return line.compare(0, prefix.size(), prefix) == 0;
  };
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), starts));
}

// Makes folder hold an empty file under each name, once: a marker written last says that a
// run has made them all, and later runs keep them. The making does not count against the
// run's time limit: Windows makes them in seconds, but Wine reads through the whole folder
// for each new name, which would take it a quarter of an hour, so runs under Wine make the
// folder first, with the same marker.
void KeepEmptyFiles(const std::wstring& folder, const std::vector<std::wstring>& names)
{
  const std::wstring marker = folder + L"\\complete.txt";
  if (FileExists(marker))
    return;
  const OutsideTheTestLimit notCounted;
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << Utf8(folder);
  }
  for (const std::wstring& name : names) {
    const HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(name) << ": error " << GetLastError();
    const ScopedHandle made(file);
  }
  ASSERT_NO_FATAL_FAILURE(WriteBytes(marker, ""));
}

}  // namespace

using BatchEndToEndTest = QuillmereTest;

// Camera and phone folders name their files in upper case: the format still follows the
// extension, whatever its letter case.
TEST_F(BatchEndToEndTest, InitialSizesScaleEveryImageTo100PixelsHighInItsOwnFormat)
{
  TempFolder folder;
  WriteImages(folder.Path(), {{L"photo.jpg", 640, 480, L"image/jpeg"},
                              {L"wide.png", 300, 150, L"image/png"},
                              {L"tall.bmp", 50, 200, L"image/bmp"},
                              {L"banner.gif", 120, 60, L"image/gif"},
                              {L"scan.tiff", 80, 80, L"image/tiff"},
                              {L"IMG_0001.JPG", 400, 300, L"image/jpeg"},
                              {L"DSC_0002.Jpeg", 300, 400, L"image/jpeg"},
                              {L"SCREEN.PNG", 200, 100, L"image/png"},
                              {L"FAX.TIFF", 100, 100, L"image/tiff"}});
  WriteBytes(folder.PathOf(L"broken.png"), "not an image");
  WriteBytes(folder.PathOf(L"notes.txt"), "not an image name");
  ChooseFolder(folder.Path());

  EXPECT_TRUE(RunBatch("处理完成! 成功: 9/10")) << "Start stayed enabled after the press";

  const std::vector<std::wstring> files = InListingOrder(
      folder.Path(), {L"photo.jpg", L"wide.png", L"tall.bmp", L"banner.gif", L"scan.tiff",
                      L"IMG_0001.JPG", L"DSC_0002.Jpeg", L"SCREEN.PNG", L"FAX.TIFF", L"broken.png"});
  ASSERT_EQ(files.size(), 10u);
  const Lines expected = AfterGreeting(
      {{SelectedLine(folder.Path())}, RunLog(0, 100, files, {L"broken.png"})});
  EXPECT_EQ(Log(), expected);

  const driver::ProgressState progress = App().Progress();
  EXPECT_EQ(progress.low, 0);
  EXPECT_EQ(progress.high, 10);
  EXPECT_EQ(progress.position, 10);
  // A run changes both with their drawing held off, which hides them meanwhile.
  EXPECT_TRUE(IsWindowVisible(App().Control(driver::kProgressId)));
  EXPECT_TRUE(IsWindowVisible(App().Control(driver::kLogListId)));

  struct Output {
    const wchar_t* name;
    const char* format;
    UINT width;
    UINT height;
  };
  const Output outputs[] = {{L"photo.jpg", "jpeg", 133, 100}, {L"wide.png", "png", 200, 100},
                            {L"tall.bmp", "bmp", 25, 100},    {L"banner.gif", "gif", 200, 100},
                            {L"scan.tiff", "tiff", 100, 100},
                            {L"IMG_0001.JPG", "jpeg", 133, 100},
                            {L"DSC_0002.Jpeg", "jpeg", 75, 100},
                            {L"SCREEN.PNG", "png", 200, 100},
                            {L"FAX.TIFF", "tiff", 100, 100}};
  for (const Output& output : outputs) {
    SCOPED_TRACE(Utf8(output.name));
    const DecodedImage image = DecodeImage(folder.OutputOf(output.name));
    ASSERT_TRUE(image.decoded);
    EXPECT_EQ(image.width, output.width);
    EXPECT_EQ(image.height, output.height);
    EXPECT_EQ(FormatOf(folder.OutputOf(output.name)), output.format);
  }
  EXPECT_FALSE(FileExists(folder.OutputOf(L"broken.png")));
  EXPECT_FALSE(FileExists(folder.OutputOf(L"notes.txt")));
}

TEST_F(BatchEndToEndTest, FullWidthDigitsReadAsTheirValue)
{
  TempFolder folder;
  WriteImages(folder.Path(), {{L"a.png", 400, 300, L"image/png"}});
  ChooseFolder(folder.Path());
  App().SetSizes(L"２００", L"");
  ASSERT_EQ(Utf8(driver::TextOf(App().Control(driver::kWidthEditId))), "２００");

  RunBatch("处理完成! 成功: 1/1");
  const Lines expected =
      AfterGreeting({{SelectedLine(folder.Path())}, RunLog(200, 0, {L"a.png"})});
  EXPECT_EQ(Log(), expected);
  const DecodedImage image = DecodeImage(folder.OutputOf(L"a.png"));
  ASSERT_TRUE(image.decoded);
  EXPECT_EQ(image.width, 200u);
  EXPECT_EQ(image.height, 150u);
}

TEST_F(BatchEndToEndTest, BothBoxesEmptyOnlyLogsAnError)
{
  TempFolder folder;
  WriteImages(folder.Path(), {{L"a.png", 40, 30, L"image/png"}});
  ChooseFolder(folder.Path());
  App().SetSizes(L"", L"");
  const driver::ProgressState before = App().Progress();

  const std::string error = "错误：请至少指定宽度或高度之一";
  RunBatch(error);
  const Lines expected = AfterGreeting({{SelectedLine(folder.Path()), error}});
  EXPECT_EQ(Log(), expected);
  EXPECT_FALSE(IsFolder(folder.PathOf(L"datas")));
  const driver::ProgressState after = App().Progress();
  EXPECT_EQ(after.low, before.low);
  EXPECT_EQ(after.high, before.high);
  EXPECT_EQ(after.position, before.position);
}

TEST_F(BatchEndToEndTest, ClearLogDuringARunKeepsTheRunsLaterLines)
{
  const int kImages = 60;
  TempFolder folder;
  WriteNumberedImages(folder.Path(), kImages);
  ChooseFolder(folder.Path());

  App().Click(driver::kStartId);
  ASSERT_TRUE(App().WaitUntil([this] { return CountStartingWith(Log(), "✓ ") > 0; },
                                driver::kUiTimeoutMs));
  App().Click(driver::kClearLogId);
  EXPECT_FALSE(App().StartEnabled()) << "the run ended before the log was cleared";
  ASSERT_TRUE(App().WaitForRunEnd(kRunTimeoutMs));

  const Lines run = RunLog(0, 100, InListingOrder(folder.Path(), NumberedNames(kImages)));
  const Lines log = Log();
  ASSERT_FALSE(log.empty());
  ASSERT_LT(log.size(), run.size()) << "the log was not cleared";
  EXPECT_EQ(log, Lines(run.end() - static_cast<std::ptrdiff_t>(log.size()), run.end()));
  EXPECT_TRUE(driver::NewestLineInView(App().Control(driver::kLogListId)));
}

TEST_F(BatchEndToEndTest, StartPressedTwiceQuicklyStartsOneRun)
{
  const int kImages = 8;
  TempFolder folder;
  WriteNumberedImages(folder.Path(), kImages);
  ChooseFolder(folder.Path());
  const Lines run = RunLog(0, 100, InListingOrder(folder.Path(), NumberedNames(kImages)));
  // A second run would have begun long before the first one's summary.
  const auto waitForSummary = [this] {
    const bool ended = App().WaitUntil(
        [this] {
          return CountStartingWith(Log(), "处理完成! 成功: ") > 0 && App().StartEnabled();
        },
        kRunTimeoutMs);
    EXPECT_TRUE(ended) << "no run ended";
  };

  App().Click(driver::kStartId);
  App().Click(driver::kStartId);
  waitForSummary();
  EXPECT_EQ(Log(), AfterGreeting({{SelectedLine(folder.Path())}, run})) << "after two clicks";

  App().Click(driver::kClearLogId);
  const HWND start = App().Control(driver::kStartId);
  for (int press = 0; press < 2; ++press)
    PostMessageW(App().Window(), WM_COMMAND, MAKEWPARAM(driver::kStartId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(start));
  waitForSummary();
  EXPECT_EQ(Log(), run) << "after two queued commands";
}

// Closed while an output is being written, the program still ends promptly, and what it
// leaves in datas is whole: the file in hand is finished, no temporary file stays behind,
// and the outputs of the earlier attempts, written over again, are never damaged.
TEST_F(BatchEndToEndTest, ClosingDuringARunEndsPromptlyAndLeavesOnlyWholeOutputs)
{
  const int kImages = 40;
  const int kAttempts = 3;
  TempFolder folder;
  WriteNumberedImages(folder.Path(), kImages);
  const std::wstring outputs = folder.PathOf(L"datas");
  const std::vector<std::wstring> images = NumberedNames(kImages);
  // Any other file in datas is one being written, under a temporary name.
  const auto isOutput = [&images](const std::wstring& name) {
    return std::find(images.begin(), images.end(), name) != images.end();
  };
  // Small inputs, large outputs: most of each file's time goes into writing it.
  const auto inSave = [&outputs, &isOutput] {
    const std::vector<std::wstring> names = FileNamesIn(outputs);
    return !std::all_of(names.begin(), names.end(), isOutput);
  };

  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    SCOPED_TRACE("attempt " + std::to_string(attempt));
    if (attempt > 1)
      Restart();
    ChooseFolder(folder.Path());
    App().SetSizes(L"2400", L"");
    App().Click(driver::kStartId);
    ASSERT_TRUE(App().WaitUntil(inSave, kRunTimeoutMs)) << "no output was being written";
    const int position = App().Progress().position;

    const auto closing = std::chrono::steady_clock::now();
    ASSERT_TRUE(App().Close(kExitTimeoutMs)) << "still running 5 s after WM_CLOSE";
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - closing);
    EXPECT_EQ(App().Process().ExitCode(), 0u);
    std::printf("closed while writing file %d of %d; the process ended %lld ms after WM_CLOSE\n",
                position, kImages, static_cast<long long>(elapsed.count()));

    const std::vector<std::wstring> written = FileNamesIn(outputs);
    EXPECT_LT(written.size(), static_cast<size_t>(kImages)) << "the run was not cut short";
    for (const std::wstring& name : written) {
      SCOPED_TRACE(Utf8(name));
      EXPECT_TRUE(isOutput(name)) << "a temporary file was left behind";
      const DecodedImage image = DecodeImage(outputs + L"\\" + name);
      EXPECT_TRUE(image.decoded && image.width == 2400 && image.height == 1800);
    }
  }
}

// The bar's range is the whole count, past what 16 bits hold, so it fills at the last file.
TEST_F(BatchEndToEndTest, MoreThan65535FilesGetTheWholeCountAsTheProgressRange)
{
  const std::wstring folder = WorkFolder() + L"\\many-files";
  ASSERT_NO_FATAL_FAILURE(KeepEmptyFiles(folder, NumberedNames(70000)));
  ChooseFolder(folder);
  App().Click(driver::kStartId);
  ASSERT_TRUE(App().WaitForLine(L"找到 70000 个图片文件", kRunTimeoutMs));
  ASSERT_TRUE(App().WaitUntil([this] { return App().Progress().position >= 1; },
                                driver::kUiTimeoutMs));
  const driver::ProgressState progress = App().Progress();
  EXPECT_EQ(progress.low, 0);
  EXPECT_EQ(progress.high, 70000);
}
