#include "support/crafted_images.h"

#include <cstdint>

namespace {

uint32_t Crc32(const std::string& bytes)
{
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) {
    crc ^= static_cast<uint8_t>(byte);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string BigEndian32(uint32_t value)
{
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string PngChunk(const std::string& type, const std::string& data)
{
  return BigEndian32(static_cast<uint32_t>(data.size())) + type + data +
         BigEndian32(Crc32(type + data));
}

void PutBigEndian16(std::string& bytes, size_t offset, uint16_t value)
{
  bytes[offset] = static_cast<char>(value >> 8);
  bytes[offset + 1] = static_cast<char>(value);
}

void PutLittleEndian16(std::string& bytes, size_t offset, uint16_t value)
{
  bytes[offset] = static_cast<char>(value);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

// Where a JPEG's baseline or progressive start-of-frame segment begins, or npos.
size_t FrameHeaderAt(const std::string& jpeg)
{
  for (size_t at = 2; at + 9 < jpeg.size(); ++at) {
    const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
    if (static_cast<unsigned char>(jpeg[at]) == 0xFF && (marker == 0xC0 || marker == 0xC2))
      return at;
  }
  return std::string::npos;
}

// A well-formed PNG (valid CRCs) claiming width x height, with one short row of data.
std::string PngClaiming(uint32_t width, uint32_t height)
{
  // 8-bit RGBA, no interlace.
  const std::string header = BigEndian32(width) + BigEndian32(height) + std::string("\x08\x06\0\0\0", 5);
  // A zlib stream holding one stored block: a filter byte and four zero pixels.
  const std::string row(17, '\0');
  std::string zlib = "\x78\x01";
  zlib += '\x01';
  zlib += std::string{static_cast<char>(row.size()), 0, static_cast<char>(~row.size()), '\xFF'};
  zlib += row;
  zlib += BigEndian32(0x00110001u);  // Adler-32 of 17 zero bytes
  return "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
         PngChunk("IEND", "");
}

// encoded, a JPEG, BMP or GIF, with its header's size fields rewritten to claim width x
// height. Empty if no such field is found.
std::string WithClaimedSize(std::string encoded, uint16_t width, uint16_t height)
{
  if (encoded.compare(0, 2, "BM") == 0 && encoded.size() > 26) {
    PutLittleEndian16(encoded, 18, width);
    PutLittleEndian16(encoded, 22, height);
    return encoded;
  }
  if (encoded.compare(0, 3, "GIF") == 0 && encoded.size() > 10) {
    PutLittleEndian16(encoded, 6, width);
    PutLittleEndian16(encoded, 8, height);
    return encoded;
  }
  // JPEG: the frame header carries height, then width.
  const size_t frame = FrameHeaderAt(encoded);
  if (frame == std::string::npos)
    return std::string();
  PutBigEndian16(encoded, frame + 5, height);
  PutBigEndian16(encoded, frame + 7, width);
  return encoded;
}

// jpeg with inserted just before its frame header's marker; empty if there is none.
std::string WithBeforeFrameHeader(const std::string& jpeg, const std::string& inserted)
{
  const size_t frame = FrameHeaderAt(jpeg);
  if (frame == std::string::npos)
    return std::string();
  return jpeg.substr(0, frame) + inserted + jpeg.substr(frame);
}

// jpeg with inserted right after its start-of-image marker; empty if jpeg is no JPEG.
std::string AfterStartOfImage(const std::string& jpeg, const std::string& inserted)
{
  if (jpeg.compare(0, 2, "\xFF\xD8") != 0)
    return std::string();
  return jpeg.substr(0, 2) + inserted + jpeg.substr(2);
}

// count empty JPEG application segments (FF E0 00 02), which no real file strings together.
std::string EmptyJpegSegments(int count)
{
  std::string segments;
  for (int segment = 0; segment < count; ++segment)
    segments += std::string("\xFF\xE0\x00\x02", 4);
  return segments;
}

}  // namespace

std::vector<CraftedFile> DecompressionBombs(const std::string& jpeg, const std::string& bmp,
                                            const std::string& gif)
{
  const std::string bombJpeg = WithClaimedSize(jpeg, 65500, 65500);
  return {
      {"claims-65535x65535.png", PngClaiming(65535, 65535)},
      {"claims-65500x65500.jpg", bombJpeg},
      {"claims-65535x65535.bmp", WithClaimedSize(bmp, 65535, 65535)},
      {"claims-65535x65535.gif", WithClaimedSize(gif, 65535, 65535)},
      {"stray-bytes-bomb.jpg", WithBeforeFrameHeader(bombJpeg, "stray bytes")},
      // More fill than the header reader looks through: a decoder goes on to the frame.
      {"fill-bytes-bomb.jpg", WithBeforeFrameHeader(bombJpeg, std::string(5 << 20, '\xFF'))},
      {"empty-segments.jpg", WithBeforeFrameHeader(jpeg, EmptyJpegSegments(2000))},
  };
}

std::vector<CraftedFile> ImpossiblePngs()
{
  return {{"claims-0x0.png", PngClaiming(0, 0)},
          {"claims-1000000x1.png", PngClaiming(1000000, 1)}};
}

std::vector<CraftedFile> JpegsWithTheFrameFurtherIn(const std::string& jpeg)
{
  const std::string stray = "stray bytes";
  const std::string largeMetadata =
      std::string("\xFF\xE1\xFF\xFF", 4) + std::string(65533, 'x') + "\xFF\xFF";
  const std::string emptySegment("\xFF\xE0\x00\x00", 4);
  return {
      {"metadata.jpg", AfterStartOfImage(jpeg, largeMetadata)},
      {"stray-after-start.jpg", AfterStartOfImage(jpeg, stray)},
      {"stray-before-frame.jpg", WithBeforeFrameHeader(jpeg, stray)},
      {"fill-before-frame.jpg", WithBeforeFrameHeader(jpeg, std::string(5000, '\xFF'))},
      {"damaged-before-frame.jpg", WithBeforeFrameHeader(jpeg, emptySegment + stray)},
  };
}
