#pragma once
#include <windows.h>

#include <memory>

// Owns a kernel handle (a file, a thread, a process, an event) and closes it on every path.
// Holds only real handles: CreateFileW's INVALID_HANDLE_VALUE is checked before it is kept.
struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

// Owns a folder listing from FindFirstFileW, checked the same way, and ends it on every path.
struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using ScopedFindHandle = std::unique_ptr<void, FindCloser>;
