#include "progress_range_probe.h"

#include <chrono>
#include <cstdio>

#include "quillmere_session.h"
#include "timed_run.h"

namespace {

constexpr DWORD kDiscoveryTimeoutMs = 10 * 60 * 1000;

LRESULT LineCount(const driver::QuillmereSession& app)
{
  return SendMessageW(app.Control(driver::kLogListId), LB_GETCOUNT, 0, 0);
}

}  // namespace

void ProbeProgressRange(const std::wstring& exePath, const std::wstring& folder)
{
  driver::QuillmereSession app(exePath);
  ChooseFolderAndSizes(app, folder, L"", L"100");
  const LRESULT linesBefore = LineCount(app);

  const auto started = std::chrono::steady_clock::now();
  app.Click(driver::kStartId);
  // The run logs its start line as soon as the folder has been listed.
  if (!driver::WaitUntil([&] { return LineCount(app) > linesBefore; }, kDiscoveryTimeoutMs))
    throw driver::DriverError("the run logged nothing after discovery");
  const double discoveryMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();

  // The range is set before the position first moves past 0.
  const HWND progress = app.Control(driver::kProgressId);
  if (!driver::WaitUntil([&] { return app.Progress().position >= 1; }, driver::kUiTimeoutMs))
    throw driver::DriverError("the progress bar did not move");
  const driver::ProgressState state = driver::ProgressOf(progress);
  // The start, size and count lines, in that order.
  const std::wstring countLine = LogLine(app, linesBefore + 2);

  std::printf("range discovery_in_run_ms=%.1f range_low=%d range_high=%d position=%d "
              "count_line=%s\n",
              discoveryMs, state.low, state.high, state.position,
              Utf8(countLine).c_str());
  std::fflush(stdout);
  if (!app.Close(driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not exit on WM_CLOSE during the run");
}
