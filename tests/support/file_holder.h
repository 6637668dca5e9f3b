#pragma once
#include <windows.h>

#include <string>

#include "common/scoped_handle.h"

// hold_file.exe, found beside the test's own executable, holding a file open as another
// program would (see hold_file_main.cpp). The helper is ended, and its handles are closed,
// when the object goes out of scope, whatever the test's outcome.
class FileHolder {
 public:
  // Holds path until the object goes out of scope.
  explicit FileHolder(const std::wstring& path);
  // Lets go of path letGoMs after a file named qm*.tmp, as the program names the
  // temporary files it saves into, appears in path's folder. A save waiting for the hold
  // keeps its temporary file there while it waits, so the helper cannot miss it.
  FileHolder(const std::wstring& path, DWORD letGoMs);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

  // Whether the helper started and holds the file.
  bool Holding() const { return holding_; }
  // Waits up to timeoutMs for the helper to let go on its own; true if it has.
  bool LetGo(DWORD timeoutMs) const;

 private:
  void Start(const std::wstring& path, const std::wstring& letGo);

  ScopedHandle process_;
  bool holding_ = false;
};
