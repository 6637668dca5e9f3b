#pragma once
#include <windows.h>

// The WM_QUIT code posted when the window closes while a batch run is still working.
constexpr int kQuitDuringRun = 1;

// Registers the "Quillmere" class and creates the main window with its controls, shown
// or not as style says. Returns null on failure.
HWND CreateMainWindow(HINSTANCE instance, DWORD style);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
