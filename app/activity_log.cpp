#include "app/activity_log.h"

#include "app/globals.h"

namespace {

// Adding a line and scrolling to it would each draw the log's scroll bar, which is slow to
// draw themed: drawing is held off until both are done (DrawLog), and then done once.
void AddLineInView(const wchar_t* line)
{
  SendMessageW(g_logList, WM_SETREDRAW, FALSE, 0);
  SendMessageW(g_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  const LRESULT count = SendMessageW(g_logList, LB_GETCOUNT, 0, 0);
  if (count > 0)
    SendMessageW(g_logList, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void DrawLog()
{
  SendMessageW(g_logList, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(g_logList, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

}  // namespace

void AppendLog(const std::wstring& line)
{
  if (GetWindowThreadProcessId(g_logList, nullptr) != GetCurrentThreadId()) {
    // The log's parent is the main window.
    SendMessageW(GetParent(g_logList), kAppendLogMessage, 0, reinterpret_cast<LPARAM>(line.c_str()));
    return;
  }
  AddLineInView(line.c_str());
  DrawLog();
}

void ClearLog()
{
  SendMessageW(g_logList, LB_RESETCONTENT, 0, 0);
}

void OnAppendLogMessage(LPARAM line)
{
  AddLineInView(reinterpret_cast<const wchar_t*>(line));
  // The line is in and in view, and is not read again: its sender may go on while the
  // log is drawn.
  ReplyMessage(0);
  DrawLog();
}
