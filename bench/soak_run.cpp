#include "soak_run.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "process_counters.h"
#include "quillmere_session.h"
#include "response_probe.h"
#include "timed_run.h"

namespace {

// A run of a few hundred photos takes a minute; this only catches a hang.
constexpr DWORD kRunTimeoutMs = 20 * 60 * 1000;
constexpr DWORD kProbeIntervalMs = 10;
constexpr int kEarlySampleFiles = 10;

void PrintSample(const std::string& label, int run, long long filesDone, DWORD processId)
{
  std::printf("sample label=%s run=%d files_done=%lld %s\n", label.c_str(), run, filesDone,
              FormatCounters("", SampleProcess(processId)).c_str());
  std::fflush(stdout);
}

// One run with the window polled throughout. In the first run the counters are also
// sampled once its progress passes the first files: position p means that the p-th file
// is being worked on, so p - 1 are done.
TimedRunResult PolledRun(driver::QuillmereSession& app, int run)
{
  const DWORD processId = app.Process().Id();
  const HWND progress = app.Control(driver::kProgressId);
  bool earlySampled = run != 1;
  ResponseProbe probe(app.Window(), progress, kProbeIntervalMs);
  const TimedRunResult result = RunBatch(app, kRunTimeoutMs, [&] {
    if (earlySampled)
      return;
    const int position = static_cast<int>(SendMessageW(progress, PBM_GETPOS, 0, 0));
    if (position > kEarlySampleFiles) {
      PrintSample("after_" + std::to_string(kEarlySampleFiles) + "_files", run,
                  kEarlySampleFiles, processId);
      earlySampled = true;
    }
  });
  probe.Stop();

  std::printf("run run=%d ms=%.1f files=%d succeeded=%d ui_cpu_ms=%.1f worker_cpu_ms=%.1f\n",
              run, result.milliseconds, result.files, result.succeeded, result.uiThreadCpuMs,
              result.runThreadsCpuMs);
  const ResponseProbe::Summary summary = probe.Summarize();
  std::printf("response run=%d files=%d samples=%zu timeouts=%zu median_ms=%.3f p99_ms=%.3f "
              "max_ms=%.3f position_at_max=%d over_50ms=%zu\n",
              run, result.files, summary.samples, summary.timeouts, summary.medianMs,
              summary.p99Ms, summary.maxMs, summary.positionAtMax, summary.over50Ms);
  return result;
}

}  // namespace

void RunSoak(const std::wstring& exePath, const std::wstring& folder, const std::wstring& height,
             int runs)
{
  driver::QuillmereSession app(exePath);
  ChooseFolderAndSizes(app, folder, L"", height);
  PrintSample("idle", 0, 0, app.Process().Id());

  long long filesDone = 0;
  for (int run = 1; run <= runs; ++run) {
    filesDone += PolledRun(app, run).files;
    PrintSample("after_run_" + std::to_string(run), run, filesDone, app.Process().Id());
  }
  if (!app.Close(driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not exit on WM_CLOSE");
}
