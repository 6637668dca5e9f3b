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
#include "app/session_guards.h"
#include "bare_loop.h"
#include "batch/image_discovery.h"
#include "imaging/resize_and_save.h"

// The program's own code run in this process, each mode printing what it measures:
//   bare INPUT OUTPUT WIDTH HEIGHT           the floor of the design (bare_loop.h)
//   core INPUT OUTPUT WIDTH HEIGHT PAUSE_MS  ListImageFiles, then ResizeAndSave per file,
//       pausing PAUSE_MS after each; then the run's 10 ms pause as this system sleeps it
//   discovery FOLDER REPEATS  ListImageFiles, first and median of the repeats, beside a
//       bare FindFirstFileW/FindNextFileW walk, the platform's share
//   ops SAMPLES GAP_MS  on the shown main window, from a second thread as a run makes them:
//       a file's operations and an empty round trip, GAP_MS apart as a file's work keeps
//       them (back to back, each would wait for the last one's drawing)
//   log LINES hidden|visible  one AppendLog as the log fills to LINES lines, on the
//       window's thread, then, the log cleared, from a second thread
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Each call timed, gapMs after the one before; sorted.
std::vector<double> TimeCalls(int calls, DWORD gapMs, const std::function<void(int)>& call)
{
  std::vector<double> times;
  for (int index = 0; index < calls; ++index) {
    Sleep(gapMs);
    const auto start = Clock::now();
    call(index);
    times.push_back(MillisecondsSince(start));
  }
  std::sort(times.begin(), times.end());
  return times;
}

int RunLoop(bool bare, const wchar_t* input, const std::wstring& output, int width, int height,
            DWORD pauseMs)
{
  const GdiplusSession gdiplus;
  LoopResult result;
  if (bare) {
    result = RunBareLoop(input, output, width, height);
  } else {
    CreateDirectoryW(output.c_str(), nullptr);
    const double cpuBefore = ThreadCpuMs(GetCurrentThread());
    const auto started = Clock::now();
    const std::vector<std::wstring> paths = ListImageFiles(input);
    for (const std::wstring& path : paths) {
      result.succeeded += ResizeAndSave(path, output + path.substr(path.rfind(L'\\')), width, height) ? 1 : 0;
      if (pauseMs > 0)
        Sleep(pauseMs);
    }
    result = {static_cast<int>(paths.size()), result.succeeded, MillisecondsSince(started),
              ThreadCpuMs(GetCurrentThread()) - cpuBefore};
  }
  std::printf("loop files=%d succeeded=%d pause_ms=%lu loop_ms=%.1f loop_cpu_ms=%.1f", result.files,
              result.succeeded, pauseMs, result.milliseconds, result.cpuMs);
  if (!bare) {
    const auto start = Clock::now();
    for (int sample = 0; sample < 200; ++sample)
      Sleep(10);
    std::printf(" sleep10_mean_ms=%.3f", MillisecondsSince(start) / 200);
  }
  std::printf("\n");
  return result.succeeded == result.files ? 0 : 1;
}

int TimeDiscovery(const std::wstring& folder, int repeats)
{
  size_t count = 0, entries = 0;
  const double firstMs = TimeCalls(1, 0, [&](int) { count = ListImageFiles(folder).size(); })[0];
  const std::vector<double> listMs = TimeCalls(repeats, 0, [&](int) {
    count = ListImageFiles(folder).size();
  });
  const std::vector<double> walkMs = TimeCalls(repeats, 0, [&](int) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    for (entries = find == INVALID_HANDLE_VALUE ? 0 : 1; entries > 0 && FindNextFileW(find, &entry);)
      ++entries;
    FindClose(find);
  });
  std::printf("discovery files=%zu entries=%zu first_ms=%.1f median_ms=%.1f walk_median_ms=%.1f "
              "repeats=%d\n", count, entries, firstMs, listMs[repeats / 2], walkMs[repeats / 2], repeats);
  return count > 0 ? 0 : 1;
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

// Runs work on a second thread while this one pumps the window's messages, as the program's
// window thread does during a run; the second thread closes the window when done.
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

int TimeWindow(bool operations, int count, const std::wstring& option)
{
  const char* window = operations || option == L"visible" ? "visible" : "hidden";
  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  g_mainWindow = CreateMainWindow(GetModuleHandleW(nullptr),
                                  WS_OVERLAPPEDWINDOW | (window[0] == 'v' ? WS_VISIBLE : 0));
  if (!g_mainWindow) {
    std::fprintf(stderr, "in_process_benchmark: the main window was not created\n");
    return 1;
  }
  if (operations) {
    PumpWhile([&] { TimeOperations(count, static_cast<DWORD>(_wtoi(option.c_str()))); });
  } else {
    TimeLogSizes(count, "ui_thread", window);
    ClearLog();
    PumpWhile([&] { TimeLogSizes(count, "worker_thread", window); });
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if ((mode == L"bare" && argc == 6) || (mode == L"core" && argc == 7))
    return RunLoop(mode == L"bare", argv[2], argv[3], _wtoi(argv[4]), _wtoi(argv[5]),
                   mode == L"core" ? static_cast<DWORD>(_wtoi(argv[6])) : 0);
  if (mode == L"discovery" && argc == 4)
    return TimeDiscovery(argv[2], std::max(1, _wtoi(argv[3])));
  if ((mode == L"ops" || mode == L"log") && argc == 4)
    return TimeWindow(mode == L"ops", std::max(2, _wtoi(argv[2])), argv[3]);
  std::fprintf(stderr, "usage: in_process_benchmark bare|core|discovery|ops|log ARGUMENTS...\n");
  return 2;
}
