#include "app/run_report.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "app/globals.h"
#include "app/run_report_handler.h"

namespace {

// Registered once, before the main window exists; read-only afterwards.
UINT g_runReportMessage = 0;
// The report a run is sending, published just before the message goes: any program may
// send the window the registered message, but only the run can name this address. The
// window's thread clears it before it replies.
std::atomic<const RunReport*> g_reportInFlight{nullptr};

// The log and the bar draw themselves at every change, slowly when themed: their drawing
// is held off while a report changes them, then done once.
void HoldDrawing(HWND control)
{
  SendMessageW(control, WM_SETREDRAW, FALSE, 0);
}

void DrawOnce(HWND control)
{
  SendMessageW(control, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(control, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

// Which controls a report changes.
struct ChangedControls {
  bool log;
  bool bar;
};

ChangedControls ApplyHeld(const RunReport& report)
{
  const ChangedControls changed = {report.line != nullptr,
                                   report.progressRange > 0 || report.progressPosition > 0};
  if (changed.log) {
    HoldDrawing(g_logList);
    SendMessageW(g_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(report.line));
    const LRESULT count = SendMessageW(g_logList, LB_GETCOUNT, 0, 0);
    if (count > 0)
      SendMessageW(g_logList, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
  }
  if (changed.bar) {
    HoldDrawing(g_progressBar);
    if (report.progressRange > 0)
      SendMessageW(g_progressBar, PBM_SETRANGE32, 0, report.progressRange);
    if (report.progressPosition > 0)
      SendMessageW(g_progressBar, PBM_SETPOS, static_cast<WPARAM>(report.progressPosition), 0);
  }
  return changed;
}

void Draw(ChangedControls changed)
{
  if (changed.log)
    DrawOnce(g_logList);
  if (changed.bar)
    DrawOnce(g_progressBar);
}

}  // namespace

bool RegisterRunReportMessage()
{
  if (g_runReportMessage == 0)
    g_runReportMessage = RegisterWindowMessageW(kRunReportMessageName);
  return g_runReportMessage != 0;
}

bool IsRunReportMessage(UINT message)
{
  return message == g_runReportMessage && message != 0;
}

void SendRunReport(const RunReport& report)
{
  g_reportInFlight = &report;
  SendMessageW(g_mainWindow, g_runReportMessage, 0, reinterpret_cast<LPARAM>(&report));
  // Unanswered when the window is gone: the address must not outlive the report.
  g_reportInFlight = nullptr;
}

void SendFileDone(const wchar_t* line, int index, int count)
{
  RunReport done;
  done.line = line;
  done.progressPosition = index + 1 < count ? index + 2 : 0;
  SendRunReport(done);
}

LRESULT OnRunReportMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  const RunReport* const report = g_reportInFlight;
  if (lParam == 0 || lParam != reinterpret_cast<LPARAM>(report))
    return DefWindowProcW(window, message, wParam, lParam);
  g_reportInFlight = nullptr;
  const ChangedControls changed = ApplyHeld(*report);
  // The report is carried out and not read again: the run may go on while it is drawn.
  ReplyMessage(0);
  Draw(changed);
  return 0;
}

void ShowRunReport(const RunReport& report)
{
  Draw(ApplyHeld(report));
}
