#include "timed_run.h"

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <set>
#include <vector>

#include "bare_loop.h"

namespace {

using Clock = std::chrono::steady_clock;
// Each poll is work for the wineserver, which the program under measurement shares:
// polling every 2 ms cost the run 1-2 % of its time.
constexpr DWORD kPollIntervalMs = 10;
// Finding the run's threads lists every thread of the system: not at every poll.
constexpr int kPollsPerThreadListing = 10;
constexpr double kRunTimeoutMs = 30 * 60 * 1000;
const std::wstring kSummaryPrefix = L"处理完成! 成功: ";

std::set<DWORD> ThreadsOf(DWORD processId)
{
  std::set<DWORD> threads;
  const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == processId)
      threads.insert(entry.th32ThreadID);
  }
  return threads;
}

// Read alone: the log may hold thousands of lines.
std::wstring LastLogLine(const driver::QuillmereSession& app)
{
  const HWND log = app.Control(driver::kLogListId);
  return driver::ListBoxLine(log, SendMessageW(log, LB_GETCOUNT, 0, 0) - 1).value_or(L"");
}

double UiThreadCpuMs(const driver::QuillmereSession& app)
{
  const ScopedHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
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

TimedRunResult RunBatch(driver::QuillmereSession& app, const std::function<void()>& onPoll)
{
  const double uiCpuBefore = UiThreadCpuMs(app);
  // The threads the run starts: its worker. Under Wine an ended thread reads as 0, so each
  // is read at every poll and counts with its highest reading; its handle is held, so that
  // its id is not reused meanwhile.
  std::set<DWORD> known = ThreadsOf(app.Process().Id());
  std::vector<std::pair<ScopedHandle, double>> runThreads;
  const auto started = Clock::now();
  app.Click(driver::kStartId);
  for (int poll = 0; !app.StartEnabled(); ++poll) {
    if (MillisecondsSince(started) > kRunTimeoutMs)
      throw driver::DriverError("the run did not end within half an hour");
    for (const DWORD id : poll % kPollsPerThreadListing ? std::set<DWORD>() : ThreadsOf(app.Process().Id())) {
      if (known.insert(id).second)
        runThreads.push_back({ScopedHandle(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id)), -1});
    }
    for (auto& thread : runThreads)
      thread.second = std::max(thread.second, ThreadCpuMs(thread.first.get()));
    if (onPoll)
      onPoll();
    Sleep(kPollIntervalMs);
  }
  TimedRunResult result;
  result.milliseconds = MillisecondsSince(started);
  const double uiCpuAfter = UiThreadCpuMs(app);
  if (uiCpuBefore >= 0 && uiCpuAfter >= 0)
    result.uiThreadCpuMs = uiCpuAfter - uiCpuBefore;
  for (const auto& thread : runThreads)
    result.runThreadsCpuMs = thread.second < 0 ? result.runThreadsCpuMs
                                               : std::max(result.runThreadsCpuMs, 0.0) + thread.second;

  const std::wstring lastLine = LastLogLine(app);
  if (lastLine.compare(0, kSummaryPrefix.size(), kSummaryPrefix) != 0)
    throw driver::DriverError("the run ended with " + Utf8(lastLine));
  wchar_t* slash = nullptr;
  result.succeeded = static_cast<int>(std::wcstol(lastLine.c_str() + kSummaryPrefix.size(), &slash, 10));
  result.files = *slash == L'/' ? static_cast<int>(std::wcstol(slash + 1, nullptr, 10)) : 0;
  return result;
}
