#include "imaging/resize_and_save.h"

#include <windows.h>
#include <gdiplus.h>

#include <cwchar>
#include <memory>

#include "imaging/encoder_lookup.h"
#include "imaging/image_header.h"
#include "imaging/redraw.h"
#include "imaging/replace_file.h"
#include "imaging/target_size.h"

namespace {

using Gdiplus::Bitmap;
using Gdiplus::Ok;

// Writes image beside outputPath and moves it over that name only once complete: a save
// that fails part-way (a canvas too large to encode, a full disk) then leaves neither a
// truncated file nor a damaged output of an earlier run. The file written is one that
// GetTempFileNameW has just created, qmXXXX.tmp: no other file can have its name, and
// neither can any output, since outputs take the names of images.
bool SaveReplacing(Bitmap& image, const std::wstring& outputPath, const CLSID& encoder)
{
  // GetTempFileNameW takes folders of up to MAX_PATH - 14 characters; Wine's copies a
  // longer one into the MAX_PATH buffer unchecked.
  const std::wstring outputFolder = outputPath.substr(0, outputPath.rfind(L'\\'));
  wchar_t temporaryPath[MAX_PATH];
  if (outputFolder.size() > MAX_PATH - 14 ||
      !GetTempFileNameW(outputFolder.c_str(), L"qm", 0, temporaryPath))
    return false;
  if (image.Save(temporaryPath, &encoder, nullptr) == Ok &&
      MoveOverWithRetry(temporaryPath, outputPath))
    return true;
  DeleteWithRetry(temporaryPath);
  return false;
}

// GIF gets an 8-bit indexed copy: Wine's GIF encoder, handed 32-bit pixels, reports
// success but writes a header with no image, while Windows quantises to the same 8 bits
// inside its encoder anyway.
bool Save(Bitmap& canvas, const std::wstring& outputPath, const wchar_t* mimeType,
          const CLSID& encoder)
{
  if (std::wcscmp(mimeType, L"image/gif") != 0)
    return SaveReplacing(canvas, outputPath, encoder);

  std::unique_ptr<Bitmap> indexed(canvas.Clone(0, 0, static_cast<INT>(canvas.GetWidth()),
                                               static_cast<INT>(canvas.GetHeight()),
                                               PixelFormat8bppIndexed));
  return indexed && indexed->GetLastStatus() == Ok &&
         SaveReplacing(*indexed, outputPath, encoder);
}

}  // namespace

bool ResizeAndSave(const std::wstring& inputPath, const std::wstring& outputPath, int width,
                   int height)
{
  if (RefusedByItsHeader(inputPath))
    return false;
  // No embedded colour profile is applied: only the pixels are carried over.
  Bitmap source(inputPath.c_str(), FALSE);
  if (source.GetLastStatus() != Ok)
    return false;
  const UINT sourceWidth = source.GetWidth();
  const UINT sourceHeight = source.GetHeight();
  if (sourceWidth == 0 || sourceHeight == 0)
    return false;

  // A typed size can ask for a canvas far past what one bitmap holds (width 50000 on a
  // 4:3 photo is 7.5 GB), or one whose side does not even fit 32 bits: the file fails
  // here, not in whatever allocation GDI+ tries.
  SIZE target;
  if (!TargetSize(sourceWidth, sourceHeight, width, height, &target) ||
      ExceedsOneBitmap(static_cast<UINT>(target.cx), static_cast<UINT>(target.cy)))
    return false;
  const std::unique_ptr<Bitmap> canvas = Redraw(source, target);
  if (!canvas)
    return false;

  const wchar_t* mimeType = EncoderMimeTypeForPath(outputPath);
  CLSID encoder;
  if (FindEncoderForMimeType(mimeType, &encoder) < 0)
    return false;
  return Save(*canvas, outputPath, mimeType, encoder);
}
