#include "app/activity_log.h"

#include "app/globals.h"

void AppendLog(const std::wstring& line)
{
  SendMessageW(g_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  const LRESULT count = SendMessageW(g_logList, LB_GETCOUNT, 0, 0);
  if (count > 0)
    SendMessageW(g_logList, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void ClearLog()
{
  SendMessageW(g_logList, LB_RESETCONTENT, 0, 0);
}
