#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/image_discovery.h"

// Usage: discovery_benchmark FOLDER [REPEATS]
// Times ListImageFiles on FOLDER: the first call and the median of the repeats, beside a
// bare FindFirstFileW/FindNextFileW walk of the same folder, the platform's share.
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: discovery_benchmark FOLDER [REPEATS]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const int repeats = std::max(1, argc > 2 ? _wtoi(argv[2]) : 5);

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
              "repeats=%d\n",
              count, entries, firstMs, Median(listMs), Median(walkMs), repeats);
  std::fflush(stdout);
  return count > 0 ? 0 : 1;
}
