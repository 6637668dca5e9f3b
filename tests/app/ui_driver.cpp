#include "ui_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
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

HWND FindTopLevel(WindowSearch search)
{
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
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

// Checks condition until it holds (true) or timeoutMs passes (false), calling pause between
// checks.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs,
               const std::function<void()>& pause)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    pause();
  }
}

std::string LastErrorText(const char* what)
{
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

std::string FileNameOf(const std::wstring& path)
{
  return Utf8(path.substr(path.find_last_of(L"\\/") + 1));
}

// The calling process's environment with entry added, as CreateProcessW takes it.
std::wstring EnvironmentWith(const std::wstring& entry)
{
  std::wstring block;
  const LPWCH strings = GetEnvironmentStringsW();
  if (!strings)
    throw DriverError(LastErrorText("GetEnvironmentStringsW"));
  for (const wchar_t* variable = strings; *variable; variable += std::wcslen(variable) + 1)
    block.append(variable).push_back(L'\0');
  FreeEnvironmentStringsW(strings);
  block.append(entry).push_back(L'\0');
  return block;
}

}  // namespace

std::wstring WindowsPath(const std::wstring& path)
{
  std::wstring windowsPath = path.compare(0, 1, L"/") == 0 ? L"Z:" + path : path;
  std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
  return windowsPath;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
  return PollUntil(condition, timeoutMs, [] { Sleep(kPollIntervalMs); });
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* doing)
{
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                          &answer))
    return static_cast<LRESULT>(answer);
  const DWORD error = GetLastError();
  if (!IsWindow(window))
    throw DriverError(std::string("the window was gone while ") + doing);
  throw DriverError(std::string("no answer from the window within ") +
                    std::to_string(kAnswerTimeoutMs / 1000) + " s while " + doing +
                    (error == ERROR_TIMEOUT ? "" : ", error " + std::to_string(error)));
}

std::string HexCode(DWORD code)
{
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

DrivenProcess::DrivenProcess(const std::wstring& exePath, const std::wstring& environmentEntry)
    : name_(FileNameOf(exePath))
{
  std::wstring commandLine = L"\"" + exePath + L"\"";
  std::wstring environment = environmentEntry.empty() ? L"" : EnvironmentWith(environmentEntry);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, environment.empty() ? nullptr : &environment[0],
                      nullptr, &startup, &started))
    throw DriverError(LastErrorText("CreateProcessW") + " for " + Utf8(exePath));
  const ScopedHandle thread(started.hThread);
  process_.reset(started.hProcess);
  id_ = started.dwProcessId;
}

DrivenProcess::~DrivenProcess()
{
  if (!detached_ && ExitCode() == STILL_ACTIVE) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

bool DrivenProcess::WaitForExit(DWORD timeoutMs) const
{
  return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD DrivenProcess::ExitCode() const
{
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code))
    throw DriverError(LastErrorText("GetExitCodeProcess"));
  return code;
}

bool DrivenProcess::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const
{
  return PollUntil(condition, timeoutMs, [this] {
    if (WaitForExit(kPollIntervalMs))
      throw DriverError(name_ + " ended, exit code " + HexCode(ExitCode()));
  });
}

HWND FindProcessWindow(DWORD processId, const wchar_t* windowClass)
{
  return FindTopLevel({processId, nullptr, windowClass, nullptr});
}

HWND FindOwnedWindow(HWND owner, const wchar_t* windowClass)
{
  return FindTopLevel({0, owner, windowClass, nullptr});
}

std::wstring ClassOf(HWND window)
{
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window)
{
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0, "reading a window's text");
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                              "reading a window's text");
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
  const char* const doing = "reading a line of a list box";
  const LRESULT length = Send(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, doing);
  if (length == LB_ERR)
    return std::nullopt;
  std::wstring line(std::max(static_cast<size_t>(length) + 1, kMinLineBuffer), L'\0');
  const LRESULT copied = Send(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(&line[0]), doing);
  if (copied == LB_ERR)
    return std::nullopt;
  line.resize(static_cast<size_t>(copied));
  return line;
}

std::vector<std::wstring> ListBoxLines(HWND listBox)
{
  std::vector<std::wstring> lines;
  const LRESULT count = Send(listBox, LB_GETCOUNT, 0, 0, "counting the lines of a list box");
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
  const char* const doing = "reading which lines of a list box are in view";
  const LRESULT count = Send(listBox, LB_GETCOUNT, 0, 0, doing);
  const LRESULT top = Send(listBox, LB_GETTOPINDEX, 0, 0, doing);
  const LRESULT itemHeight = Send(listBox, LB_GETITEMHEIGHT, 0, 0, doing);
  RECT client;
  if (count == LB_ERR || top == LB_ERR || itemHeight <= 0 || !GetClientRect(listBox, &client))
    return false;
  return top + client.bottom / itemHeight >= count;
}

ProgressState ProgressOf(HWND progressBar)
{
  const char* const doing = "reading the progress bar";
  ProgressState state;
  state.low = static_cast<int>(Send(progressBar, PBM_GETRANGE, TRUE, 0, doing));
  state.high = static_cast<int>(Send(progressBar, PBM_GETRANGE, FALSE, 0, doing));
  state.position = static_cast<int>(Send(progressBar, PBM_GETPOS, 0, 0, doing));
  return state;
}

RemoteBuffer::RemoteBuffer(DWORD processId, size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                           processId)),
      size_(size)
{
  if (!process_)
    throw DriverError(LastErrorText("OpenProcess"));
  address_ = static_cast<BYTE*>(
      VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!address_)
    throw DriverError(LastErrorText("VirtualAllocEx"));
}

RemoteBuffer::~RemoteBuffer()
{
  if (!abandoned_)
    VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
}

void RemoteBuffer::Write(size_t offset, const void* data, size_t size)
{
  if (offset + size > size_)
    throw DriverError("RemoteBuffer::Write past the end");
  if (!WriteProcessMemory(process_.get(), address_ + offset, data, size, nullptr))
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
  if (!ReadProcessMemory(process_.get(), remoteAddress, data, size, nullptr))
    throw DriverError(LastErrorText("ReadProcessMemory"));
}

LRESULT RemoteBuffer::Send(HWND window, UINT message, WPARAM wParam, const char* doing)
{
  try {
    return driver::Send(window, message, wParam, reinterpret_cast<LPARAM>(address_), doing);
  } catch (const DriverError&) {
    abandoned_ = true;
    throw;
  }
}

}  // namespace driver
