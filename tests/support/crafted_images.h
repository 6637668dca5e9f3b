#pragma once
#include <string>
#include <vector>

// Files whose headers lie about their size, made from small real images: a decoder that
// believed them would allocate gigabytes (or nothing) from a file of a few hundred bytes.

struct CraftedFile {
  std::string name;  // ASCII
  std::string bytes;

  std::wstring WideName() const { return std::wstring(name.begin(), name.end()); }
};

// Decompression bombs: a PNG, a JPEG, a BMP and a GIF claiming 65500 x 65500 or more, and
// JPEGs whose frame header lies further in than a reader goes. jpeg, bmp and gif are
// small real images of those formats; a file that cannot be made from them is left empty.
std::vector<CraftedFile> DecompressionBombs(const std::string& jpeg, const std::string& bmp,
                                            const std::string& gif);

// Well-formed PNGs claiming 0 x 0 and 1000000 x 1, under any pixel limit, with one short
// row of data.
std::vector<CraftedFile> ImpossiblePngs();

// jpeg with its frame header further in, behind what decoders skip: large metadata, stray
// bytes, fill bytes, a damaged segment. Empty files where jpeg is not a JPEG with a frame
// header.
std::vector<CraftedFile> JpegsWithTheFrameFurtherIn(const std::string& jpeg);
