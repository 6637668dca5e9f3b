#include "run_threads_cpu.h"

#include <tlhelp32.h>

#include <functional>

#include "thread_cpu.h"

namespace {

void ForEachThread(DWORD processId, const std::function<void(DWORD)>& visit)
{
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == processId)
      visit(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
}

}  // namespace

RunThreadsCpu::RunThreadsCpu(DWORD processId) : processId_(processId)
{
  ForEachThread(processId_, [this](DWORD thread) { before_.insert(thread); });
}

void RunThreadsCpu::Sample()
{
  ForEachThread(processId_, [this](DWORD thread) {
    if (before_.count(thread) != 0)
      return;
    const double milliseconds = ThreadCpuMs(thread);
    if (milliseconds >= 0)
      lastReading_[thread] = milliseconds;
  });
}

double RunThreadsCpu::TotalMs() const
{
  double total = 0;
  for (const auto& reading : lastReading_)
    total += reading.second;
  return total;
}
