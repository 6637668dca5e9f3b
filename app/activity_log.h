#pragma once
#include <string>

// Adds one line at the end of the activity log and scrolls it into view. On the window's
// thread only: a batch run sends its lines with SendRunReport.
void AppendLog(const std::wstring& line);

// Removes every line of the activity log.
void ClearLog();
