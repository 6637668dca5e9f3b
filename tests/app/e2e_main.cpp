#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "e2e_fixture.h"
#include "ui_driver.h"

// Usage: quillmere_e2e <path of quillmere.exe> [GoogleTest options]
// The path may be a Linux one; under Wine it is taken as drive Z:.
int wmain(int argc, wchar_t** argv)
{
  const auto started = std::chrono::steady_clock::now();
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillmere_e2e <quillmere.exe> [GoogleTest options]\n");
    return 2;
  }
  SetProgramPath(driver::WindowsPath(argv[1]));

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
