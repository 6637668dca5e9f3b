#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "common/session_guards.h"
#include "e2e_fixture.h"
#include "support/kit_test_run.h"

namespace {

// A Quillmere window that never answers a message.
void ShowAHungWindow()
{
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Quillmere";
  RegisterClassW(&windowClass);
  CreateWindowExW(0, L"Quillmere", L"hung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                  nullptr, nullptr, windowClass.hInstance, nullptr);
  Sleep(INFINITE);
}

// The part this program plays when the driver's own tests start it as a misbehaving
// quillmere.exe (see kStandInVariable), if any.
void ActAsStandIn()
{
  wchar_t value[32] = {};
  if (!GetEnvironmentVariableW(kStandInVariable, value, 32))
    return;
  const std::wstring entry = std::wstring(kStandInVariable) + L"=" + value;
  if (entry == kCrashAtStart)
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  if (entry == kHungWindow)
    ShowAHungWindow();
  ExitProcess(2);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  // No error dialog may wait for a click on an unattended PC; started programs inherit this.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  ActAsStandIn();
  const auto started = std::chrono::steady_clock::now();
  testing::InitGoogleTest(&argc, argv);

  // The tests write and decode images with GDI+; every image is gone before the shutdown.
  const GdiplusSession gdiplus;
  if (!gdiplus.started) {
    std::fprintf(stderr, "GDI+ did not start\n");
    return 1;
  }
  const int result = RunKitTests();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  std::printf("end-to-end wall time: %.2f s\n", elapsed.count());
  return result;
}
