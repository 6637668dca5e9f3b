#include "timed_run.h"

#include <chrono>
#include <cwchar>

#include "run_threads_cpu.h"
#include "thread_cpu.h"

namespace {

// Each poll and each CPU sample is work for the wineserver, which the program under
// measurement shares: polling every 2 ms (and sampling every 20) cost the run 1-2 % of its
// time, against an end found at most 10 ms late on runs of tens of seconds.
constexpr DWORD kPollIntervalMs = 10;
// Reading the worker's CPU time lists every thread of the system: not at every poll.
constexpr int kPollsPerCpuSample = 10;
const std::wstring kSummaryPrefix = L"处理完成! 成功: ";

}  // namespace

std::wstring LogLine(const driver::QuillmereSession& app, LRESULT index)
{
  const HWND log = app.Control(driver::kLogListId);
  const LRESULT length = SendMessageW(log, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR)
    return std::wstring();
  std::wstring line(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(&line[0]));
  line.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return line;
}

std::wstring LastLogLine(const driver::QuillmereSession& app)
{
  const LRESULT count = SendMessageW(app.Control(driver::kLogListId), LB_GETCOUNT, 0, 0);
  return count > 0 ? LogLine(app, count - 1) : std::wstring();
}

void ChooseFolderAndSizes(driver::QuillmereSession& app, const std::wstring& folder,
                          const std::wstring& width, const std::wstring& height)
{
  app.ChooseFolder(folder);
  const std::wstring chosenLine = L"已选择目录: " + folder;
  if (!driver::WaitUntil([&] { return LastLogLine(app) == chosenLine; }, driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not log the chosen folder " +
                              Utf8(folder));
  app.SetSizes(width, height);
}

TimedRunResult RunBatch(driver::QuillmereSession& app, DWORD timeoutMs,
                        const std::function<void()>& onPoll)
{
  const DWORD uiThread = GetWindowThreadProcessId(app.Window(), nullptr);
  const double uiCpuBefore = ThreadCpuMs(uiThread);
  RunThreadsCpu runThreads(app.Process().Id());
  const auto started = std::chrono::steady_clock::now();
  app.Click(driver::kStartId);
  const auto deadline = started + std::chrono::milliseconds(timeoutMs);
  for (int poll = 0; !app.StartEnabled(); ++poll) {
    if (std::chrono::steady_clock::now() > deadline)
      throw driver::DriverError("the run did not end within " + std::to_string(timeoutMs) + " ms");
    if (poll % kPollsPerCpuSample == 0)
      runThreads.Sample();
    if (onPoll)
      onPoll();
    Sleep(kPollIntervalMs);
  }
  TimedRunResult result;
  result.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  const double uiCpuAfter = ThreadCpuMs(uiThread);
  if (uiCpuBefore >= 0 && uiCpuAfter >= 0)
    result.uiThreadCpuMs = uiCpuAfter - uiCpuBefore;
  result.runThreadsCpuMs = runThreads.TotalMs();

  result.lastLine = LastLogLine(app);
  if (result.lastLine.compare(0, kSummaryPrefix.size(), kSummaryPrefix) != 0)
    throw driver::DriverError("the run ended with " + Utf8(result.lastLine));
  const wchar_t* counts = result.lastLine.c_str() + kSummaryPrefix.size();
  wchar_t* slash = nullptr;
  result.succeeded = static_cast<int>(std::wcstol(counts, &slash, 10));
  result.files = *slash == L'/' ? static_cast<int>(std::wcstol(slash + 1, nullptr, 10)) : 0;
  return result;
}
