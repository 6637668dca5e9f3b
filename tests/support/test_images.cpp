#include "support/test_images.h"

#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>

#include "imaging/encoder_lookup.h"
#include "support/temp_folder.h"

void WriteImage(const std::wstring& path, int width, int height, const wchar_t* mimeType)
{
  Gdiplus::Bitmap image(width, height, PixelFormat32bppARGB);
  ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok) << width << "x" << height;
  Gdiplus::BitmapData pixels;
  const Gdiplus::Rect whole(0, 0, width, height);
  ASSERT_EQ(image.LockBits(&whole, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &pixels),
            Gdiplus::Ok);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<UINT32*>(static_cast<BYTE*>(pixels.Scan0) + y * pixels.Stride);
    for (int x = 0; x < width; ++x)
      row[x] = 0xFF000000u | (x * 255 / width) << 16 | (y * 255 / height) << 8 | 0x80u;
  }
  image.UnlockBits(&pixels);

  CLSID encoder;
  ASSERT_GE(FindEncoderForMimeType(mimeType, &encoder), 0) << Utf8(mimeType);
  // Wine's GIF encoder needs indexed pixels (see the program's own GIF save).
  std::unique_ptr<Gdiplus::Bitmap> indexed;
  Gdiplus::Bitmap* toSave = &image;
  if (std::wstring(mimeType) == L"image/gif") {
    indexed.reset(image.Clone(0, 0, width, height, PixelFormat8bppIndexed));
    ASSERT_TRUE(indexed);
    toSave = indexed.get();
  }
  ASSERT_EQ(toSave->Save(path.c_str(), &encoder, nullptr), Gdiplus::Ok) << Utf8(path);
}

DecodedImage DecodeImage(const std::wstring& path)
{
  Gdiplus::Bitmap image(path.c_str(), FALSE);
  if (image.GetLastStatus() != Gdiplus::Ok)
    return {false, 0, 0};
  return {true, image.GetWidth(), image.GetHeight()};
}

int RedAt(const std::wstring& path, int x, int y)
{
  Gdiplus::Bitmap image(path.c_str(), FALSE);
  Gdiplus::Color pixel;
  if (image.GetLastStatus() != Gdiplus::Ok || image.GetPixel(x, y, &pixel) != Gdiplus::Ok)
    return -1;
  return pixel.GetR();
}

std::string FormatOf(const std::wstring& path)
{
  const std::string head = ReadBytes(path).substr(0, 8);
  auto startsWith = [&head](const std::string& magic) { return head.compare(0, magic.size(), magic) == 0; };
  if (startsWith("\xFF\xD8\xFF"))
    return "jpeg";
  if (startsWith("\x89PNG\r\n\x1A\n"))
    return "png";
  if (startsWith("BM"))
    return "bmp";
  if (startsWith("GIF87a") || startsWith("GIF89a"))
    return "gif";
  if (startsWith(std::string("II*\0", 4)) || startsWith(std::string("MM\0*", 4)))
    return "tiff";
  return "unknown";
}
