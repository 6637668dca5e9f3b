#include <windows.h>
#include <commctrl.h>

#include "app/globals.h"
#include "app/main_window.h"
#include "common/session_guards.h"

namespace {

// Longer than any one file takes, however large: the window is gone meanwhile.
constexpr DWORD kRunStopTimeoutMs = 30000;

void RunMessageLoop()
{
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
  const ComApartment com;
  const GdiplusSession gdiplus;

  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);

  g_mainWindow = CreateMainWindow(instance, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  if (!g_mainWindow)
    return 0;
  ShowWindow(g_mainWindow, showCommand);
  UpdateWindow(g_mainWindow);

  RunMessageLoop();
  // A run still working when the window closed stops after the file in hand, so that no
  // half-written output is left behind. One that takes longer is inside GDI+, which must
  // not be shut down under it: end here, skipping the shutdown and every DLL's detach
  // code, which could wait forever on a lock the worker holds.
  if (!WaitForBatchRunToStop(kRunStopTimeoutMs))
    TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}
