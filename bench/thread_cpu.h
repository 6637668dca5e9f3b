#pragma once
#include <windows.h>

// The user and kernel CPU time, in ms, that a thread has used so far, or -1 when it cannot
// be had. Wine answers it for another process's thread from Linux's per-thread accounting,
// in 10 ms ticks, and only while the thread lives.
inline double ThreadCpuMs(HANDLE thread)
{
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
    return -1;
  const auto ms = [](const FILETIME& time) {
    return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 |
                               time.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}
