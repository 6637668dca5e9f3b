#include "timed_run.h"

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <memory>
#include <set>
#include <vector>

#include "thread_cpu.h"

namespace {

using Clock = std::chrono::steady_clock;
// Each poll is work for the wineserver, which the program under measurement shares:
// polling every 2 ms cost the run 1-2 % of its time.
constexpr DWORD kPollIntervalMs = 10;
// Finding the run's threads lists every thread of the system: not at every poll.
constexpr int kPollsPerThreadListing = 10;
const std::wstring kSummaryPrefix = L"处理完成! 成功: ";

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ThreadHandle = std::unique_ptr<void, HandleCloser>;

std::set<DWORD> ThreadsOf(DWORD processId)
{
  std::set<DWORD> threads;
  const ThreadHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == processId)
      threads.insert(entry.th32ThreadID);
  }
  return threads;
}

// The CPU time of the threads that a process starts after this object is made: the run's
// worker. Under Wine an ended thread reads as 0, so each is read at every poll and counts
// with its highest reading; its handle is held, so that its id is not reused meanwhile.
class RunThreadsCpu {
 public:
  explicit RunThreadsCpu(DWORD processId) : processId_(processId), before_(ThreadsOf(processId)) {}

  void Sample(bool listThreads)
  {
    for (const DWORD id : listThreads ? ThreadsOf(processId_) : std::set<DWORD>()) {
      if (before_.insert(id).second)
        threads_.push_back({ThreadHandle(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id)), -1});
    }
    for (auto& thread : threads_)
      thread.second = std::max(thread.second, ThreadCpuMs(thread.first.get()));
  }

  double TotalMs() const
  {
    double total = -1;
    for (const auto& thread : threads_)
      total = thread.second < 0 ? total : std::max(total, 0.0) + thread.second;
    return total;
  }

 private:
  DWORD processId_;
  std::set<DWORD> before_;  // and those already found
  std::vector<std::pair<ThreadHandle, double>> threads_;
};

LRESULT LogLineCount(const driver::QuillmereSession& app)
{
  return SendMessageW(app.Control(driver::kLogListId), LB_GETCOUNT, 0, 0);
}

// Read alone: the log may hold thousands of lines.
std::wstring LastLogLine(const driver::QuillmereSession& app)
{
  return driver::ListBoxLine(app.Control(driver::kLogListId), LogLineCount(app) - 1)
      .value_or(std::wstring());
}

double UiThreadCpuMs(const driver::QuillmereSession& app)
{
  const ThreadHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                                       GetWindowThreadProcessId(app.Window(), nullptr)));
  return thread ? ThreadCpuMs(thread.get()) : -1;
}

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void ChooseFolderAndSizes(driver::QuillmereSession& app, const std::wstring& folder,
                          const std::wstring& width, const std::wstring& height)
{
  app.ChooseFolder(folder);
  const std::wstring chosenLine = L"已选择目录: " + folder;
  if (!driver::WaitUntil([&] { return LastLogLine(app) == chosenLine; }, driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not log the chosen folder " + Utf8(folder));
  app.SetSizes(width, height);
}

TimedRunResult RunBatch(driver::QuillmereSession& app, DWORD timeoutMs,
                        const std::function<void()>& onPoll)
{
  const double uiCpuBefore = UiThreadCpuMs(app);
  RunThreadsCpu runThreads(app.Process().Id());
  const auto started = Clock::now();
  app.Click(driver::kStartId);
  for (int poll = 0; !app.StartEnabled(); ++poll) {
    if (MillisecondsSince(started) > timeoutMs)
      throw driver::DriverError("the run did not end within " + std::to_string(timeoutMs) + " ms");
    runThreads.Sample(poll % kPollsPerThreadListing == 0);
    if (onPoll)
      onPoll();
    Sleep(kPollIntervalMs);
  }
  TimedRunResult result;
  result.milliseconds = MillisecondsSince(started);
  const double uiCpuAfter = UiThreadCpuMs(app);
  if (uiCpuBefore >= 0 && uiCpuAfter >= 0)
    result.uiThreadCpuMs = uiCpuAfter - uiCpuBefore;
  result.runThreadsCpuMs = runThreads.TotalMs();

  const std::wstring lastLine = LastLogLine(app);
  if (lastLine.compare(0, kSummaryPrefix.size(), kSummaryPrefix) != 0)
    throw driver::DriverError("the run ended with " + Utf8(lastLine));
  wchar_t* slash = nullptr;
  result.succeeded = static_cast<int>(std::wcstol(lastLine.c_str() + kSummaryPrefix.size(), &slash, 10));
  result.files = *slash == L'/' ? static_cast<int>(std::wcstol(slash + 1, nullptr, 10)) : 0;
  return result;
}

double TimeToFirstLine(driver::QuillmereSession& app, DWORD timeoutMs)
{
  const LRESULT linesBefore = LogLineCount(app);
  const auto started = Clock::now();
  app.Click(driver::kStartId);
  if (!driver::WaitUntil([&] { return LogLineCount(app) > linesBefore; }, timeoutMs))
    throw driver::DriverError("the run logged nothing after listing the folder");
  return MillisecondsSince(started);
}
