#pragma once
#include <windows.h>

// Registers the "Quillmere" class and creates the main window with its controls, shown
// or not as style says. Returns null on failure.
HWND CreateMainWindow(HINSTANCE instance, DWORD style);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Once the window has closed, waits up to timeoutMs for a batch run still working to finish
// the file in hand and stop. True when no run is left working.
bool WaitForBatchRunToStop(DWORD timeoutMs);
