#include "quillmere_session.h"

#include <algorithm>

#include "folder_picker_driver.h"

namespace driver {
namespace {

// How long an OK that the picker has disabled is given to close it, if it does.
constexpr DWORD kDisabledOkSettleMs = 1000;
// How long one picker is given to show a folder selected, and how many pickers are tried.
constexpr DWORD kSelectionTimeoutMs = 3000;
constexpr int kPickerAttempts = 3;

}  // namespace

QuillmereSession::QuillmereSession(const std::wstring& exePath,
                                   const std::wstring& environmentEntry)
    : process_(exePath, environmentEntry)
{
  // The window turns visible only after its creation, controls and greeting included.
  const bool shown = WaitUntil(
      [this] { return (window_ = FindProcessWindow(process_.Id(), L"Quillmere")) != nullptr; },
      kUiTimeoutMs);
  if (!shown)
    throw DriverError("no visible Quillmere window from " + Utf8(exePath));
}

std::vector<std::wstring> QuillmereSession::LogLines() const
{
  return ListBoxLines(Control(kLogListId));
}

bool QuillmereSession::StartEnabled() const
{
  return IsWindowEnabled(Control(kStartId)) != FALSE;
}

ProgressState QuillmereSession::Progress() const
{
  return ProgressOf(Control(kProgressId));
}

void QuillmereSession::SetSizes(const std::wstring& width, const std::wstring& height)
{
  Send(Control(kWidthEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(width.c_str()),
       "typing the width");
  Send(Control(kHeightEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(height.c_str()),
       "typing the height");
}

void QuillmereSession::Click(int id)
{
  Send(Control(id), BM_CLICK, 0, 0, ("clicking button " + std::to_string(id)).c_str());
}

void QuillmereSession::ChooseFolder(const std::wstring& folder)
{
  ClosePickerOrThrow(OpenPickerAt(folder), IDOK);
}

void QuillmereSession::CancelFolderChoice(const std::wstring& folder)
{
  ClosePickerOrThrow(OpenPickerAt(folder), IDCANCEL);
}

bool QuillmereSession::ChooseComputer(const std::wstring& drive)
{
  const HWND picker = OpenPicker();
  SelectComputerInPicker(picker, drive, kUiTimeoutMs);
  const HWND ok = GetDlgItem(picker, IDOK);
  const bool okDisabled = WaitUntil([ok] { return !IsWindowEnabled(ok); }, kDisabledOkSettleMs);
  // What a dialog does with a command for a button it has disabled is its own affair: it
  // may close or stay open. Either way the program must take no folder from it.
  Send(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok),
       "pressing OK in the picker");
  if (!WaitUntil([picker] { return !IsWindow(picker); }, kDisabledOkSettleMs))
    ClosePickerOrThrow(picker, IDCANCEL);
  return okDisabled;
}

HWND QuillmereSession::OpenPicker()
{
  // Posted: the click opens a modal dialog, and a sent one would wait for it to close.
  PostMessageW(Control(kSelectFolderId), BM_CLICK, 0, 0);
  HWND picker = nullptr;
  if (!WaitUntil([&] { return (picker = FindFolderPicker(window_)) != nullptr; }, kUiTimeoutMs))
    throw DriverError("no folder picker after clicking Select folder");
  return picker;
}

// Wine's picker matches each folder on the way by the file times it first read for it: once
// a folder above has changed since, that picker never reaches the path, but a new one does.
HWND QuillmereSession::OpenPickerAt(const std::wstring& folder)
{
  for (int attempt = 1;; ++attempt) {
    const HWND picker = OpenPicker();
    if (SelectFolderInPicker(picker, folder, kSelectionTimeoutMs))
      return picker;
    ClosePickerOrThrow(picker, IDCANCEL);
    if (attempt == kPickerAttempts)
      throw DriverError("the folder picker did not select " + Utf8(folder) + " in " +
                        std::to_string(kPickerAttempts) + " attempts");
  }
}

void QuillmereSession::ClosePickerOrThrow(HWND picker, int buttonId)
{
  if (!ClosePicker(picker, buttonId, kUiTimeoutMs))
    throw DriverError(buttonId == IDOK ? "the folder picker did not close on OK"
                                       : "the folder picker did not close on Cancel");
}

void QuillmereSession::Sync() const
{
  Send(window_, WM_NULL, 0, 0, "waiting for the program's window to answer");
}

bool QuillmereSession::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const
{
  return process_.WaitUntil(condition, timeoutMs);
}

bool QuillmereSession::WaitForLine(const std::wstring& line, DWORD timeoutMs) const
{
  return WaitUntil(
      [&] {
        const std::vector<std::wstring> lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
      },
      timeoutMs);
}

bool QuillmereSession::WaitForRunEnd(DWORD timeoutMs) const
{
  return WaitUntil([this] { return StartEnabled(); }, timeoutMs);
}

bool QuillmereSession::Close(DWORD timeoutMs)
{
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return process_.WaitForExit(timeoutMs);
}

}  // namespace driver
