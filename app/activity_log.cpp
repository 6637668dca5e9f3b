#include "app/activity_log.h"

#include <windows.h>

#include "app/globals.h"
#include "app/run_report_handler.h"

void AppendLog(const std::wstring& line)
{
  ShowRunReport({line.c_str()});
}

void ClearLog()
{
  SendMessageW(g_logList, LB_RESETCONTENT, 0, 0);
}
