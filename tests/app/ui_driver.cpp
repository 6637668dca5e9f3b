#include "ui_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace driver {
namespace {

constexpr DWORD kPollIntervalMs = 5;
// Lines are read into at least this many units: a line replaced between the length query
// and the read (the log cleared meanwhile) must still fit.
constexpr size_t kMinLineBuffer = 4096;

struct WindowSearch {
  DWORD processId;   // 0: any
  HWND owner;        // null: any
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context)
{
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (search->processId != 0 && processId != search->processId)
    return TRUE;
  if (search->owner && GetWindow(window, GW_OWNER) != search->owner)
    return TRUE;
  if (!IsWindowVisible(window) || ClassOf(window) != search->windowClass)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND WaitForTopLevel(WindowSearch search, DWORD timeoutMs)
{
  WaitUntil(
      [&search] {
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

BOOL CALLBACK MatchDescendant(HWND window, LPARAM context)
{
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (ClassOf(window) != search->windowClass)
    return TRUE;
  search->found = window;
  return FALSE;
}

std::string LastErrorText(const char* what)
{
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

}  // namespace

std::wstring WindowsPath(const std::wstring& path)
{
  std::wstring windowsPath = path.compare(0, 1, L"/") == 0 ? L"Z:" + path : path;
  std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
  return windowsPath;
}

bool RunningUnderWine()
{
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    Sleep(kPollIntervalMs);
  }
}

DrivenProcess::DrivenProcess(const std::wstring& exePath)
{
  std::wstring commandLine = L"\"" + exePath + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info_))
    throw DriverError(LastErrorText("CreateProcessW") + " for " + Utf8(exePath));
  CloseHandle(info_.hThread);
}

DrivenProcess::~DrivenProcess()
{
  if (!detached_ && ExitCode() == STILL_ACTIVE) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
}

bool DrivenProcess::WaitForExit(DWORD timeoutMs) const
{
  return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD DrivenProcess::ExitCode() const
{
  DWORD code = 0;
  if (!GetExitCodeProcess(info_.hProcess, &code))
    throw DriverError(LastErrorText("GetExitCodeProcess"));
  return code;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* windowClass, DWORD timeoutMs)
{
  return WaitForTopLevel({processId, nullptr, windowClass, nullptr}, timeoutMs);
}

HWND WaitForOwnedWindow(HWND owner, const wchar_t* windowClass, DWORD timeoutMs)
{
  return WaitForTopLevel({0, owner, windowClass, nullptr}, timeoutMs);
}

std::wstring ClassOf(HWND window)
{
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window)
{
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(copied));
  return text;
}

DWORD StyleOf(HWND window)
{
  return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
}

DWORD ExStyleOf(HWND window)
{
  return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
}

RECT RectInParent(HWND child)
{
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

HWND FindDescendant(HWND ancestor, const wchar_t* windowClass)
{
  WindowSearch search = {0, nullptr, windowClass, nullptr};
  EnumChildWindows(ancestor, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<std::wstring> ListBoxLine(HWND listBox, LRESULT index)
{
  const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR)
    return std::nullopt;
  std::wstring line(std::max(static_cast<size_t>(length) + 1, kMinLineBuffer), L'\0');
  const LRESULT copied = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(&line[0]));
  if (copied == LB_ERR)
    return std::nullopt;
  line.resize(static_cast<size_t>(copied));
  return line;
}

std::vector<std::wstring> ListBoxLines(HWND listBox)
{
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT index = 0; index < count; ++index) {
    std::optional<std::wstring> line = ListBoxLine(listBox, index);
    if (!line)
      break;
    lines.push_back(std::move(*line));
  }
  return lines;
}

bool NewestLineInView(HWND listBox)
{
  const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  const LRESULT top = SendMessageW(listBox, LB_GETTOPINDEX, 0, 0);
  const LRESULT itemHeight = SendMessageW(listBox, LB_GETITEMHEIGHT, 0, 0);
  RECT client;
  if (count == LB_ERR || top == LB_ERR || itemHeight <= 0 || !GetClientRect(listBox, &client))
    return false;
  return top + client.bottom / itemHeight >= count;
}

ProgressState ProgressOf(HWND progressBar)
{
  ProgressState state;
  state.low = static_cast<int>(SendMessageW(progressBar, PBM_GETRANGE, TRUE, 0));
  state.high = static_cast<int>(SendMessageW(progressBar, PBM_GETRANGE, FALSE, 0));
  state.position = static_cast<int>(SendMessageW(progressBar, PBM_GETPOS, 0, 0));
  return state;
}

RemoteBuffer::RemoteBuffer(DWORD processId, size_t size) : size_(size)
{
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                         processId);
  if (!process_)
    throw DriverError(LastErrorText("OpenProcess"));
  address_ = static_cast<BYTE*>(
      VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!address_) {
    const std::string failure = LastErrorText("VirtualAllocEx");
    CloseHandle(process_);
    throw DriverError(failure);
  }
}

RemoteBuffer::~RemoteBuffer()
{
  VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  CloseHandle(process_);
}

void RemoteBuffer::Write(size_t offset, const void* data, size_t size)
{
  if (offset + size > size_)
    throw DriverError("RemoteBuffer::Write past the end");
  if (!WriteProcessMemory(process_, address_ + offset, data, size, nullptr))
    throw DriverError(LastErrorText("WriteProcessMemory"));
}

void RemoteBuffer::Read(size_t offset, void* data, size_t size) const
{
  if (offset + size > size_)
    throw DriverError("RemoteBuffer::Read past the end");
  ReadAt(address_ + offset, data, size);
}

void RemoteBuffer::ReadAt(const void* remoteAddress, void* data, size_t size) const
{
  if (!ReadProcessMemory(process_, remoteAddress, data, size, nullptr))
    throw DriverError(LastErrorText("ReadProcessMemory"));
}

}  // namespace driver
