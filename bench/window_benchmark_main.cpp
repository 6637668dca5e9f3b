#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "app/session_guards.h"
#include "bare_loop.h"
#include "quillmere_session.h"
#include "soak_run.h"
#include "timed_run.h"

// Drives the real quillmere.exe through its window, its folder picker and its Start
// button, and prints what it measures as "record key=value..." lines. Paths may be Linux
// ones; under Wine they are taken as drive Z:. A size of "-" leaves its box empty.
//   window_benchmark batch EXE FOLDER WIDTH HEIGHT        one timed run
//   window_benchmark paired EXE FOLDER FLOOR WIDTH HEIGHT PAIRS
//     pairs of one timed run and one run of the bare loop (bare_loop.h) over the same
//     files into FLOOR, the order alternating, after one pair left untimed to warm the
//     caches and create the outputs
//   window_benchmark soak EXE FOLDER HEIGHT RUNS          see soak_run.h
//   window_benchmark first-line EXE FOLDER
//     the time from the Start click to the run's first line, and its count line
namespace {

constexpr DWORD kRunTimeoutMs = 30 * 60 * 1000;

std::wstring SizeText(const wchar_t* argument)
{
  return std::wstring(argument) == L"-" ? std::wstring() : std::wstring(argument);
}

void Close(driver::QuillmereSession& app)
{
  if (!app.Close(driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not exit on WM_CLOSE");
}

void TimeOneBatch(driver::QuillmereSession& app)
{
  const TimedRunResult result = RunBatch(app, kRunTimeoutMs);
  std::printf("batch ms=%.1f files=%d succeeded=%d ui_cpu_ms=%.1f worker_cpu_ms=%.1f\n",
              result.milliseconds, result.files, result.succeeded, result.uiThreadCpuMs,
              result.runThreadsCpuMs);
}

void RunPairs(driver::QuillmereSession& app, const std::wstring& folder,
              const std::wstring& floorFolder, int width, int height, int pairs)
{
  const GdiplusSession gdiplus;
  const auto floor = [&] { return RunBareLoop(folder, floorFolder, width, height); };
  RunBatch(app, kRunTimeoutMs);
  floor();
  for (int pair = 1; pair <= pairs; ++pair) {
    const bool batchFirst = pair % 2 == 1;
    LoopResult bare = batchFirst ? LoopResult() : floor();
    const TimedRunResult batch = RunBatch(app, kRunTimeoutMs);
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

// The start, folder-size and count lines come in that order.
void TimeFirstLine(driver::QuillmereSession& app)
{
  const HWND log = app.Control(driver::kLogListId);
  const LRESULT startLine = SendMessageW(log, LB_GETCOUNT, 0, 0);
  const double milliseconds = TimeToFirstLine(app, kRunTimeoutMs);
  std::wstring countLine;
  if (!driver::WaitUntil([&] {
        countLine = driver::ListBoxLine(log, startLine + 2).value_or(std::wstring());
        return !countLine.empty();
      }, driver::kUiTimeoutMs))
    throw driver::DriverError("the run logged no count line");
  std::printf("first_line ms=%.1f count_line=%s\n", milliseconds, Utf8(countLine).c_str());
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
    Close(app);
  } catch (const driver::DriverError& error) {
    std::fprintf(stderr, "window_benchmark: %s\n", error.what());
    return 1;
  }
  return 0;
}
