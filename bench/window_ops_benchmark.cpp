#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/activity_log.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/progress_bar.h"
#include "pump_while.h"

// Usage: window_ops_benchmark [SAMPLES] [GAP_MS] [hidden] [system-font]
// Times, from a second thread as a batch run makes them, each window operation that a run
// makes per file, on the real main window (shown unless "hidden"): AppendLog and SetProgress,
// beside the messages they replaced (three list-box messages, PBM_SETPOS) and an empty round
// trip to the window's thread. GAP_MS apart (0 by default), as a run's calls are a file's
// work apart: back to back, a call also waits for the painting that the one before left to
// the window's thread. With "system-font" the log keeps the system font instead of the
// program's, to tell the font's share.
namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
  const char* operation;
  double medianMs;
  double meanMs;
  double maxMs;
};

DWORD g_gapMs = 0;

Timing TimeOperation(const char* operation, int samples, const std::function<void(int)>& call)
{
  std::vector<double> times;
  for (int sample = 0; sample < samples; ++sample) {
    Sleep(g_gapMs);
    const auto start = Clock::now();
    call(sample);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  double total = 0;
  for (const double time : times)
    total += time;
  std::sort(times.begin(), times.end());
  return {operation, times[times.size() / 2], total / samples, times.back()};
}

std::wstring FileLine(int number)
{
  return L"✓ photo_" + std::to_wstring(number) + L".jpg";
}

std::vector<Timing> TimeAll(int samples)
{
  std::vector<Timing> timings;
  int line = 0;
  // How a worker's log line was added before it took one message to the main window: three
  // list-box messages, each waited for, two of which draw the scroll bar.
  timings.push_back(TimeOperation("LB_ADDSTRING+LB_GETCOUNT+LB_SETTOPINDEX", samples, [&](int) {
    const std::wstring text = FileLine(++line);
    SendMessageW(g_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const LRESULT count = SendMessageW(g_logList, LB_GETCOUNT, 0, 0);
    SendMessageW(g_logList, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
  }));
  // A message the window does nothing with: what any wait for the window's thread costs.
  timings.push_back(TimeOperation("WM_NULL", samples, [](int) {
    SendMessageW(g_mainWindow, WM_NULL, 0, 0);
  }));
  timings.push_back(
      TimeOperation("AppendLog", samples, [&](int) { AppendLog(FileLine(++line)); }));
  // The bar's step, as the run once sent it and as the program makes it now.
  SendMessageW(g_progressBar, PBM_SETRANGE32, 0, samples);
  timings.push_back(TimeOperation("PBM_SETPOS", samples, [](int sample) {
    SendMessageW(g_progressBar, PBM_SETPOS, static_cast<WPARAM>(sample) + 1, 0);
  }));
  timings.push_back(
      TimeOperation("SetProgress", samples, [samples](int sample) { SetProgress(samples - sample); }));
  return timings;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const int samples = argc > 1 ? std::max(2, _wtoi(argv[1])) : 200;
  g_gapMs = argc > 2 ? static_cast<DWORD>(std::max(0, _wtoi(argv[2]))) : 0;
  bool visible = true;
  bool systemFont = false;
  for (int index = 3; index < argc; ++index) {
    visible = visible && std::wstring(argv[index]) != L"hidden";
    systemFont = systemFont || std::wstring(argv[index]) == L"system-font";
  }

  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  g_mainWindow = CreateMainWindow(GetModuleHandleW(nullptr),
                                  WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0));
  if (!g_mainWindow) {
    std::fprintf(stderr, "window_ops_benchmark: the main window was not created\n");
    return 1;
  }
  if (systemFont)
    SendMessageW(g_logList, WM_SETFONT, 0, TRUE);

  PumpWhile([samples, visible, systemFont] {
    for (const Timing& timing : TimeAll(samples))
      std::printf("window_op operation=%s window=%s font=%s samples=%d gap_ms=%lu median_ms=%.4f "
                  "mean_ms=%.4f max_ms=%.4f\n",
                  timing.operation, visible ? "visible" : "hidden",
                  systemFont ? "system" : "program", samples, g_gapMs, timing.medianMs,
                  timing.meanMs, timing.maxMs);
    std::fflush(stdout);
  });
  return 0;
}
