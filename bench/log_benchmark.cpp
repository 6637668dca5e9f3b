#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/activity_log.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "pump_while.h"

// Usage: log_benchmark [LINES] [visible]
// Creates the real main window (hidden unless "visible") and times one AppendLog as the
// activity log fills up to LINES lines (20000 by default): first called on the window's
// own thread, then, after the log is cleared, from a second thread while the window's
// thread runs its message loop, as a batch run calls it.
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimedCalls = 101;

struct Checkpoint {
  int lines;
  double fillMs;    // time to add the lines since the previous checkpoint
  double medianMs;  // one AppendLog at this many lines
  double maxMs;
};

std::wstring FileLine(int number)
{
  return L"✓ photo_" + std::to_wstring(number) + L".jpg";
}

std::vector<Checkpoint> FillAndTime(int lines)
{
  std::vector<int> stops = {100, 1000, 5000, 10000, 20000, 50000};
  stops.erase(std::remove_if(stops.begin(), stops.end(), [lines](int stop) { return stop >= lines; }),
              stops.end());
  stops.push_back(lines);

  std::vector<Checkpoint> checkpoints;
  int added = 0;
  for (const int stop : stops) {
    const auto fillStart = Clock::now();
    while (added < stop)
      AppendLog(FileLine(++added));
    Checkpoint checkpoint = {stop, 0, 0, 0};
    checkpoint.fillMs = std::chrono::duration<double, std::milli>(Clock::now() - fillStart).count();

    std::vector<double> calls;
    for (int call = 0; call < kTimedCalls; ++call) {
      const auto start = Clock::now();
      AppendLog(FileLine(++added));
      calls.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(calls.begin(), calls.end());
    checkpoint.medianMs = calls[calls.size() / 2];
    checkpoint.maxMs = calls.back();
    checkpoints.push_back(checkpoint);
  }
  return checkpoints;
}

void Print(const char* caller, bool visible, const std::vector<Checkpoint>& checkpoints)
{
  for (const Checkpoint& checkpoint : checkpoints)
    std::printf("append_log caller=%s window=%s lines=%d fill_ms=%.1f median_ms=%.4f max_ms=%.4f\n",
                caller, visible ? "visible" : "hidden", checkpoint.lines, checkpoint.fillMs,
                checkpoint.medianMs, checkpoint.maxMs);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const int lines = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20000;
  const bool visible = argc > 2 && std::wstring(argv[2]) == L"visible";

  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  g_mainWindow = CreateMainWindow(GetModuleHandleW(nullptr),
                                  WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0));
  if (!g_mainWindow) {
    std::fprintf(stderr, "log_benchmark: the main window was not created\n");
    return 1;
  }

  Print("ui_thread", visible, FillAndTime(lines));
  ClearLog();

  PumpWhile([lines, visible] { Print("worker_thread", visible, FillAndTime(lines)); });
  return 0;
}
