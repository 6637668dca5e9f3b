#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/claimed_size.h"

namespace {

// The parser's bound on its reads, whatever the bytes: one read of the header, then at
// most 256 reads of a block of 16 KiB.
constexpr size_t kBlockSize = 16 * 1024;
constexpr int kMaxReads = 1 + 256;

// A broken promise crashes the target, so that libFuzzer reports it and keeps the input.
void Require(bool kept, const char* promise)
{
  if (kept)
    return;
  std::fprintf(stderr, "claimed_size_fuzzer: broken promise: %s\n", promise);
  std::abort();
}

// The unsigned number of size bytes at offset, the most significant first if bigEndian.
uint32_t Number(const uint8_t* data, size_t offset, int size, bool bigEndian)
{
  uint32_t value = 0;
  for (int index = 0; index < size; ++index)
    value |= uint32_t{data[offset + index]} << 8 * (bigEndian ? size - 1 - index : index);
  return value;
}

// Whether a JPEG frame header in data, its marker behind an 0xFF, claims size.
bool HasFrameClaiming(const uint8_t* data, size_t length, ClaimedSize size)
{
  for (size_t marker = 1; marker + 8 <= length; ++marker) {
    const uint8_t code = data[marker];
    const bool startOfFrame =
        code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (data[marker - 1] == 0xFF && startOfFrame &&
        Number(data, marker + 4, 2, true) == size.height &&
        Number(data, marker + 6, 2, true) == size.width)
      return true;
  }
  return false;
}

// Whether size is the one data's header holds, where that is quick to see: TIFF, whose
// size sits in a directory anywhere in the file, is only checked to be TIFF.
bool SizeMatchesHeader(const uint8_t* data, size_t length, ClaimedSize size)
{
  const auto startsWith = [data, length](const char* magic, size_t magicLength) {
    return length >= magicLength && std::memcmp(data, magic, magicLength) == 0;
  };
  if (startsWith("\x89PNG\r\n\x1A\n", 8))
    return length >= 24 && size.width == Number(data, 16, 4, true) &&
           size.height == Number(data, 20, 4, true);
  if (startsWith("GIF8", 4))
    return length >= 10 && size.width == Number(data, 6, 2, false) &&
           size.height == Number(data, 8, 2, false);
  if (startsWith("BM", 2) && length >= 22 && Number(data, 14, 4, false) == 12)
    return size.width == Number(data, 18, 2, false) && size.height == Number(data, 20, 2, false);
  if (startsWith("BM", 2)) {
    // Rows are signed, negative for top-down images: the height is their count.
    const uint32_t rows = length >= 26 ? Number(data, 22, 4, false) : 0;
    return length >= 26 && size.width == Number(data, 18, 4, false) &&
           size.height == (rows >> 31 ? 0u - rows : rows);
  }
  if (startsWith("\xFF\xD8", 2))
    return HasFrameClaiming(data, length, size);
  return startsWith("II*\0", 4) || startsWith("MM\0*", 4);
}

}  // namespace

// Feeds each input to the header parser as the bytes of a file, and checks what the parser
// promises of any file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  int reads = 0;
  const FileReader read = [data, size, &reads](uint64_t offset, uint8_t* buffer,
                                               size_t length) -> size_t {
    Require(++reads <= kMaxReads, "at most one header read and 256 block reads");
    Require(length <= kBlockSize, "no read asks for more than a block");
    if (offset >= size)
      return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(length, size - offset));
    std::memcpy(buffer, data + offset, count);
    return count;
  };
  ClaimedSize claimed = {0, 0};
  const Claim claim = ParseClaimedSize(read, &claimed);
  Require(claim == Claim::kSize || claim == Claim::kNone || claim == Claim::kTooDeep,
          "the claim is one of the three");
  if (claim == Claim::kSize)
    Require(SizeMatchesHeader(data, size, claimed), "a claimed size is the header's");
  return 0;
}
