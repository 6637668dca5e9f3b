#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/activity_log.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/progress_bar.h"

// Times the window operations of a batch run on the real main window, made from a second
// thread while the window's thread runs its message loop, as a run makes them:
//   window_ops_benchmark ops SAMPLES GAP_MS
//     each operation a run makes per file (AppendLog, SetProgress) and an empty round trip
//     to the window's thread, on the shown window, GAP_MS apart as a run's calls are a
//     file's work apart (back to back, a call would also wait for the previous drawing)
//   window_ops_benchmark log LINES hidden|visible
//     one AppendLog as the log fills up to LINES lines: on the window's own thread, then,
//     after the log is cleared, from a second thread
namespace {

// The times of calls, GAP_MS apart, sorted.
std::vector<double> TimeCalls(int calls, DWORD gapMs, const std::function<void(int)>& call)
{
  std::vector<double> times;
  for (int index = 0; index < calls; ++index) {
    Sleep(gapMs);
    const auto start = std::chrono::steady_clock::now();
    call(index);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times;
}

void AppendFileLine(int number)
{
  AppendLog(L"✓ photo_" + std::to_wstring(number) + L".jpg");
}

void TimeOperations(int samples, DWORD gapMs)
{
  int line = 0;
  SendMessageW(g_progressBar, PBM_SETRANGE32, 0, samples);
  const std::pair<const char*, std::function<void(int)>> operations[] = {
      // A message the window does nothing with: what any wait for the window's thread costs.
      {"WM_NULL", [](int) { SendMessageW(g_mainWindow, WM_NULL, 0, 0); }},
      {"AppendLog", [&line](int) { AppendFileLine(++line); }},
      {"SetProgress", [](int index) { SetProgress(index + 1); }},
  };
  for (const auto& operation : operations) {
    const std::vector<double> times = TimeCalls(samples, gapMs, operation.second);
    std::printf("window_op operation=%s samples=%d gap_ms=%lu median_ms=%.4f max_ms=%.4f\n",
                operation.first, samples, gapMs, times[times.size() / 2], times.back());
  }
}

void TimeLogSizes(int lines, const char* caller, const char* window)
{
  int added = 0;
  for (const int stop : {100, 1000, 5000, 10000, 20000, 50000, lines}) {
    if (stop > lines || added >= stop)
      continue;
    while (added < stop)
      AppendFileLine(++added);
    const std::vector<double> times = TimeCalls(101, 0, [&added](int) { AppendFileLine(++added); });
    std::printf("append_log caller=%s window=%s lines=%d median_ms=%.4f max_ms=%.4f\n", caller,
                window, stop, times[50], times.back());
  }
}

// Runs work on a second thread while this one pumps the window's messages; the second
// thread closes the window when done.
void PumpWhile(const std::function<void()>& work)
{
  std::thread worker([&work] {
    work();
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
  });
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  worker.join();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const std::wstring mode = argc == 4 ? argv[1] : L"";
  if (mode != L"ops" && mode != L"log") {
    std::fprintf(stderr, "usage: window_ops_benchmark ops SAMPLES GAP_MS\n"
                         "       window_ops_benchmark log LINES hidden|visible\n");
    return 2;
  }
  const int count = std::max(2, _wtoi(argv[2]));
  const bool visible = mode == L"ops" || std::wstring(argv[3]) == L"visible";
  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  g_mainWindow = CreateMainWindow(GetModuleHandleW(nullptr),
                                  WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0));
  if (!g_mainWindow) {
    std::fprintf(stderr, "window_ops_benchmark: the main window was not created\n");
    return 1;
  }
  const char* window = visible ? "visible" : "hidden";
  if (mode == L"ops") {
    const DWORD gapMs = static_cast<DWORD>(std::max(0, _wtoi(argv[3])));
    PumpWhile([count, gapMs] { TimeOperations(count, gapMs); });
  } else {
    TimeLogSizes(count, "ui_thread", window);
    ClearLog();
    PumpWhile([count, window] { TimeLogSizes(count, "worker_thread", window); });
  }
  std::fflush(stdout);
  return 0;
}
