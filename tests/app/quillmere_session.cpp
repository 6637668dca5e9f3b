#include "quillmere_session.h"

#include <algorithm>

#include "folder_picker_driver.h"

namespace driver {

QuillmereSession::QuillmereSession(const std::wstring& exePath) : process_(exePath)
{
  // The window turns visible only after its creation, controls and greeting included.
  window_ = WaitForProcessWindow(process_.Id(), L"Quillmere", kUiTimeoutMs);
  if (!window_)
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
  SendMessageW(Control(kWidthEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(width.c_str()));
  SendMessageW(Control(kHeightEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(height.c_str()));
}

void QuillmereSession::Click(int id)
{
  SendMessageW(Control(id), BM_CLICK, 0, 0);
}

void QuillmereSession::ChooseFolder(const std::wstring& folder)
{
  const HWND picker = OpenPicker();
  SelectFolderInPicker(picker, folder, kUiTimeoutMs);
  if (!ClosePicker(picker, IDOK, kUiTimeoutMs))
    throw DriverError("the folder picker did not close on OK");
}

void QuillmereSession::CancelFolderChoice(const std::wstring& folder)
{
  const HWND picker = OpenPicker();
  SelectFolderInPicker(picker, folder, kUiTimeoutMs);
  if (!ClosePicker(picker, IDCANCEL, kUiTimeoutMs))
    throw DriverError("the folder picker did not close on Cancel");
}

void QuillmereSession::ChooseComputer()
{
  const HWND picker = OpenPicker();
  SelectComputerInPicker(picker, kUiTimeoutMs);
  if (!ClosePicker(picker, IDOK, kUiTimeoutMs))
    throw DriverError("the folder picker did not close on OK");
}

HWND QuillmereSession::OpenPicker()
{
  // Posted: the click opens a modal dialog, and a sent one would wait for it to close.
  PostMessageW(Control(kSelectFolderId), BM_CLICK, 0, 0);
  const HWND picker = WaitForFolderPicker(window_, kUiTimeoutMs);
  if (!picker)
    throw DriverError("no folder picker after clicking Select folder");
  return picker;
}

void QuillmereSession::Sync() const
{
  SendMessageW(window_, WM_NULL, 0, 0);
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
