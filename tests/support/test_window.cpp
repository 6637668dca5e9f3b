#include "support/test_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/activity_log.h"
#include "app/control_ids.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "batch/batch_run.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;

// Handles this thread's messages until handle is signalled (true) or timeoutMs passes.
bool HandleMessagesUntilSignalled(HANDLE handle, DWORD timeoutMs)
{
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0)
      return true;
    if (woken != WAIT_OBJECT_0 + 1)
      return false;
  }
}

}  // namespace

TestWindow::TestWindow()
    : window_(CreateMainWindow(GetModuleHandleW(nullptr), WS_OVERLAPPEDWINDOW))
{
  EXPECT_NE(window_, nullptr);
  g_mainWindow = window_;
  ClearLog();
}

TestWindow::~TestWindow()
{
  // Once the window is gone, a run stops before its next file; until then it may be
  // waiting for this thread to take its report.
  DestroyWindow(window_);
  if (run_)
    HandleMessagesUntilSignalled(run_.get(), INFINITE);
  // Destroying the window posts WM_QUIT to this thread; drop it with the rest.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  g_mainWindow = g_widthEdit = g_heightEdit = g_progressBar = g_logList = nullptr;
  g_selectedFolder.clear();
}

void TestWindow::SetSizeTexts(const std::wstring& width, const std::wstring& height)
{
  SetWindowTextW(g_widthEdit, width.c_str());
  SetWindowTextW(g_heightEdit, height.c_str());
}

void TestWindow::RunBatch(const std::wstring& folder)
{
  ASSERT_FALSE(run_ && WaitForSingleObject(run_.get(), 0) != WAIT_OBJECT_0)
      << "the last run is still working";
  EnableWindow(GetDlgItem(window_, ID_START), FALSE);
  auto folderCopy = std::make_unique<std::wstring>(folder);
  run_.reset(CreateThread(nullptr, 0, BatchWorker, folderCopy.get(), 0, nullptr));
  ASSERT_TRUE(run_) << "CreateThread failed: " << GetLastError();
  folderCopy.release();  // the run owns it now
  EXPECT_TRUE(HandleMessagesUntilSignalled(run_.get(), kRunTimeoutMs))
      << "the run did not end within " << kRunTimeoutMs << " ms";
}

std::vector<std::string> TestWindow::LogLines() const
{
  std::vector<std::string> lines;
  for (const std::wstring& line : driver::ListBoxLines(g_logList))
    lines.push_back(Utf8(line));
  return lines;
}

bool TestWindow::StartEnabled() const
{
  return IsWindowEnabled(GetDlgItem(window_, ID_START)) != FALSE;
}

driver::ProgressState TestWindow::Progress() const
{
  return driver::ProgressOf(g_progressBar);
}
