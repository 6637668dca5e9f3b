#pragma once
#include <string>

// Adds one line at the end of the activity log and scrolls it into view.
// Callable from any thread: the list box runs it on the UI thread.
void AppendLog(const std::wstring& line);

// Removes every line of the activity log.
void ClearLog();
