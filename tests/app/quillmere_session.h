#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "ui_driver.h"

// quillmere.exe as its user sees it: the main window, its controls and the folder picker.
namespace driver {

// The program's control ids, under the names the tests and the benchmark use.
constexpr int kSelectFolderId = ID_SELECT_FOLDER;
constexpr int kHeightEditId = ID_HEIGHT_EDIT;
constexpr int kWidthEditId = ID_WIDTH_EDIT;
constexpr int kStartId = ID_START;
constexpr int kProgressId = ID_PROGRESS;
constexpr int kLogListId = ID_LOG_LIST;
constexpr int kClearLogId = ID_CLEAR_LOG;

// How long a window, dialog or command may take to answer.
constexpr DWORD kUiTimeoutMs = 10000;

class QuillmereSession {
 public:
  // Starts the program and waits for its main window. environmentEntry ("NAME=value"), if
  // any, is added to the program's environment. Throws DriverError.
  explicit QuillmereSession(const std::wstring& exePath, const std::wstring& environmentEntry = {});

  DrivenProcess& Process() { return process_; }
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  std::vector<std::wstring> LogLines() const;
  bool StartEnabled() const;
  ProgressState Progress() const;

  void SetSizes(const std::wstring& width, const std::wstring& height);
  // Clicks a button and returns once its command has been carried out. Not for the
  // Select-folder button: its picker would hold the driver until closed.
  void Click(int id);
  // Opens the picker, selects folder and presses OK. Throws DriverError.
  void ChooseFolder(const std::wstring& folder);
  // Opens the picker, selects folder and presses Cancel. Throws DriverError.
  void CancelFolderChoice(const std::wstring& folder);
  // Opens the picker, selects the computer that holds drive, a place with no file-system
  // path, and presses OK; cancels the picker if it stays open. Returns whether OK was
  // disabled there. Throws DriverError.
  bool ChooseComputer(const std::wstring& drive);

  // Returns once the program's UI thread is back in its message loop: whatever the last
  // command does on that thread is done.
  void Sync() const;
  // Polls condition until it holds (true) or timeoutMs passes (false). The program's end
  // ends the wait at once, with a DriverError that gives its exit code.
  bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const;
  bool WaitForLine(const std::wstring& line, DWORD timeoutMs) const;
  // Waits for a batch run to end: it enables Start as its last act.
  bool WaitForRunEnd(DWORD timeoutMs) const;
  // Closes the main window; true once the process has exited.
  bool Close(DWORD timeoutMs);

 private:
  HWND OpenPicker();
  // Opens the picker and selects folder in it. Throws DriverError.
  HWND OpenPickerAt(const std::wstring& folder);
  void ClosePickerOrThrow(HWND picker, int buttonId);

  DrivenProcess process_;
  HWND window_ = nullptr;
};

}  // namespace driver
