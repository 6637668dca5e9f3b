#include "thread_cpu.h"

namespace {

double Milliseconds(const FILETIME& time)
{
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 10000.0;
}

}  // namespace

double ThreadCpuMs(DWORD threadId)
{
  const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
  if (!thread)
    return -1;
  FILETIME created, exited, kernel, user;
  const BOOL answered = GetThreadTimes(thread, &created, &exited, &kernel, &user);
  CloseHandle(thread);
  return answered ? Milliseconds(kernel) + Milliseconds(user) : -1;
}
