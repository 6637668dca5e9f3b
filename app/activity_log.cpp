#include "app/activity_log.h"

#include "app/globals.h"
#include "app/worker_messages.h"

namespace {

// Adding a line and scrolling to it would each draw the log's scroll bar: both are done
// with drawing held off, and the log is then drawn once.
void AddLineInView(const wchar_t* line)
{
  HoldDrawing(g_logList);
  SendMessageW(g_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  const LRESULT count = SendMessageW(g_logList, LB_GETCOUNT, 0, 0);
  if (count > 0)
    SendMessageW(g_logList, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

}  // namespace

void AppendLog(const std::wstring& line)
{
  if (SendToParentIfOtherThread(g_logList, kAppendLogMessage, 0,
                                reinterpret_cast<LPARAM>(line.c_str())))
    return;
  AddLineInView(line.c_str());
  DrawOnce(g_logList);
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
  DrawOnce(g_logList);
}
