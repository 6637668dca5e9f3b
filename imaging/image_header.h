#pragma once
#include <windows.h>

#include <string>

#include "imaging/claimed_size.h"

// What the header of the file at path claims (see ParseClaimedSize), read without decoding
// it; kNone when the file cannot be opened.
Claim ReadClaimedSize(const std::wstring& path, ClaimedSize* size);

// Whether width x height is more pixels than one bitmap can hold.
bool ExceedsOneBitmap(UINT width, UINT height);

// Whether the file at path is to be refused before any decoder sees it: its header claims
// more pixels than one bitmap can hold (a decompression bomb), or keeps its size further
// in than any real image does.
bool RefusedByItsHeader(const std::wstring& path);
