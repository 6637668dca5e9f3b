#pragma once
#include <windows.h>

#include <string>

// The MIME type of the encoder that a file name's extension (the text after its last
// dot, in any ASCII letter case) selects: JPEG, PNG, BMP, GIF or TIFF, PNG otherwise.
const wchar_t* EncoderMimeTypeForPath(const std::wstring& path);

// Finds the GDI+ encoder for mimeType. Returns its position in the encoder list and
// fills *encoderClsid, or returns -1 and leaves *encoderClsid untouched when there is no
// such encoder or GDI+ cannot give its list.
int FindEncoderForMimeType(const wchar_t* mimeType, CLSID* encoderClsid);
