#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/session_guards.h"
#include "imaging/resize_and_save.h"

// Prints the median time of ResizeAndSave on one image: resize_benchmark IMAGE OUTPUT
// [HEIGHT] [CALLS].
int wmain(int argc, wchar_t** argv)
{
  if (argc < 3) {
    std::fprintf(stderr, "usage: resize_benchmark IMAGE OUTPUT [HEIGHT] [CALLS]\n");
    return 2;
  }
  const int height = argc > 3 ? _wtoi(argv[3]) : 100;
  const int calls = argc > 4 ? _wtoi(argv[4]) : 20;
  const GdiplusSession gdiplus;

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> milliseconds;
  for (int call = 0; call < calls; ++call) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const bool saved = ResizeAndSave(argv[1], argv[2], 0, height);
    QueryPerformanceCounter(&end);
    if (!saved) {
      std::fprintf(stderr, "resize failed\n");
      return 1;
    }
    milliseconds.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                           static_cast<double>(frequency.QuadPart));
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("ResizeAndSave at height %d: median %.1f ms, min %.1f ms, max %.1f ms over %d calls\n",
              height, milliseconds[milliseconds.size() / 2], milliseconds.front(),
              milliseconds.back(), calls);
  return 0;
}
