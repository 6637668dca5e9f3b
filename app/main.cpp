#include <windows.h>
#include <commctrl.h>

#include "app/globals.h"
#include "app/main_window.h"
#include "common/session_guards.h"

namespace {

// Longer than any one file takes, however large: the window is gone meanwhile.
constexpr DWORD kRunStopTimeoutMs = 30000;

// Windows looks in a program's own folder first for any DLL that is not one of its known
// DLLs, and this program is mostly started from wherever its zip was unpacked, often a
// Downloads folder, where a browser may have left a "comctl32.dll" or a "gdiplus.dll".
// Every later search, GDI+'s delay-load and Windows' own loads of shell extensions and
// helpers included, looks in the system folder only.
bool SearchDllsInTheSystemFolderOnly()
{
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

// Registers the progress bar's class. comctl32 is loaded by hand, from the system folder,
// rather than imported, since imports are found before the program can restrict the
// search. It stays loaded for good: the class lives in it. Without it, or without the
// function, the window's creation fails, as it would after a failed registration.
void InitCommonControlsFromTheSystemFolder()
{
  const HMODULE comctl32 = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!comctl32)
    return;
  using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto initCommonControlsEx = reinterpret_cast<InitCommonControlsExFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(comctl32, "InitCommonControlsEx")));
  if (!initCommonControlsEx)
    return;
  const INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  initCommonControlsEx(&commonControls);
}

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
  if (!SearchDllsInTheSystemFolderOnly())
    return 0;
  const ComApartment com;
  const GdiplusSession gdiplus;
  InitCommonControlsFromTheSystemFolder();

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
