#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "quillmere_session.h"

// Steps of a driven run of the program; each throws driver::DriverError when the program
// does not do what it should.

// Chooses folder through the program's picker and types the sizes.
void ChooseFolderAndSizes(driver::QuillmereSession& app, const std::wstring& folder,
                          const std::wstring& width, const std::wstring& height);

struct TimedRunResult {
  double milliseconds = 0;     // from the Start click until the run enabled Start again
  int files = 0;               // from the summary line
  int succeeded = 0;
  double uiThreadCpuMs = -1;   // CPU time of the window's thread during the run
  double runThreadsCpuMs = -1;  // of the threads the run started, its worker; -1: unread
};
// Clicks Start and waits, polling every 10 ms, for the run to end with its summary line,
// calling onPoll at every poll.
TimedRunResult RunBatch(driver::QuillmereSession& app, DWORD timeoutMs,
                        const std::function<void()>& onPoll = nullptr);

// Clicks Start and returns the time until the run's first line, which it logs once the
// folder has been listed, leaving the run going.
double TimeToFirstLine(driver::QuillmereSession& app, DWORD timeoutMs);
