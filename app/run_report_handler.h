#pragma once
#include <windows.h>

#include "app/run_report.h"

// The main window's side of SendRunReport, all on the window's thread.

// The name of the program's own message for reports: no other program would register it.
constexpr wchar_t kRunReportMessageName[] =
    L"Quillmere.RunReport.{8E1C3B52-5A0F-4E8B-9D6A-3F7C2B1E4A90}";

// Registers the program's own message for reports, once, before the main window is
// created. False when the window system refuses it.
bool RegisterRunReportMessage();

// Whether message is the one registered for reports.
bool IsRunReportMessage(UINT message);

// The main window's answer to that message: carries out the report a run sent, and hands
// anything else, such as the same message from another program, to DefWindowProcW.
LRESULT OnRunReportMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Carries out a report of the window's own thread.
void ShowRunReport(const RunReport& report);
