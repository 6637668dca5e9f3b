#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "support/utf8.h"

// Works another process's windows from outside, the way a user or an accessibility tool
// does: window messages, and that process's memory where a message carries a pointer.
namespace driver {

// A driving step that could not be done; what() is UTF-8.
class DriverError : public std::runtime_error {
 public:
  explicit DriverError(const std::string& what) : std::runtime_error(what) {}
};

// A Linux path as Wine sees it ("/x/y" is "Z:\x\y"); any other path with backslashes.
std::wstring WindowsPath(const std::wstring& path);

// Polls condition every few milliseconds until it holds (true) or timeoutMs passes (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// How long a window of another process may take to answer one message.
constexpr UINT kAnswerTimeoutMs = 10000;

// Sends a message and returns the window's answer. A window that gives none within
// kAnswerTimeoutMs, is hung, or is gone throws DriverError, which names what was being
// done (doing: "reading the log", say).
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* doing);

// An exit code as Windows writes it: 0xC0000005 for an access violation.
std::string HexCode(DWORD code);

// A program started by the driver. Still running when the object goes, it is ended,
// unless Detach() was called.
class DrivenProcess {
 public:
  // environmentEntry ("NAME=value"), if any, is added to the program's environment only.
  explicit DrivenProcess(const std::wstring& exePath, const std::wstring& environmentEntry = {});
  ~DrivenProcess();
  DrivenProcess(const DrivenProcess&) = delete;
  DrivenProcess& operator=(const DrivenProcess&) = delete;

  DWORD Id() const { return id_; }
  bool WaitForExit(DWORD timeoutMs) const;
  DWORD ExitCode() const;  // STILL_ACTIVE while running
  void Detach() { detached_ = true; }
  // WaitUntil, except that the program's end ends the wait at once, with a DriverError
  // that gives its exit code.
  bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) const;

 private:
  std::string name_;
  ScopedHandle process_;
  DWORD id_ = 0;
  bool detached_ = false;
};

// The visible top-level window of windowClass that belongs to processId, or null. The
// class alone is not enough: other processes may have one.
HWND FindProcessWindow(DWORD processId, const wchar_t* windowClass);

// The visible top-level window of windowClass owned by owner (a dialog), or null.
HWND FindOwnedWindow(HWND owner, const wchar_t* windowClass);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
// The window's outer rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);
// Direct children, topmost first: for children that is their creation order.
std::vector<HWND> ChildrenOf(HWND parent);
// The first descendant of windowClass, at any depth, or null.
HWND FindDescendant(HWND ancestor, const wchar_t* windowClass);

// One line of a list box, or nothing when there is no line at index (any more).
std::optional<std::wstring> ListBoxLine(HWND listBox, LRESULT index);
// Every line of a list box. A line removed while reading ends the read early.
std::vector<std::wstring> ListBoxLines(HWND listBox);
// Whether a list box is scrolled so that its last line is in view.
bool NewestLineInView(HWND listBox);

struct ProgressState {
  int low;
  int high;
  int position;
};
ProgressState ProgressOf(HWND progressBar);

// Memory inside another process, for messages (tree view items, for one) whose
// structures hold pointers that the window system does not carry across processes.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD processId, size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  // The address as the other process sees it.
  BYTE* Address() const { return address_; }
  void Write(size_t offset, const void* data, size_t size);
  void Read(size_t offset, void* data, size_t size) const;
  // Reads from any address of the other process.
  void ReadAt(const void* remoteAddress, void* data, size_t size) const;
  // Sends a message that points into the buffer. After a message that got no answer the
  // buffer is never freed: the other process may still write into it.
  LRESULT Send(HWND window, UINT message, WPARAM wParam, const char* doing);

 private:
  ScopedHandle process_;
  BYTE* address_ = nullptr;
  size_t size_ = 0;
  bool abandoned_ = false;
};

}  // namespace driver
