#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "ui_driver.h"

// The program's real main window, hidden, with its real controls behind the globals. A
// batch run started through it runs on a thread of its own, as Start launches it, while
// the test's thread handles the window's messages as the program's message loop would.
class TestWindow {
 public:
  TestWindow();
  // Waits for a run still working (the kit's time limit bounds a run that never ends).
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return window_; }
  void SetSizeTexts(const std::wstring& width, const std::wstring& height);
  // Runs one batch over folder to its end, as Start would launch it; a run that has not
  // ended within a minute fails the test.
  void RunBatch(const std::wstring& folder);

  std::vector<std::string> LogLines() const;  // UTF-8, for readable failures
  bool StartEnabled() const;
  driver::ProgressState Progress() const;

 private:
  HWND window_;
  ScopedHandle run_;
};
