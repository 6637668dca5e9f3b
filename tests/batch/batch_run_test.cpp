#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/globals.h"
#include "batch/batch_run.h"
#include "batch/image_discovery.h"
#include "common/scoped_handle.h"
#include "support/run_log.h"
#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"

namespace {

std::atomic<bool> g_holdStartingThreads{false};
const ScopedHandle g_startingThreadHeld(CreateEventW(nullptr, FALSE, FALSE, nullptr));
const ScopedHandle g_startingThreadsLetGo(CreateEventW(nullptr, TRUE, FALSE, nullptr));

void NTAPI HoldStartingThread(PVOID, DWORD reason, PVOID)
{
  if (reason != DLL_THREAD_ATTACH || !g_holdStartingThreads)
    return;
  SetEvent(g_startingThreadHeld.get());
  WaitForSingleObject(g_startingThreadsLetGo.get(), INFINITE);
}

// While one lives, every thread that starts in this process waits before it runs any code
// of its own. It waits inside the loader's lock: meanwhile the test must load nothing.
class StartingThreadsHeld {
 public:
  StartingThreadsHeld()
  {
    ResetEvent(g_startingThreadHeld.get());
    ResetEvent(g_startingThreadsLetGo.get());
    g_holdStartingThreads = true;
  }
  ~StartingThreadsHeld()
  {
    g_holdStartingThreads = false;
    SetEvent(g_startingThreadsLetGo.get());
  }
  StartingThreadsHeld(const StartingThreadsHeld&) = delete;
  StartingThreadsHeld& operator=(const StartingThreadsHeld&) = delete;

  bool AThreadIsHeldWithin(DWORD timeoutMs) const
  {
    return WaitForSingleObject(g_startingThreadHeld.get(), timeoutMs) == WAIT_OBJECT_0;
  }
};

}  // namespace

// Windows runs a program's TLS callbacks on each new thread before its start routine.
#ifdef _MSC_VER
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:tls_hold_starting_thread")
#pragma const_seg(".CRT$XLB")
extern "C" const PIMAGE_TLS_CALLBACK tls_hold_starting_thread = HoldStartingThread;
#pragma const_seg()
#else
extern "C" __attribute__((section(".CRT$XLB"))) const PIMAGE_TLS_CALLBACK
    tls_hold_starting_thread = HoldStartingThread;
#endif

namespace {

class BatchWorkerTest : public testing::Test {
 protected:
  TestWindow window;
  TempFolder folder;
};

TEST_F(BatchWorkerTest, ReportsEachFileInListOrderAndTheSummary)
{
  WriteImage(folder.PathOf(L"first.png"), 200, 100, L"image/png");
  WriteBytes(folder.PathOf(L"second.jpg"), "this is no JPEG");
  WriteImage(folder.PathOf(L"third.bmp"), 50, 200, L"image/bmp");
  const std::vector<std::wstring> listed = ListImageFiles(folder.Path());
  ASSERT_EQ(listed.size(), 3u);
  std::vector<std::wstring> names;
  std::vector<std::string> inputsBefore;
  for (const std::wstring& path : listed) {
    names.push_back(path.substr(path.rfind(L'\\') + 1));
    inputsBefore.push_back(ReadBytes(path));
  }

  window.SetSizeTexts(L"", L"100");
  window.RunBatch(folder.Path());

  EXPECT_EQ(window.LogLines(), RunLog(0, 100, names, {L"second.jpg"}));

  const driver::ProgressState progress = window.Progress();
  EXPECT_EQ(progress.low, 0);
  EXPECT_EQ(progress.high, 3);
  EXPECT_EQ(progress.position, 3);
  EXPECT_TRUE(window.StartEnabled());

  const DecodedImage first = DecodeImage(folder.OutputOf(L"first.png"));
  EXPECT_TRUE(first.decoded && first.width == 200 && first.height == 100);
  const DecodedImage third = DecodeImage(folder.OutputOf(L"third.bmp"));
  EXPECT_TRUE(third.decoded && third.width == 25 && third.height == 100);
  EXPECT_FALSE(FileExists(folder.OutputOf(L"second.jpg")));
  for (size_t index = 0; index < listed.size(); ++index)
    EXPECT_EQ(ReadBytes(listed[index]), inputsBefore[index]) << Utf8(listed[index]);
}

TEST_F(BatchWorkerTest, WithoutASizeOnlyTheErrorIsLogged)
{
  WriteImage(folder.PathOf(L"a.png"), 10, 10, L"image/png");
  for (const wchar_t* empty : {L"", L"0", L"-3", L"abc"}) {
    SCOPED_TRACE(Utf8(empty));
    window.SetSizeTexts(empty, empty);
    window.RunBatch(folder.Path());
    EXPECT_EQ(window.LogLines(), Lines{"错误：请至少指定宽度或高度之一"});
    EXPECT_TRUE(window.StartEnabled());
    EXPECT_FALSE(IsFolder(folder.PathOf(L"datas")));
    EXPECT_EQ(window.Progress().high, 100);  // the control's own range: untouched
    EXPECT_EQ(window.Progress().position, 0);
    SendMessageW(g_logList, LB_RESETCONTENT, 0, 0);
  }
}

// A missing parent, or "datas" held by a file: no output could be saved, so the run ends
// before its first file, with the bar untouched and the file left as it was.
TEST_F(BatchWorkerTest, AnOutputFolderThatCannotBeCreatedEndsTheRun)
{
  WriteImage(folder.PathOf(L"a.png"), 10, 10, L"image/png");
  WriteBytes(folder.PathOf(L"datas"), "not a folder");
  window.SetSizeTexts(L"", L"100");
  for (const std::wstring& run : {folder.PathOf(L"missing"), folder.Path()}) {
    SCOPED_TRACE(Utf8(run));
    window.RunBatch(run);
    EXPECT_EQ(window.LogLines(), Lines{"错误：无法创建输出目录"});
    EXPECT_TRUE(window.StartEnabled());
    EXPECT_EQ(window.Progress().high, 100);  // the control's own range: untouched
    EXPECT_EQ(window.Progress().position, 0);
    SendMessageW(g_logList, LB_RESETCONTENT, 0, 0);
  }
  EXPECT_EQ(ReadBytes(folder.PathOf(L"datas")), "not a folder");
}

TEST_F(BatchWorkerTest, AFolderWithoutImagesKeepsItsNewOutputFolder)
{
  WriteBytes(folder.PathOf(L"notes.txt"), "x");
  MakeFolder(folder.PathOf(L"x.jpg"));
  window.SetSizeTexts(L"100", L"");
  window.RunBatch(folder.Path());
  EXPECT_EQ(window.LogLines(), Lines{"错误：目录中没有找到图片文件"});
  EXPECT_TRUE(IsFolder(folder.PathOf(L"datas")));
  EXPECT_TRUE(window.StartEnabled());
  EXPECT_EQ(window.Progress().position, 0);
}

TEST_F(BatchWorkerTest, ASecondRunSavesEveryOutputAgain)
{
  WriteImage(folder.PathOf(L"a.jpg"), 300, 150, L"image/jpeg");
  WriteImage(folder.PathOf(L"b.gif"), 150, 300, L"image/gif");
  window.SetSizeTexts(L"", L"100");
  window.RunBatch(folder.Path());
  window.SetSizeTexts(L"", L"50");
  window.RunBatch(folder.Path());

  const Lines lines = window.LogLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[5], "处理完成! 成功: 2/2");
  EXPECT_EQ(lines[7], "目标尺寸: 0 x 50");
  EXPECT_EQ(lines[11], "处理完成! 成功: 2/2");
  const DecodedImage a = DecodeImage(folder.OutputOf(L"a.jpg"));
  EXPECT_TRUE(a.decoded && a.width == 100 && a.height == 50);
  const DecodedImage b = DecodeImage(folder.OutputOf(L"b.gif"));
  EXPECT_TRUE(b.decoded && b.width == 25 && b.height == 50);
  EXPECT_EQ(FormatOf(folder.OutputOf(L"b.gif")), "gif");
}

// Start launches the run on its own thread with the folder chosen at that moment; a
// folder chosen while it works must not redirect it.
TEST_F(BatchWorkerTest, StartRunsOnTheFolderChosenWhenPressed)
{
  TempFolder later;
  WriteImage(folder.PathOf(L"a.png"), 40, 40, L"image/png");
  WriteImage(later.PathOf(L"b.png"), 40, 40, L"image/png");
  window.SetSizeTexts(L"", L"20");
  g_selectedFolder = folder.Path();
  {
    // The run's thread can read nothing before the choice has changed.
    const StartingThreadsHeld held;
    SendMessageW(window.Handle(), WM_COMMAND, ID_START, 0);
    ASSERT_TRUE(held.AThreadIsHeldWithin(10000)) << "the run's thread was not held";
    g_selectedFolder = later.Path();
    EXPECT_FALSE(window.StartEnabled());
  }

  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (!window.StartEnabled() && GetTickCount64() < deadline) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  ASSERT_TRUE(window.StartEnabled());
  EXPECT_TRUE(FileExists(folder.OutputOf(L"a.png")));
  EXPECT_FALSE(IsFolder(later.PathOf(L"datas")));
  const Lines lines = window.LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "处理完成! 成功: 1/1");
}

}  // namespace
