#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/session_guards.h"
#include "batch/image_discovery.h"
#include "imaging/resize_and_save.h"
#include "thread_cpu.h"

// Usage: core_resize_loop INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT [PAUSE_MS]
// The program's own imaging code without its window: ListImageFiles, then ResizeAndSave
// for every file, as a run calls them but with no log or progress bar, and with a pause of
// PAUSE_MS (0 by default) after each file. Beside the bare loop this separates what the
// imaging code, the pause and the window each add per file. Then times the run's 10 ms
// pause as this system really sleeps it.
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSleepSamples = 200;

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr,
                 "usage: core_resize_loop INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT [PAUSE_MS]\n");
    return 2;
  }
  const std::wstring outputFolder = argv[2];
  const int width = _wtoi(argv[3]);
  const int height = _wtoi(argv[4]);
  const DWORD pauseMs = argc > 5 ? static_cast<DWORD>(_wtoi(argv[5])) : 0;
  CreateDirectoryW(outputFolder.c_str(), nullptr);

  int succeeded = 0;
  size_t files = 0;
  double loopMs = 0;
  double loopCpuMs = 0;
  {
    const GdiplusSession gdiplus;
    const double cpuBefore = ThreadCpuMs(GetCurrentThreadId());
    const auto started = Clock::now();
    const std::vector<std::wstring> paths = ListImageFiles(argv[1]);
    for (const std::wstring& path : paths) {
      const std::wstring name = path.substr(path.rfind(L'\\') + 1);
      if (ResizeAndSave(path, outputFolder + L"\\" + name, width, height))
        ++succeeded;
      if (pauseMs > 0)
        Sleep(pauseMs);
    }
    loopMs = MillisecondsSince(started);
    loopCpuMs = ThreadCpuMs(GetCurrentThreadId()) - cpuBefore;
    files = paths.size();
  }

  std::vector<double> sleeps;
  for (int sample = 0; sample < kSleepSamples; ++sample) {
    const auto start = Clock::now();
    Sleep(10);
    sleeps.push_back(MillisecondsSince(start));
  }
  double total = 0;
  for (const double sleep : sleeps)
    total += sleep;
  std::sort(sleeps.begin(), sleeps.end());

  std::printf("core files=%zu succeeded=%d pause_ms=%lu loop_ms=%.1f loop_cpu_ms=%.1f "
              "ms_per_file=%.2f sleep10_mean_ms=%.3f sleep10_median_ms=%.3f sleep10_max_ms=%.3f\n",
              files, succeeded, pauseMs, loopMs, loopCpuMs,
              files ? loopMs / static_cast<double>(files) : 0.0,
              total / kSleepSamples, sleeps[sleeps.size() / 2], sleeps.back());
  std::fflush(stdout);
  return succeeded == static_cast<int>(files) ? 0 : 1;
}
