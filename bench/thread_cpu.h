#pragma once
#include <windows.h>

// The user and kernel CPU time, in ms, that a thread of any process has used so far, or a
// negative value when it cannot be had. Wine answers it for another process's thread
// from Linux's per-thread accounting.
double ThreadCpuMs(DWORD threadId);
