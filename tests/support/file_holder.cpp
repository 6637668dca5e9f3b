#include "support/file_holder.h"

#include <gtest/gtest.h>

#include "support/kit_paths.h"
#include "support/utf8.h"

namespace {

// Starting a process under Wine can take seconds on a busy machine.
constexpr DWORD kHoldTimeoutMs = 30000;
constexpr DWORD kEndTimeoutMs = 10000;

}  // namespace

FileHolder::FileHolder(const std::wstring& path)
{
  Start(path, L"");
}

FileHolder::FileHolder(const std::wstring& path, DWORD letGoMs)
{
  Start(path, L" " + std::to_wstring(letGoMs));
}

FileHolder::~FileHolder()
{
  if (!process_)
    return;
  TerminateProcess(process_.get(), 1);
  // The helper's hold ends only with the process.
  WaitForSingleObject(process_.get(), kEndTimeoutMs);
}

bool FileHolder::LetGo(DWORD timeoutMs) const
{
  DWORD exitCode = 1;
  return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(process_.get(), &exitCode) && exitCode == 0;
}

void FileHolder::Start(const std::wstring& path, const std::wstring& letGo)
{
  static int serial = 0;
  const std::wstring readyName = L"Local\\quillmere-hold-file-" +
                                 std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++serial);
  const ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
  if (!ready) {
    ADD_FAILURE() << "CreateEventW failed: " << GetLastError();
    return;
  }

  const std::wstring helper = HelperProgramPath(L"hold_file.exe");
  std::wstring commandLine = L"\"" + helper + L"\" \"" + path + L"\" " + readyName + letGo;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(helper.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &started)) {
    ADD_FAILURE() << "cannot start " << Utf8(helper) << ": error " << GetLastError();
    return;
  }
  const ScopedHandle thread(started.hThread);
  process_.reset(started.hProcess);

  // The helper either holds the file and says so, or ends.
  const HANDLE readyOrEnded[] = {ready.get(), process_.get()};
  holding_ = WaitForMultipleObjects(2, readyOrEnded, FALSE, kHoldTimeoutMs) == WAIT_OBJECT_0;
  EXPECT_TRUE(holding_) << Utf8(helper) << " does not hold " << Utf8(path);
}
