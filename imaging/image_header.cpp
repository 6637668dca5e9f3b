#include "imaging/image_header.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct HandleCloser {
  void operator()(HANDLE file) const { CloseHandle(file); }
};
using ScopedFile = std::unique_ptr<void, HandleCloser>;

bool ReadAt(HANDLE file, uint64_t offset, BYTE* buffer, DWORD size)
{
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD read = 0;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
         ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

uint32_t BigEndian(const BYTE* bytes, int size)
{
  uint32_t value = 0;
  for (int index = 0; index < size; ++index)
    value = value << 8 | bytes[index];
  return value;
}

uint32_t LittleEndian(const BYTE* bytes, int size)
{
  uint32_t value = 0;
  for (int index = size - 1; index >= 0; --index)
    value = value << 8 | bytes[index];
  return value;
}

// Walks the marker segments up to the start of frame, which may follow large metadata.
bool ReadJpegSize(HANDLE file, UINT* width, UINT* height)
{
  uint64_t offset = 2;
  BYTE segment[9];
  while (ReadAt(file, offset, segment, 4) && segment[0] == 0xFF) {
    const BYTE marker = segment[1];
    if (marker == 0xFF) {  // fill byte
      ++offset;
      continue;
    }
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
                              marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (!ReadAt(file, offset, segment, sizeof(segment)))
        return false;
      *height = BigEndian(segment + 5, 2);
      *width = BigEndian(segment + 7, 2);
      return true;
    }
    offset += 2 + BigEndian(segment + 2, 2);
  }
  return false;
}

// The first image directory's ImageWidth (256) and ImageLength (257) entries.
bool ReadTiffSize(HANDLE file, const BYTE* header, UINT* width, UINT* height)
{
  const bool bigEndian = header[0] == 'M';
  const auto number = [bigEndian](const BYTE* bytes, int size) {
    return bigEndian ? BigEndian(bytes, size) : LittleEndian(bytes, size);
  };
  const uint32_t directory = number(header + 4, 4);
  BYTE count[2];
  if (!ReadAt(file, directory, count, sizeof(count)))
    return false;
  bool haveWidth = false;
  bool haveHeight = false;
  for (uint32_t index = 0; index < number(count, 2); ++index) {
    BYTE entry[12];
    if (!ReadAt(file, directory + 2 + 12ull * index, entry, sizeof(entry)))
      return false;
    const uint32_t tag = number(entry, 2);
    const bool isShort = number(entry + 2, 2) == 3;
    const uint32_t value = isShort ? number(entry + 8, 2) : number(entry + 8, 4);
    if (tag == 256) {
      *width = value;
      haveWidth = true;
    } else if (tag == 257) {
      *height = value;
      haveHeight = true;
    }
  }
  return haveWidth && haveHeight;
}

}  // namespace

bool ReadClaimedSize(const std::wstring& path, UINT* width, UINT* height)
{
  const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return false;
  const ScopedFile file(opened);

  BYTE header[26];
  if (!ReadAt(file.get(), 0, header, sizeof(header)))
    return false;
  if (std::memcmp(header, "\x89PNG\r\n\x1A\n", 8) == 0) {
    *width = BigEndian(header + 16, 4);
    *height = BigEndian(header + 20, 4);
    return true;
  }
  if (header[0] == 0xFF && header[1] == 0xD8)
    return ReadJpegSize(file.get(), width, height);
  if (std::memcmp(header, "GIF8", 4) == 0) {
    *width = LittleEndian(header + 6, 2);
    *height = LittleEndian(header + 8, 2);
    return true;
  }
  if (header[0] == 'B' && header[1] == 'M') {
    if (LittleEndian(header + 14, 4) == 12) {  // the old core header: 16-bit fields
      *width = LittleEndian(header + 18, 2);
      *height = LittleEndian(header + 20, 2);
      return true;
    }
    // Height is signed: negative for top-down rows.
    *width = LittleEndian(header + 18, 4);
    const int32_t rows = static_cast<int32_t>(LittleEndian(header + 22, 4));
    *height = static_cast<UINT>(rows < 0 ? -static_cast<int64_t>(rows) : rows);
    return true;
  }
  if (std::memcmp(header, "II*\0", 4) == 0 || std::memcmp(header, "MM\0*", 4) == 0)
    return ReadTiffSize(file.get(), header, width, height);
  return false;
}
