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

enum class Claim {
  kSize,     // the header claims the size written to *size
  kNone,     // not a format known here, or a header cut short: the decoder decides
  kTooDeep,  // the size lies further in than any real image keeps it: not an image
};

// What a PNG, JPEG, GIF, BMP or TIFF file's header claims, read without decoding, in a
// bounded number of reads whatever the bytes.
Claim ParseClaimedSize(const FileReader& read, ClaimedSize* size);
