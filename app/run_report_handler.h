#pragma once
#include <windows.h>

#include "app/run_report.h"

// The main window's side of SendRunReport, all on the window's thread.

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
