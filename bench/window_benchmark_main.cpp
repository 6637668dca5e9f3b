#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "process_counters.h"
#include "progress_range_probe.h"
#include "quillmere_session.h"
#include "soak_run.h"
#include "timed_run.h"

// Drives the real quillmere.exe through its window, its folder picker and its Start
// button, and prints what it measures as "record key=value..." lines. Paths may be Linux
// ones; under Wine they are taken as drive Z:. A size of "-" leaves its box empty.
//   window_benchmark batch EXE FOLDER WIDTH HEIGHT   one timed run
//   window_benchmark soak EXE FOLDER HEIGHT RUNS     memory, handles, responsiveness
//   window_benchmark range EXE FOLDER                discovery and progress range
namespace {

constexpr DWORD kBatchTimeoutMs = 30 * 60 * 1000;

std::wstring SizeText(const wchar_t* argument)
{
  return std::wstring(argument) == L"-" ? std::wstring() : std::wstring(argument);
}

void TimeOneBatch(const std::wstring& exePath, const std::wstring& folder,
                  const std::wstring& width, const std::wstring& height)
{
  driver::QuillmereSession app(exePath);
  ChooseFolderAndSizes(app, folder, width, height);
  const TimedRunResult result = RunBatch(app, kBatchTimeoutMs);
  std::printf("batch ms=%.1f files=%d succeeded=%d ms_per_file=%.2f ui_cpu_ms=%.1f "
              "worker_cpu_ms=%.1f %s\n",
              result.milliseconds, result.files, result.succeeded,
              result.files > 0 ? result.milliseconds / result.files : 0.0, result.uiThreadCpuMs,
              result.runThreadsCpuMs,
              FormatCounters("", SampleProcess(app.Process().Id())).c_str());
  std::fflush(stdout);
  if (!app.Close(driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not exit on WM_CLOSE");
}

int Usage()
{
  std::fprintf(stderr,
               "usage: window_benchmark batch EXE FOLDER WIDTH HEIGHT\n"
               "       window_benchmark soak EXE FOLDER HEIGHT RUNS\n"
               "       window_benchmark range EXE FOLDER\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc < 4)
    return Usage();
  const std::wstring mode = argv[1];
  const std::wstring exePath = driver::WindowsPath(argv[2]);
  try {
    if (mode == L"batch" && argc == 6)
      TimeOneBatch(exePath, driver::WindowsPath(argv[3]), SizeText(argv[4]), SizeText(argv[5]));
    else if (mode == L"soak" && argc == 6)
      RunSoak(exePath, driver::WindowsPath(argv[3]), SizeText(argv[4]), _wtoi(argv[5]));
    else if (mode == L"range" && argc == 4)
      ProbeProgressRange(exePath, driver::WindowsPath(argv[3]));
    else
      return Usage();
  } catch (const driver::DriverError& error) {
    std::fprintf(stderr, "window_benchmark: %s\n", error.what());
    return 1;
  }
  return 0;
}
