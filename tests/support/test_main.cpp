#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/session_guards.h"
#include "support/kit_test_run.h"

// Every test runs with GDI+ up and the progress-bar class registered, as in the program.
int wmain(int argc, wchar_t** argv)
{
  // No error dialog may wait for a click on an unattended PC; started programs inherit this.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  const GdiplusSession gdiplus;
  return RunKitTests();
}
