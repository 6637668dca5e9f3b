#include "imaging/claimed_size.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The file is read in blocks, and the reader stops after a fixed number of them: no
// file, whatever its bytes, costs more than kMaxBlockReads reads of kBlockSize bytes.
// Real photos find their size in a few reads, even behind megabytes of metadata, because
// segments are skipped by their length without being read. A file that needs more is
// no photo, and is not handed to the decoder either: a JPEG decoder scans on through any
// number of fill bytes, and under Wine one crashes on the 65500 x 65500 frame header
// that 5 MB of them can hide.
constexpr size_t kBlockSize = 16 * 1024;
constexpr int kMaxBlockReads = 256;
// Far more markers than a real JPEG carries before its frame header (a few dozen): a
// file of empty segments ends here.
constexpr int kMaxJpegMarkers = 1000;

struct Blocks {
  const FileReader& read;
  std::vector<uint8_t> block;
  uint64_t start;
  size_t filled;
  int reads;
  bool spent;  // a read was refused: the walk went too deep
};

// Copies count bytes (at most a block) at offset into out, reading a new block when they
// are not all in the current one. False past the end of the file, on a read error, and
// once the reads are spent.
bool CopyAt(Blocks& blocks, uint64_t offset, uint8_t* out, size_t count)
{
  const bool inBlock = offset >= blocks.start && offset - blocks.start <= blocks.filled &&
                       count <= blocks.filled - (offset - blocks.start);
  if (!inBlock) {
    if (blocks.reads == kMaxBlockReads) {
      blocks.spent = true;
      return false;
    }
    ++blocks.reads;
    blocks.start = offset;
    blocks.filled = std::min(blocks.read(offset, blocks.block.data(), blocks.block.size()),
                             blocks.block.size());
    if (count > blocks.filled)
      return false;
  }
  std::memcpy(out, blocks.block.data() + (offset - blocks.start), count);
  return true;
}

uint32_t BigEndian(const uint8_t* bytes, int size)
{
  uint32_t value = 0;
  for (int index = 0; index < size; ++index)
    value = value << 8 | bytes[index];
  return value;
}

uint32_t LittleEndian(const uint8_t* bytes, int size)
{
  uint32_t value = 0;
  for (int index = size - 1; index >= 0; --index)
    value = value << 8 | bytes[index];
  return value;
}

// Finds the next JPEG marker from offset as decoders do: bytes before an 0xFF are stray
// and skipped, 0xFF fill bytes are skipped, and 0xFF 0x00 is no marker. Leaves offset
// just past the marker's code.
bool NextJpegMarker(Blocks& blocks, uint64_t* offset, uint8_t* marker)
{
  uint8_t byte = 0;
  do {
    do {
      if (!CopyAt(blocks, (*offset)++, &byte, 1))
        return false;
    } while (byte != 0xFF);
    do {
      if (!CopyAt(blocks, (*offset)++, &byte, 1))
        return false;
    } while (byte == 0xFF);
  } while (byte == 0x00);
  *marker = byte;
  return true;
}

bool IsStartOfFrame(uint8_t marker)
{
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
         marker != 0xCC;
}

bool IsStandaloneMarker(uint8_t marker)
{
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

Claim Unread(const Blocks& blocks)
{
  return blocks.spent ? Claim::kTooDeep : Claim::kNone;
}

// Walks the marker segments up to the frame header, which may follow large metadata,
// resynchronising after stray bytes where decoders do, so that the size they act on is
// the one found here.
Claim ReadJpegSize(Blocks& blocks, ClaimedSize* size)
{
  uint64_t offset = 2;
  for (int markers = 0; markers < kMaxJpegMarkers; ++markers) {
    uint8_t marker = 0;
    if (!NextJpegMarker(blocks, &offset, &marker))
      return Unread(blocks);
    if (marker == 0xD9 || marker == 0xDA)  // the image ends, or scan data, before any frame
      return Claim::kNone;
    if (IsStandaloneMarker(marker))
      continue;
    uint8_t segment[7];  // length, precision, height, width
    if (IsStartOfFrame(marker)) {
      if (!CopyAt(blocks, offset, segment, sizeof(segment)))
        return Unread(blocks);
      size->height = BigEndian(segment + 3, 2);
      size->width = BigEndian(segment + 5, 2);
      return Claim::kSize;
    }
    if (!CopyAt(blocks, offset, segment, 2))
      return Unread(blocks);
    // A length below 2, which no real segment has, leaves the walk on the length itself,
    // whose bytes the search for the next marker then skips as decoders do.
    offset += BigEndian(segment, 2);
  }
  return Claim::kTooDeep;
}

// The first image directory's ImageWidth (256) and ImageLength (257) entries. Of entries
// repeated, the largest counts: a decoder may take any one.
Claim ReadTiffSize(Blocks& blocks, const uint8_t* header, ClaimedSize* size)
{
  const bool bigEndian = header[0] == 'M';
  const auto number = [bigEndian](const uint8_t* bytes, int length) {
    return bigEndian ? BigEndian(bytes, length) : LittleEndian(bytes, length);
  };
  const uint64_t directory = number(header + 4, 4);
  uint8_t count[2];
  if (!CopyAt(blocks, directory, count, sizeof(count)))
    return Unread(blocks);
  bool haveWidth = false;
  bool haveHeight = false;
  *size = {0, 0};
  for (uint32_t index = 0; index < number(count, 2); ++index) {
    uint8_t entry[12];
    if (!CopyAt(blocks, directory + 2 + 12ull * index, entry, sizeof(entry)))
      return Unread(blocks);
    const uint32_t tag = number(entry, 2);
    const bool isShort = number(entry + 2, 2) == 3;
    const uint32_t value = isShort ? number(entry + 8, 2) : number(entry + 8, 4);
    if (tag == 256) {
      size->width = std::max(size->width, value);
      haveWidth = true;
    } else if (tag == 257) {
      size->height = std::max(size->height, value);
      haveHeight = true;
    }
  }
  return haveWidth && haveHeight ? Claim::kSize : Claim::kNone;
}

Claim ReadBmpSize(const uint8_t* header, size_t length, ClaimedSize* size)
{
  if (length >= 22 && LittleEndian(header + 14, 4) == 12) {  // the old core header: 16-bit fields
    *size = {LittleEndian(header + 18, 2), LittleEndian(header + 20, 2)};
    return Claim::kSize;
  }
  if (length < 26)
    return Claim::kNone;
  // Height is signed: negative for top-down rows.
  const int32_t rows = static_cast<int32_t>(LittleEndian(header + 22, 4));
  *size = {LittleEndian(header + 18, 4),
           static_cast<uint32_t>(rows < 0 ? -static_cast<int64_t>(rows) : rows)};
  return Claim::kSize;
}

bool StartsWith(const uint8_t* header, size_t length, const char* magic, size_t magicLength)
{
  return length >= magicLength && std::memcmp(header, magic, magicLength) == 0;
}

}  // namespace

Claim ParseClaimedSize(const FileReader& read, ClaimedSize* size)
{
  Blocks blocks = {read, std::vector<uint8_t>(kBlockSize), 0, 0, 0, false};
  uint8_t header[26];
  const size_t length = std::min(read(0, header, sizeof(header)), sizeof(header));
  if (StartsWith(header, length, "\x89PNG\r\n\x1A\n", 8) && length >= 24) {
    *size = {BigEndian(header + 16, 4), BigEndian(header + 20, 4)};
    return Claim::kSize;
  }
  if (StartsWith(header, length, "\xFF\xD8", 2))
    return ReadJpegSize(blocks, size);
  if (StartsWith(header, length, "GIF8", 4) && length >= 10) {
    *size = {LittleEndian(header + 6, 2), LittleEndian(header + 8, 2)};
    return Claim::kSize;
  }
  if (StartsWith(header, length, "BM", 2))
    return ReadBmpSize(header, length, size);
  if (StartsWith(header, length, "II*\0", 4) || StartsWith(header, length, "MM\0*", 4))
    return length >= 8 ? ReadTiffSize(blocks, header, size) : Claim::kNone;
  return Claim::kNone;
}
