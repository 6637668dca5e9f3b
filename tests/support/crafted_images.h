#pragma once
#include <cstdint>
#include <string>

// Files whose headers lie about their size: a decoder that believes them would allocate
// gigabytes (or nothing, for 0 x 0) from a file of a few hundred bytes.

// A well-formed PNG (valid CRCs) claiming width x height, with one short row of data.
std::string PngClaiming(uint32_t width, uint32_t height);

// encoded, an image in JPEG, BMP or GIF form, with its header's size fields rewritten to
// claim width x height. Returns an empty string if no such field is found.
std::string WithClaimedSize(std::string encoded, uint16_t width, uint16_t height);

// jpeg with inserted just before its frame header's marker. Returns an empty string if
// there is no frame header.
std::string WithBeforeFrameHeader(const std::string& jpeg, const std::string& inserted);

// count empty JPEG application segments (FF E0 00 02), which no real file strings together.
std::string EmptyJpegSegments(int count);
