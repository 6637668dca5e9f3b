#include "imaging/encoder_lookup.h"

#include <gdiplus.h>

#include <cwchar>
#include <memory>
#include <new>

#include "common/ascii_case.h"

const wchar_t* EncoderMimeTypeForPath(const std::wstring& path)
{
  struct ExtensionMimeType {
    const wchar_t* extension;
    const wchar_t* mimeType;
  };
  static const ExtensionMimeType kTable[] = {
      {L"jpg", L"image/jpeg"}, {L"jpeg", L"image/jpeg"}, {L"png", L"image/png"},
      {L"bmp", L"image/bmp"},  {L"gif", L"image/gif"},   {L"tiff", L"image/tiff"},
  };

  const size_t lastDot = path.rfind(L'.');
  const std::wstring extension =
      lastDot == std::wstring::npos ? std::wstring() : AsciiLowerCase(path.substr(lastDot + 1));
  for (const ExtensionMimeType& row : kTable) {
    if (extension == row.extension)
      return row.mimeType;
  }
  return L"image/png";
}

// The list is fetched anew on every call: it is small, and GDI+ owns its contents.
int FindEncoderForMimeType(const wchar_t* mimeType, CLSID* encoderClsid)
{
  UINT encoderCount = 0;
  UINT listBytes = 0;
  if (Gdiplus::GetImageEncodersSize(&encoderCount, &listBytes) != Gdiplus::Ok || listBytes == 0)
    return -1;

  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[listBytes]);
  if (!buffer)
    return -1;
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
  if (Gdiplus::GetImageEncoders(encoderCount, listBytes, encoders) != Gdiplus::Ok)
    return -1;

  for (UINT position = 0; position < encoderCount; ++position) {
    if (std::wcscmp(encoders[position].MimeType, mimeType) == 0) {
      *encoderClsid = encoders[position].Clsid;
      return static_cast<int>(position);
    }
  }
  return -1;
}
