#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/session_guards.h"

// Every test runs with GDI+ up and the progress-bar class registered, as in the program.
int wmain(int argc, wchar_t** argv)
{
  testing::InitGoogleTest(&argc, argv);
  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  const GdiplusSession gdiplus;
  return RUN_ALL_TESTS();
}
