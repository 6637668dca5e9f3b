#include "app/worker_messages.h"

bool SendToParentIfOtherThread(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (GetWindowThreadProcessId(control, nullptr) == GetCurrentThreadId())
    return false;
  SendMessageW(GetParent(control), message, wParam, lParam);
  return true;
}

void HoldDrawing(HWND control)
{
  SendMessageW(control, WM_SETREDRAW, FALSE, 0);
}

void DrawOnce(HWND control)
{
  SendMessageW(control, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(control, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}
