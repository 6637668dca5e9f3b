#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/scoped_handle.h"
#include "quillmere_session.h"

// Steps of a driven run; each throws driver::DriverError when the program fails them.

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
// calling onPoll at every poll. A run that takes half an hour has hung.
TimedRunResult RunBatch(driver::QuillmereSession& app,
                        const std::function<void()>& onPoll = nullptr);

// Takes one program process through runs consecutive runs: its memory and object counts
// before the first run, after its first 10 files and after every run, and the window's
// answer to WM_NULL timed at every poll. Prints one line per sample and per run.
void RunSoak(driver::QuillmereSession& app, int runs);
