#include <windows.h>

#include <string>
#include <vector>

#include "app/run_report_handler.h"
#include "e2e_fixture.h"
#include "support/run_log.h"
#include "support/temp_folder.h"

namespace {

using ForeignMessageTest = QuillmereTest;

// What any program on the desktop may send the main window: ids of the ranges where
// programs put messages of their own, and the program's own registered id, with
// parameters that mean nothing in the program: 0, 1 and an address of nothing there,
// 1 last, where a position would show.
void SendForeignMessages(HWND window)
{
  const UINT registered = RegisterWindowMessageW(kRunReportMessageName);
  ASSERT_NE(registered, 0u);
  std::vector<UINT> ids = {registered};
  for (UINT offset = 0; offset < 4; ++offset) {
    ids.push_back(WM_USER + offset);
    ids.push_back(WM_APP + offset);
  }
  const LONG_PTR wild = 0x7FF0DEAD0000;
  for (const UINT id : ids) {
    for (const LONG_PTR wParam : {LONG_PTR{0}, wild, LONG_PTR{1}}) {
      for (const LONG_PTR lParam : {LONG_PTR{0}, LONG_PTR{1}, wild})
        driver::Send(window, id, static_cast<WPARAM>(wParam), lParam, "sending a foreign message");
    }
  }
}

}  // namespace

TEST_F(ForeignMessageTest, ChangeNothingWhileIdleOrDuringARun)
{
  const int kImages = 60;
  TempFolder folder;
  WriteNumberedImages(folder.Path(), kImages);
  ChooseFolder(folder.Path());
  Lines expected = Greeting();
  expected.push_back(SelectedLine(folder.Path()));
  const Lines run = RunLog(0, 100, InListingOrder(folder.Path(), NumberedNames(kImages)));

  const driver::ProgressState idle = App().Progress();
  ASSERT_NO_FATAL_FAILURE(SendForeignMessages(App().Window()));
  EXPECT_EQ(Log(), expected) << "while idle";
  const driver::ProgressState afterIdle = App().Progress();
  EXPECT_EQ(afterIdle.low, idle.low);
  EXPECT_EQ(afterIdle.high, idle.high);
  EXPECT_EQ(afterIdle.position, idle.position);

  RunBatch(run.back());
  expected.insert(expected.end(), run.begin(), run.end());
  EXPECT_EQ(Log(), expected) << "a run after the messages";

  App().Click(driver::kStartId);
  ASSERT_FALSE(App().StartEnabled());
  ASSERT_NO_FATAL_FAILURE(SendForeignMessages(App().Window()));
  EXPECT_FALSE(App().StartEnabled()) << "the run ended before the messages were all sent";
  ASSERT_TRUE(App().WaitForRunEnd(kRunTimeoutMs));
  expected.insert(expected.end(), run.begin(), run.end());
  EXPECT_EQ(Log(), expected) << "a run during the messages";
  EXPECT_EQ(App().Progress().position, kImages);
}
