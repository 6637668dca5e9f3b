#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "imaging/image_header.h"
#include "imaging/resize_and_save.h"
#include "support/crafted_images.h"
#include "support/kit_paths.h"
#include "support/temp_folder.h"
#include "support/test_images.h"

namespace {

struct Claimed {
  bool read;
  UINT width;
  UINT height;
};

Claimed ClaimedSizeOf(const std::wstring& path)
{
  ClaimedSize size = {0, 0};
  const bool read = ReadClaimedSize(path, &size) == Claim::kSize;
  return {read, size.width, size.height};
}

TEST(ImageHeader, ReadsTheSizeOfEveryFormatWithoutDecoding)
{
  TempFolder folder;
  for (const wchar_t* mimeType :
       {L"image/jpeg", L"image/png", L"image/gif", L"image/bmp", L"image/tiff"}) {
    SCOPED_TRACE(Utf8(mimeType));
    const std::wstring path = folder.PathOf(L"image");
    WriteImage(path, 123, 45, mimeType);
    const Claimed claimed = ClaimedSizeOf(path);
    EXPECT_TRUE(claimed.read);
    EXPECT_EQ(claimed.width, 123u);
    EXPECT_EQ(claimed.height, 45u);
  }
}

// Decoders skip stray bytes and fill bytes before a marker, and go on after a segment
// whose length is too short to be real: the reader must find the frame they find.
TEST(ImageHeader, FindsTheJpegFrameWhereTheDecoderDoes)
{
  TempFolder folder;
  WriteImage(folder.PathOf(L"plain.jpg"), 64, 32, L"image/jpeg");
  const std::string plain = ReadBytes(folder.PathOf(L"plain.jpg"));
  for (const CraftedFile& file : JpegsWithTheFrameFurtherIn(plain)) {
    SCOPED_TRACE(file.name);
    const std::wstring path = folder.PathOf(file.WideName());
    WriteBytes(path, file.bytes);
    const DecodedImage decoded = DecodeImage(path);
    ASSERT_TRUE(decoded.decoded);
    const Claimed claimed = ClaimedSizeOf(path);
    EXPECT_TRUE(claimed.read);
    EXPECT_EQ(claimed.width, decoded.width);
    EXPECT_EQ(claimed.height, decoded.height);
  }
}

TEST(ImageHeader, AgreesWithTheDecoderOnEveryPublicTestImage)
{
  const std::wstring corpus = CorpusFolder();
  ASSERT_TRUE(IsFolder(corpus)) << Utf8(corpus);
  int compared = 0;
  for (const std::wstring subfolder : {L"pngsuite", L"jpeg-turbo"}) {
    const std::wstring folder = corpus + L"\\" + subfolder;
    const std::vector<std::wstring> names = FileNamesIn(folder);
    ASSERT_FALSE(names.empty()) << Utf8(folder);
    for (const std::wstring& name : names) {
      const std::wstring path = folder + L"\\" + name;
      const DecodedImage decoded = DecodeImage(path);
      if (!decoded.decoded)
        continue;
      SCOPED_TRACE(Utf8(path));
      const Claimed claimed = ClaimedSizeOf(path);
      EXPECT_TRUE(claimed.read);
      EXPECT_EQ(claimed.width, decoded.width);
      EXPECT_EQ(claimed.height, decoded.height);
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

TEST(ImageHeader, OtherFilesHaveNoClaimedSize)
{
  TempFolder folder;
  WriteBytes(folder.PathOf(L"empty.png"), "");
  WriteBytes(folder.PathOf(L"text.jpg"), "plain text, long enough for any header");
  WriteBytes(folder.PathOf(L"cut.jpg"), std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  for (const wchar_t* name : {L"empty.png", L"text.jpg", L"cut.jpg", L"missing.png"})
    EXPECT_FALSE(ClaimedSizeOf(folder.PathOf(name)).read) << Utf8(name);
}

// A header claiming billions of pixels is refused by the guard, before anything is
// decoded: under Wine the JPEG one would crash the decoder, and on Windows exhaust memory.
// So is a JPEG whose frame header lies further in than the reader goes, behind fill bytes
// or empty segments: the decoder would go on to it.
TEST(ImageHeader, ResizingRefusesDecompressionBombs)
{
  TempFolder folder;
  MakeFolder(folder.PathOf(L"datas"));
  WriteImage(folder.PathOf(L"base.jpg"), 64, 48, L"image/jpeg");
  WriteImage(folder.PathOf(L"base.bmp"), 64, 48, L"image/bmp");
  WriteImage(folder.PathOf(L"base.gif"), 64, 48, L"image/gif");
  WriteImage(folder.PathOf(L"wide.png"), 40000, 2, L"image/png");
  const std::vector<CraftedFile> bombs =
      DecompressionBombs(ReadBytes(folder.PathOf(L"base.jpg")),
                         ReadBytes(folder.PathOf(L"base.bmp")),
                         ReadBytes(folder.PathOf(L"base.gif")));
  for (const CraftedFile& file : bombs) {
    SCOPED_TRACE(file.name);
    ASSERT_FALSE(file.bytes.empty());
    const std::wstring name = file.WideName();
    WriteBytes(folder.PathOf(name), file.bytes);
    EXPECT_TRUE(RefusedByItsHeader(folder.PathOf(name)));
    EXPECT_FALSE(ResizeAndSave(folder.PathOf(name), folder.OutputOf(name), 0, 100));
    EXPECT_FALSE(FileExists(folder.OutputOf(name)));
  }
  // Large but real: well under the limit.
  EXPECT_FALSE(RefusedByItsHeader(folder.PathOf(L"wide.png")));
  EXPECT_TRUE(ResizeAndSave(folder.PathOf(L"wide.png"), folder.OutputOf(L"wide.png"), 100, 0));
}

}  // namespace
