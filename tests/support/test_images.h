#pragma once
#include <windows.h>

#include <string>

// Writes a width x height colour gradient in the format of mimeType ("image/jpeg", ...).
void WriteImage(const std::wstring& path, int width, int height, const wchar_t* mimeType);

struct DecodedImage {
  bool decoded;
  UINT width;
  UINT height;
};
// Decodes path with GDI+ and reports its pixel size.
DecodedImage DecodeImage(const std::wstring& path);
// The red of the pixel at x, y of the image at path; -1 if there is none.
int RedAt(const std::wstring& path, int x, int y);

// The format a file's first bytes announce: "jpeg", "png", "bmp", "gif", "tiff", or
// "unknown" (including a missing or empty file).
std::string FormatOf(const std::wstring& path);
