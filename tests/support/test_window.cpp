#include "support/test_window.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/activity_log.h"
#include "app/control_ids.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "batch/batch_run.h"
#include "support/temp_folder.h"
#include "ui_driver.h"

TestWindow::TestWindow()
    : window_(CreateMainWindow(GetModuleHandleW(nullptr), WS_OVERLAPPEDWINDOW))
{
  EXPECT_NE(window_, nullptr);
  g_mainWindow = window_;
  ClearLog();
}

TestWindow::~TestWindow()
{
  DestroyWindow(window_);
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
  EnableWindow(GetDlgItem(window_, ID_START), FALSE);
  BatchWorker(new std::wstring(folder));
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

int TestWindow::ProgressLow() const
{
  return static_cast<int>(SendMessageW(g_progressBar, PBM_GETRANGE, TRUE, 0));
}

int TestWindow::ProgressHigh() const
{
  return static_cast<int>(SendMessageW(g_progressBar, PBM_GETRANGE, FALSE, 0));
}

int TestWindow::ProgressPosition() const
{
  return static_cast<int>(SendMessageW(g_progressBar, PBM_GETPOS, 0, 0));
}
