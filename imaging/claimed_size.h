#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

// Reads up to size bytes of a file at offset into buffer and returns how many it read:
// fewer at the end of the file, 0 past it or on an error.
using FileReader = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t size)>;

struct ClaimedSize {
  uint32_t width;
  uint32_t height;
};

// The pixel size that a PNG, JPEG, GIF, BMP, TIFF or icon file's header claims, read
// without decoding and with a bounded number of reads whatever the bytes. Returns false
// for other files, for headers that cannot be read, and for files it gives up on.
bool ParseClaimedSize(const FileReader& read, ClaimedSize* size);
