#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/session_guards.h"
#include "bare_loop.h"
#include "batch/image_discovery.h"
#include "imaging/resize_and_save.h"
#include "thread_cpu.h"

// The program's code without its window, each printing one line:
//   resize_loop bare INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT
//     the floor of the design (bare_loop.h)
//   resize_loop core INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT [PAUSE_MS]
//     ListImageFiles, then ResizeAndSave for every file as a run calls them, with a pause of
//     PAUSE_MS (0 by default) after each file; then the mean of the run's 10 ms pause as
//     this system sleeps it
//   resize_loop discovery FOLDER REPEATS
//     ListImageFiles on FOLDER, the first call and the median of the repeats, beside a bare
//     FindFirstFileW/FindNextFileW walk of it, the platform's share
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

LoopResult RunCoreLoop(const std::wstring& inputFolder, const std::wstring& outputFolder,
                       int width, int height, DWORD pauseMs)
{
  CreateDirectoryW(outputFolder.c_str(), nullptr);
  LoopResult result;
  const double cpuBefore = ThreadCpuMs(GetCurrentThread());
  const auto started = Clock::now();
  const std::vector<std::wstring> paths = ListImageFiles(inputFolder);
  for (const std::wstring& path : paths) {
    if (ResizeAndSave(path, outputFolder + path.substr(path.rfind(L'\\')), width, height))
      ++result.succeeded;
    if (pauseMs > 0)
      Sleep(pauseMs);
  }
  result.milliseconds = MillisecondsSince(started);
  result.cpuMs = ThreadCpuMs(GetCurrentThread()) - cpuBefore;
  result.files = static_cast<int>(paths.size());
  return result;
}

double MeanSleep10Ms()
{
  const auto start = Clock::now();
  for (int sample = 0; sample < 200; ++sample)
    Sleep(10);
  return MillisecondsSince(start) / 200;
}

size_t BareWalk(const std::wstring& folder)
{
  size_t entries = 0;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    ++entries;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return entries;
}

int TimeDiscovery(const std::wstring& folder, int repeats)
{
  auto start = Clock::now();
  size_t count = ListImageFiles(folder).size();
  const double firstMs = MillisecondsSince(start);
  std::vector<double> listMs, walkMs;
  size_t entries = 0;
  for (int repeat = 0; repeat < repeats; ++repeat) {
    start = Clock::now();
    count = ListImageFiles(folder).size();
    listMs.push_back(MillisecondsSince(start));
    start = Clock::now();
    entries = BareWalk(folder);
    walkMs.push_back(MillisecondsSince(start));
  }
  std::printf("discovery files=%zu entries=%zu first_ms=%.1f median_ms=%.1f walk_median_ms=%.1f "
              "repeats=%d\n", count, entries, firstMs, Median(listMs), Median(walkMs), repeats);
  return count > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"discovery" && argc == 4)
    return TimeDiscovery(argv[2], std::max(1, _wtoi(argv[3])));
  if ((mode != L"bare" && mode != L"core") || argc < 6 || argc > 7) {
    std::fprintf(stderr, "usage: resize_loop bare|core INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT "
                         "[PAUSE_MS]\n       resize_loop discovery FOLDER REPEATS\n");
    return 2;
  }
  const int width = _wtoi(argv[4]);
  const int height = _wtoi(argv[5]);
  const DWORD pauseMs = argc > 6 ? static_cast<DWORD>(_wtoi(argv[6])) : 0;
  LoopResult result;
  {
    const GdiplusSession gdiplus;
    result = mode == L"bare" ? RunBareLoop(argv[2], argv[3], width, height)
                             : RunCoreLoop(argv[2], argv[3], width, height, pauseMs);
  }
  const std::string sleep = mode == L"core" ? " sleep10_mean_ms=" + std::to_string(MeanSleep10Ms()) : "";
  std::printf("loop files=%d succeeded=%d pause_ms=%lu loop_ms=%.1f loop_cpu_ms=%.1f%s\n",
              result.files, result.succeeded, pauseMs, result.milliseconds, result.cpuMs, sleep.c_str());
  return result.succeeded == result.files ? 0 : 1;
}
