#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "e2e_fixture.h"
#include "support/kit_paths.h"
#include "ui_driver.h"

// Usage: quillmere_e2e [path of quillmere.exe] [GoogleTest options]
// Without a path, the program is the one ProgramPath() finds. A Linux path is taken as
// drive Z:, as Wine does.
int wmain(int argc, wchar_t** argv)
{
  const auto started = std::chrono::steady_clock::now();
  testing::InitGoogleTest(&argc, argv);
  if (argc > 2) {
    std::fprintf(stderr, "usage: quillmere_e2e [quillmere.exe] [GoogleTest options]\n");
    return 2;
  }
  SetProgramPath(argc == 2 ? driver::WindowsPath(argv[1]) : ProgramPath());

  // The tests write and decode images with GDI+; every image is gone before the shutdown.
  const Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    std::fprintf(stderr, "GDI+ did not start\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  Gdiplus::GdiplusShutdown(token);

  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  std::printf("end-to-end wall time: %.2f s\n", elapsed.count());
  return result;
}
