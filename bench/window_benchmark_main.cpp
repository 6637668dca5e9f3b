#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/session_guards.h"
#include "bare_loop.h"
#include "quillmere_session.h"
#include "timed_run.h"

// Drives the real quillmere.exe through its window, folder picker and Start button, and
// prints "record key=value..." lines. Linux paths are taken as drive Z:; a size of "-"
// leaves its box empty.
//   batch EXE FOLDER WIDTH HEIGHT               one timed run
//   paired EXE FOLDER FLOOR WIDTH HEIGHT PAIRS  pairs of a timed run and a run of the bare
//       loop (bare_loop.h) over the same files into FLOOR, the order alternating, after one
//       untimed pair that warms the caches and creates the outputs
//   soak EXE FOLDER HEIGHT RUNS                 see RunSoak
//   first-line EXE FOLDER                       Start click to the first line, and the count line
namespace {

constexpr DWORD kListingTimeoutMs = 10 * 60 * 1000;

std::wstring SizeText(const wchar_t* argument)
{
  return std::wstring(argument) == L"-" ? std::wstring() : std::wstring(argument);
}

void TimeOneBatch(driver::QuillmereSession& app)
{
  const TimedRunResult result = RunBatch(app);
  std::printf("batch ms=%.1f files=%d succeeded=%d ui_cpu_ms=%.1f worker_cpu_ms=%.1f\n",
              result.milliseconds, result.files, result.succeeded, result.uiThreadCpuMs,
              result.runThreadsCpuMs);
}

void RunPairs(driver::QuillmereSession& app, const std::wstring& folder,
              const std::wstring& floorFolder, int width, int height, int pairs)
{
  const GdiplusSession gdiplus;
  const auto floor = [&] { return RunBareLoop(folder, floorFolder, width, height); };
  RunBatch(app);
  floor();
  for (int pair = 1; pair <= pairs; ++pair) {
    const bool batchFirst = pair % 2 == 1;
    LoopResult bare = batchFirst ? LoopResult() : floor();
    const TimedRunResult batch = RunBatch(app);
    if (batchFirst)
      bare = floor();
    if (batch.succeeded != batch.files || bare.succeeded != bare.files || batch.files != bare.files)
      throw driver::DriverError("pair " + std::to_string(pair) + ": not every file was written");
    std::printf("pair index=%d first=%s files=%d batch_ms=%.1f floor_ms=%.1f worker_cpu_ms=%.1f "
                "ui_cpu_ms=%.1f floor_cpu_ms=%.1f\n",
                pair, batchFirst ? "batch" : "floor", batch.files, batch.milliseconds,
                bare.milliseconds, batch.runThreadsCpuMs, batch.uiThreadCpuMs, bare.cpuMs);
    std::fflush(stdout);
  }
}

// The run logs its start, size and count lines once it has listed the folder.
void TimeFirstLine(driver::QuillmereSession& app)
{
  const HWND log = app.Control(driver::kLogListId);
  const LRESULT startLine = SendMessageW(log, LB_GETCOUNT, 0, 0);
  const auto started = std::chrono::steady_clock::now();
  app.Click(driver::kStartId);
  if (!driver::WaitUntil([&] { return SendMessageW(log, LB_GETCOUNT, 0, 0) > startLine; },
                         kListingTimeoutMs))
    throw driver::DriverError("the run logged nothing");
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started;
  std::wstring countLine;
  if (!driver::WaitUntil([&] {
        countLine = driver::ListBoxLine(log, startLine + 2).value_or(L"");
        return !countLine.empty();
      }, driver::kUiTimeoutMs))
    throw driver::DriverError("the run logged no count line");
  std::printf("first_line ms=%.1f count_line=%s\n", elapsed.count(), Utf8(countLine).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const int expected = mode == L"batch" || mode == L"soak" ? 6 : mode == L"paired" ? 8 : 4;
  if (argc != expected || (mode != L"batch" && mode != L"soak" && mode != L"paired" &&
                           mode != L"first-line")) {
    std::fprintf(stderr, "usage: window_benchmark batch|paired|soak|first-line EXE FOLDER ...\n");
    return 2;
  }
  const std::wstring folder = driver::WindowsPath(argv[3]);
  try {
    driver::QuillmereSession app(driver::WindowsPath(argv[2]));
    if (mode == L"soak") {
      ChooseFolderAndSizes(app, folder, L"", SizeText(argv[4]));
      RunSoak(app, _wtoi(argv[5]));
    } else if (mode == L"paired") {
      ChooseFolderAndSizes(app, folder, SizeText(argv[5]), SizeText(argv[6]));
      RunPairs(app, folder, driver::WindowsPath(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]),
               _wtoi(argv[7]));
    } else if (mode == L"batch") {
      ChooseFolderAndSizes(app, folder, SizeText(argv[4]), SizeText(argv[5]));
      TimeOneBatch(app);
    } else {
      ChooseFolderAndSizes(app, folder, L"", L"100");
      TimeFirstLine(app);
    }
    std::fflush(stdout);
    if (!app.Close(driver::kUiTimeoutMs))
      throw driver::DriverError("the program did not exit on WM_CLOSE");
  } catch (const driver::DriverError& error) {
    std::fprintf(stderr, "window_benchmark: %s\n", error.what());
    return 1;
  }
  return 0;
}
