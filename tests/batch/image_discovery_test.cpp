#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch/image_discovery.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths)
{
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(ImageDiscovery, ListsNamesContainingAnImageExtensionAnywhereCaseKept)
{
  TempFolder folder;
  for (const wchar_t* name :
       {L"IMG_0001.JPG", L"photo.jpeg", L"a.png.bak", L"my.gifts.txt", L"x.WebP", L"scan.tiff",
        L"both.png.jpg", L"图片 1.bmp", L"scan.tif", L"README", L"notes.txt", L"photo.jp g",
        // U+0130 lower-cases to "i" outside ASCII: only A-Z are folded, so no ".tiff".
        L"scan.t\u0130FF"})
    WriteBytes(folder.PathOf(name), "x");
  MakeFolder(folder.PathOf(L"x.jpg"));
  MakeFolder(folder.PathOf(L"datas"));

  const std::vector<std::wstring> expected = {
      folder.PathOf(L"IMG_0001.JPG"), folder.PathOf(L"a.png.bak"), folder.PathOf(L"both.png.jpg"),
      folder.PathOf(L"my.gifts.txt"), folder.PathOf(L"photo.jpeg"), folder.PathOf(L"scan.tiff"),
      folder.PathOf(L"x.WebP"),       folder.PathOf(L"图片 1.bmp")};
  EXPECT_EQ(Sorted(ListImageFiles(folder.Path())), Sorted(expected));
}

TEST(ImageDiscovery, HiddenAndReadOnlyFilesQualifyByName)
{
  TempFolder folder;
  WriteBytes(folder.PathOf(L"hidden.png"), "x");
  WriteBytes(folder.PathOf(L"readonly.gif"), "x");
  SetFileAttributesW(folder.PathOf(L"hidden.png").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(folder.PathOf(L"readonly.gif").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Sorted(ListImageFiles(folder.Path())),
            Sorted({folder.PathOf(L"hidden.png"), folder.PathOf(L"readonly.gif")}));
}

TEST(ImageDiscovery, FoldersThatCannotBeListedGiveNothing)
{
  TempFolder folder;
  EXPECT_TRUE(ListImageFiles(folder.Path()).empty());
  EXPECT_TRUE(ListImageFiles(folder.PathOf(L"missing")).empty());
  WriteBytes(folder.PathOf(L"file.png"), "x");
  EXPECT_TRUE(ListImageFiles(folder.PathOf(L"file.png")).empty());
}

}  // namespace
