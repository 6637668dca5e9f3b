#include <windows.h>
#include <commctrl.h>

#include "app/globals.h"
#include "app/main_window.h"
#include "app/session_guards.h"

namespace {

int RunMessageLoop()
{
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
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

  if (RunMessageLoop() == kQuitDuringRun) {
    // The window closed mid-run and the worker may be inside GDI+, which must not be shut
    // down under it. End here, skipping the shutdown and every DLL's detach code, which
    // could wait forever on a lock the worker held when it was stopped.
    TerminateProcess(GetCurrentProcess(), 0);
  }
  return 0;
}
