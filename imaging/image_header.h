#pragma once
#include <windows.h>

#include <string>

// Reads the pixel size that an image file's header claims, without decoding it (see
// ParseClaimedSize). Returns false when it has none to give.
bool ReadClaimedSize(const std::wstring& path, UINT* width, UINT* height);

// Whether width x height is more pixels than one bitmap can hold.
bool ExceedsOneBitmap(UINT width, UINT height);

// Whether the file at path is to be refused before any decoder sees it: its header claims
// more pixels than one bitmap can hold (a decompression bomb), or keeps its size further
// in than any real image does.
bool RefusedByItsHeader(const std::wstring& path);
