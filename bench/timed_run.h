#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "quillmere_session.h"

struct TimedRunResult {
  double milliseconds = 0;  // from the Start click until the run enabled Start again
  int files = 0;            // from the summary line
  int succeeded = 0;
  double uiThreadCpuMs = -1;  // CPU time of the window's thread during the run
  double runThreadsCpuMs = 0;  // CPU time of the threads started by the run: its worker
  std::wstring lastLine;
};

// Clicks Start and waits for the run to end, calling onPoll every few milliseconds while
// it works. Throws driver::DriverError when the run does not end within timeoutMs or does
// not end with its summary line.
TimedRunResult RunBatch(driver::QuillmereSession& app, DWORD timeoutMs,
                        const std::function<void()>& onPoll = nullptr);

// Lines of the program's log, read one at a time: the whole log may be thousands of lines.
std::wstring LogLine(const driver::QuillmereSession& app, LRESULT index);
std::wstring LastLogLine(const driver::QuillmereSession& app);

// Starts the program and chooses folder through its picker. Throws driver::DriverError.
void ChooseFolderAndSizes(driver::QuillmereSession& app, const std::wstring& folder,
                          const std::wstring& width, const std::wstring& height);
