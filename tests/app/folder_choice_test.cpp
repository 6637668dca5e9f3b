#include <windows.h>

#include "e2e_fixture.h"
#include "support/temp_folder.h"

using FolderChoiceTest = QuillmereTest;

TEST_F(FolderChoiceTest, StartWithoutAFolderLogsAnErrorAndStaysEnabled)
{
  const driver::ProgressState before = App().Progress();
  App().Click(driver::kStartId);
  App().Sync();

  Lines expected = Greeting();
  expected.push_back("错误：请先选择目录");
  EXPECT_EQ(Log(), expected);
  EXPECT_TRUE(App().StartEnabled());
  const driver::ProgressState after = App().Progress();
  EXPECT_EQ(after.high, before.high);
  EXPECT_EQ(after.position, before.position);
}

TEST_F(FolderChoiceTest, ThePickersChoiceIsLoggedAndACancelledOneKeepsIt)
{
  TempFolder first;
  TempFolder second;
  WriteImages(first.Path(), {{L"first.png", 40, 20, L"image/png"}});
  WriteImages(second.Path(), {{L"second.png", 40, 20, L"image/png"}});

  ChooseFolder(first.Path());
  Lines expected = Greeting();
  expected.push_back(SelectedLine(first.Path()));
  EXPECT_EQ(Log(), expected);

  // Walked all the way to the second folder, then cancelled.
  App().CancelFolderChoice(second.Path());
  App().Sync();
  EXPECT_EQ(Log(), expected);

  RunBatch("处理完成! 成功: 1/1");
  EXPECT_TRUE(FileExists(first.OutputOf(L"first.png")));
  EXPECT_FALSE(IsFolder(second.PathOf(L"datas"))) << "the run went to the cancelled folder";
}

TEST_F(FolderChoiceTest, AChoiceWithoutAFileSystemPathCountsAsACancel)
{
  TempFolder folder;
  WriteImages(folder.Path(), {{L"first.png", 40, 20, L"image/png"}});
  ChooseFolder(folder.Path());
  const Lines expected = Log();

  // The drive of the work folder is one the picker shows.
  EXPECT_TRUE(App().ChooseComputer(folder.Path().substr(0, 2)))
      << "OK was enabled on a place with no file-system path";
  App().Sync();
  EXPECT_EQ(Log(), expected);
  RunBatch("处理完成! 成功: 1/1");
  EXPECT_TRUE(FileExists(folder.OutputOf(L"first.png")));
}
