#pragma once
#include <windows.h>

// The main window's own messages, by which a batch run's thread has the window's thread
// change a control: the run waits for one round trip per change, not one per control
// message.
constexpr UINT kAppendLogMessage = WM_APP;        // lParam: the line (const wchar_t*)
constexpr UINT kSetProgressMessage = WM_APP + 1;  // wParam: the position

// Called from a thread other than control's, sends message to control's parent, the main
// window, and returns true once it is answered. On control's own thread, sends nothing and
// returns false.
bool SendToParentIfOtherThread(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The log and the progress bar draw themselves at every change, slowly when themed: their
// drawing is held off while they change (HoldDrawing), then done once (DrawOnce).
void HoldDrawing(HWND control);
void DrawOnce(HWND control);
