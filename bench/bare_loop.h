#pragma once
#include <windows.h>

#include <string>

// The floor of the program's design: every image file of inputFolder decoded, drawn at
// high-quality bicubic onto a 32-bit ARGB canvas and saved into outputFolder, and nothing
// else: the encoders looked up once, no header check, log, progress or pause. Needs GDI+.
// The times are of the loop alone, without listing the folder.
struct LoopResult {
  int files = 0;
  int succeeded = 0;
  double milliseconds = 0;
  double cpuMs = 0;  // the calling thread's
};
LoopResult RunBareLoop(const std::wstring& inputFolder, const std::wstring& outputFolder,
                       int width, int height);

// The user and kernel CPU time, in ms, that a thread has used so far, or -1 when it cannot
// be had. Wine answers it for another process's thread from Linux's per-thread accounting,
// in 10 ms ticks, and only while the thread lives.
double ThreadCpuMs(HANDLE thread);
