#pragma once
#include <windows.h>

#include <string>

// Reads the pixel size that an image file's header claims, without decoding it (see
// ParseClaimedSize). Returns false for other files and for headers it cannot read.
bool ReadClaimedSize(const std::wstring& path, UINT* width, UINT* height);

// Whether width x height is more pixels than one bitmap can hold.
bool ExceedsOneBitmap(UINT width, UINT height);

// Whether the header of the file at path claims more pixels than one bitmap can hold: a
// decompression bomb, refused before any decoder sees it.
bool ClaimsTooManyPixels(const std::wstring& path);
