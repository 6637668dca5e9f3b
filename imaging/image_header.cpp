#include "imaging/image_header.h"

#include <cstdint>

#include "common/scoped_handle.h"

namespace {

// More pixels than one GDI+ bitmap can hold at 32 bits (2 GiB): a decompression bomb,
// not a photo. Decoding one would exhaust memory, and under Wine a JPEG claiming such a
// size overflows the decoder's buffer and crashes.
constexpr uint64_t kMaxBitmapPixels = uint64_t{1} << 29;

}  // namespace

Claim ReadClaimedSize(const std::wstring& path, ClaimedSize* size)
{
  const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return Claim::kNone;
  const ScopedHandle file(opened);

  // One call per read: the offset travels with it instead of a separate seek.
  const FileReader read = [&file](uint64_t offset, uint8_t* buffer, size_t length) -> size_t {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    return ReadFile(file.get(), buffer, static_cast<DWORD>(length), &done, &at) ? done : 0;
  };
  return ParseClaimedSize(read, size);
}

bool ExceedsOneBitmap(UINT width, UINT height)
{
  return static_cast<uint64_t>(width) * height > kMaxBitmapPixels;
}

bool RefusedByItsHeader(const std::wstring& path)
{
  ClaimedSize claimed;
  const Claim claim = ReadClaimedSize(path, &claimed);
  return claim == Claim::kTooDeep ||
         (claim == Claim::kSize && ExceedsOneBitmap(claimed.width, claimed.height));
}
