#pragma once
#include <windows.h>

#include <string>

// Adds one line at the end of the activity log and scrolls it into view, returning once
// that is done. Callable from any thread: from another, the line travels to the log's
// thread in one synchronous message to the main window, kAppendLogMessage.
void AppendLog(const std::wstring& line);

// Removes every line of the activity log.
void ClearLog();

// The main window's answer to kAppendLogMessage.
void OnAppendLogMessage(LPARAM line);
