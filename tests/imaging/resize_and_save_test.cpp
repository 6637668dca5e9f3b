#include <gtest/gtest.h>

#include <set>
#include <string>

#include "imaging/encoder_lookup.h"
#include "imaging/resize_and_save.h"
#include "support/temp_folder.h"
#include "support/test_images.h"

namespace {

class ResizeAndSaveTest : public testing::Test {
 protected:
  ResizeAndSaveTest() { MakeFolder(folder.PathOf(L"datas")); }

  // Writes a PNG named name, resizes it into datas under the same name, and returns
  // whether ResizeAndSave reported success.
  bool ResizeNew(const std::wstring& name, int sourceWidth, int sourceHeight, int width,
                 int height)
  {
    WriteImage(folder.PathOf(name), sourceWidth, sourceHeight, L"image/png");
    return ResizeAndSave(folder.PathOf(name), folder.OutputOf(name), width, height);
  }

  void ExpectOutput(const std::wstring& name, UINT width, UINT height, const std::string& format)
  {
    SCOPED_TRACE(Utf8(name));
    const DecodedImage output = DecodeImage(folder.OutputOf(name));
    ASSERT_TRUE(output.decoded);
    EXPECT_EQ(output.width, width);
    EXPECT_EQ(output.height, height);
    EXPECT_EQ(FormatOf(folder.OutputOf(name)), format);
  }

  TempFolder folder;
};

TEST_F(ResizeAndSaveTest, WritesTheFormatTheOutputExtensionSelects)
{
  const struct {
    const wchar_t* name;
    const char* format;
  } cases[] = {
      {L"a.jpg", "jpeg"},        {L"b.jpeg", "jpeg"},  {L"c.png", "png"},
      {L"d.bmp", "bmp"},         {L"e.gif", "gif"},    {L"f.tiff", "tiff"},
      {L"IMG_0001.JPG", "jpeg"}, {L"SCAN.GIF", "gif"},
      // Anything else is PNG: WebP has no encoder.
      {L"g.webp", "png"},        {L"h.png.bak", "png"}, {L"my.gifts.txt", "png"},
  };
  for (const auto& test : cases) {
    ASSERT_TRUE(ResizeNew(test.name, 64, 48, 0, 30)) << Utf8(test.name);
    ExpectOutput(test.name, 40, 30, test.format);
  }
}

TEST_F(ResizeAndSaveTest, ReadsEveryInputFormat)
{
  const struct {
    const wchar_t* name;
    const wchar_t* mimeType;
  } inputs[] = {{L"in.jpg", L"image/jpeg"}, {L"in.png", L"image/png"}, {L"in.bmp", L"image/bmp"},
                {L"in.gif", L"image/gif"},  {L"in.tiff", L"image/tiff"}};
  for (const auto& input : inputs) {
    WriteImage(folder.PathOf(input.name), 90, 60, input.mimeType);
    const std::string before = ReadBytes(folder.PathOf(input.name));
    ASSERT_TRUE(ResizeAndSave(folder.PathOf(input.name), folder.OutputOf(input.name), 45, 0))
        << Utf8(input.name);
    ExpectOutput(input.name, 45, 30, FormatOf(folder.PathOf(input.name)));
    EXPECT_EQ(ReadBytes(folder.PathOf(input.name)), before) << "input changed";
  }
}

TEST_F(ResizeAndSaveTest, SizesTheOutputAsAskedIncludingUpscaleAndStretch)
{
  WriteImage(folder.PathOf(L"hd.jpg"), 1920, 1080, L"image/jpeg");
  ASSERT_TRUE(ResizeAndSave(folder.PathOf(L"hd.jpg"), folder.OutputOf(L"hd.jpg"), 100, 0));
  ExpectOutput(L"hd.jpg", 100, 56, "jpeg");
  ASSERT_TRUE(ResizeAndSave(folder.PathOf(L"hd.jpg"), folder.OutputOf(L"hd.jpg"), 300, 300));
  ExpectOutput(L"hd.jpg", 300, 300, "jpeg");

  ASSERT_TRUE(ResizeNew(L"tall.png", 5, 21, 100, 0));
  ExpectOutput(L"tall.png", 100, 419, "png");
  ASSERT_TRUE(ResizeNew(L"line.png", 1000, 1, 10, 0));
  ExpectOutput(L"line.png", 10, 1, "png");
  ASSERT_TRUE(ResizeNew(L"small.png", 50, 50, 500, 0));
  ExpectOutput(L"small.png", 500, 500, "png");

  // Enlarged, two neighbours blend between them, where nearest-neighbour sampling would
  // only repeat each one.
  ASSERT_TRUE(ResizeNew(L"pair.png", 2, 1, 4, 0));
  const int left = RedAt(folder.PathOf(L"pair.png"), 0, 0);
  const int right = RedAt(folder.PathOf(L"pair.png"), 1, 0);
  ASSERT_LT(left, right);
  const auto blended = [&](int x) {
    const int red = RedAt(folder.OutputOf(L"pair.png"), x, 0);
    return left < red && red < right;
  };
  EXPECT_TRUE(blended(1) || blended(2));
}

TEST_F(ResizeAndSaveTest, SavesAgainOverAnEarlierOutput)
{
  ASSERT_TRUE(ResizeNew(L"again.png", 80, 80, 40, 0));
  ASSERT_TRUE(ResizeAndSave(folder.PathOf(L"again.png"), folder.OutputOf(L"again.png"), 20, 0));
  ExpectOutput(L"again.png", 20, 20, "png");
}

// An output's name can be another's plus a suffix, as for the inputs photo.png and
// photo.png.partial: writing one must not touch the other.
TEST_F(ResizeAndSaveTest, AnOutputNamedAsAnotherPlusASuffixKeepsItsOwnImage)
{
  WriteImage(folder.PathOf(L"photo.png"), 80, 80, L"image/png");
  ASSERT_TRUE(
      ResizeAndSave(folder.PathOf(L"photo.png"), folder.OutputOf(L"photo.png.partial"), 30, 0));
  ASSERT_TRUE(ResizeAndSave(folder.PathOf(L"photo.png"), folder.OutputOf(L"photo.png"), 20, 0));
  ExpectOutput(L"photo.png.partial", 30, 30, "png");
  ExpectOutput(L"photo.png", 20, 20, "png");
  EXPECT_EQ(folder.OutputNames(), (std::set<std::wstring>{L"photo.png", L"photo.png.partial"}));
}

TEST_F(ResizeAndSaveTest, FailsWithoutOutputOnInputsThatDoNotDecode)
{
  const struct {
    const wchar_t* name;
    std::string bytes;
  } inputs[] = {
      {L"empty.png", ""},
      {L"text.jpg", "not an image at all"},
      {L"truncated.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16)},
  };
  for (const auto& input : inputs) {
    WriteBytes(folder.PathOf(input.name), input.bytes);
    EXPECT_FALSE(ResizeAndSave(folder.PathOf(input.name), folder.OutputOf(input.name), 0, 100))
        << Utf8(input.name);
    EXPECT_FALSE(FileExists(folder.OutputOf(input.name))) << Utf8(input.name);
    EXPECT_EQ(ReadBytes(folder.PathOf(input.name)), input.bytes) << "input changed";
  }
  EXPECT_FALSE(ResizeAndSave(folder.PathOf(L"missing.png"), folder.OutputOf(L"missing.png"), 0, 100));
}

// 65535 / 1 * 40000 is past what a 32-bit side can hold: no canvas is tried, nothing is
// written.
TEST_F(ResizeAndSaveTest, FailsWithoutOutputWhenTheProportionalSideCannotBeMade)
{
  EXPECT_FALSE(ResizeNew(L"needle.png", 1, 65535, 40000, 0));
  EXPECT_EQ(folder.OutputNames(), std::set<std::wstring>());
}

TEST_F(ResizeAndSaveTest, FailsWhenTheOutputCannotBeWritten)
{
  WriteImage(folder.PathOf(L"ok.png"), 20, 20, L"image/png");
  EXPECT_FALSE(ResizeAndSave(folder.PathOf(L"ok.png"), folder.PathOf(L"nowhere\\ok.png"), 10, 0));
  EXPECT_FALSE(FileExists(folder.PathOf(L"nowhere\\ok.png")));
}

TEST_F(ResizeAndSaveTest, AFailedSaveKeepsTheEarlierOutputWhole)
{
  ASSERT_TRUE(ResizeNew(L"kept.jpg", 20, 20, 10, 0));
  const std::string earlier = ReadBytes(folder.OutputOf(L"kept.jpg"));
  // A canvas wider than JPEG's 65500 pixels is drawn, but its save fails after the file
  // has been created.
  EXPECT_FALSE(ResizeAndSave(folder.PathOf(L"kept.jpg"), folder.OutputOf(L"kept.jpg"), 70000, 1));
  EXPECT_EQ(ReadBytes(folder.OutputOf(L"kept.jpg")), earlier);
  EXPECT_EQ(folder.OutputNames(), std::set<std::wstring>{L"kept.jpg"});
}

TEST(EncoderLookup, MapsExtensionsInAnyAsciiCaseAndDefaultsToPng)
{
  const struct {
    const wchar_t* extensions[3];
    const wchar_t* mimeType;
  } rows[] = {
      {{L"jpg", L"JPG", L"Jpg"}, L"image/jpeg"},    {{L"jpeg", L"JPEG", L"jPeG"}, L"image/jpeg"},
      {{L"png", L"PNG", L"Png"}, L"image/png"},     {{L"bmp", L"BMP", L"bMp"}, L"image/bmp"},
      {{L"gif", L"GIF", L"Gif"}, L"image/gif"},     {{L"tiff", L"TIFF", L"TiFf"}, L"image/tiff"},
  };
  for (const auto& row : rows) {
    for (const wchar_t* extension : row.extensions)
      EXPECT_STREQ(EncoderMimeTypeForPath(L"C:\\x\\a." + std::wstring(extension)), row.mimeType)
          << Utf8(extension);
  }
  EXPECT_STREQ(EncoderMimeTypeForPath(L"C:\\x\\a.bmp.JPG"), L"image/jpeg");
  // Only A-Z fold: U+0130, whose Unicode lower case is "i", leaves GIF and TIFF unmatched.
  for (const wchar_t* other : {L"a.G\u0130F", L"a.T\u0130FF", L"a.tif", L"a.webp", L"a.WEBP",
                               L"a.bak", L"a.", L"x.bmp\\noextension"})
    EXPECT_STREQ(EncoderMimeTypeForPath(std::wstring(L"C:\\") + other), L"image/png") << Utf8(other);
}

TEST(EncoderLookup, FindsEachEncoderAndLeavesTheClsidAloneOtherwise)
{
  for (const wchar_t* mimeType :
       {L"image/jpeg", L"image/png", L"image/bmp", L"image/gif", L"image/tiff"}) {
    CLSID found = CLSID_NULL;
    EXPECT_GE(FindEncoderForMimeType(mimeType, &found), 0) << Utf8(mimeType);
    EXPECT_NE(found, CLSID_NULL) << Utf8(mimeType);
  }
  CLSID untouched = CLSID_NULL;
  EXPECT_EQ(FindEncoderForMimeType(L"image/webp", &untouched), -1);
  EXPECT_EQ(FindEncoderForMimeType(L"IMAGE/PNG", &untouched), -1);
  EXPECT_EQ(untouched, CLSID_NULL);
}

}  // namespace
