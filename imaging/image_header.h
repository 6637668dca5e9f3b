#pragma once
#include <windows.h>

#include <string>

// Reads the pixel size that a PNG, JPEG, GIF, BMP or TIFF file's header claims, without
// decoding it. Returns false for other files and for headers that cannot be read.
bool ReadClaimedSize(const std::wstring& path, UINT* width, UINT* height);
