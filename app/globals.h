#pragma once
#include <windows.h>

#include <string>

// The process-wide state of the window. The handles are written once, while the main
// window is created, before any batch run can start.
extern HWND g_mainWindow;   // the main window; the batch run finds the Start button through it
extern HWND g_widthEdit;    // target width box
extern HWND g_heightEdit;   // target height box
extern HWND g_progressBar;  // batch progress
extern HWND g_logList;      // activity log
// The folder last chosen in the picker, empty until one is. Only the UI thread touches it:
// a batch run gets its own copy when it starts.
extern std::wstring g_selectedFolder;
