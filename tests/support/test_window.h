#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The program's real main window, hidden, with its real controls behind the globals.
// A batch run started through it runs on the test's thread, so the controls' messages
// are handled in step without a message loop.
class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return window_; }
  void SetSizeTexts(const std::wstring& width, const std::wstring& height);
  // Runs one batch over folder to its end, as Start would launch it.
  void RunBatch(const std::wstring& folder);

  std::vector<std::string> LogLines() const;  // UTF-8, for readable failures
  bool StartEnabled() const;
  int ProgressLow() const;
  int ProgressHigh() const;
  int ProgressPosition() const;

 private:
  HWND window_;
};
