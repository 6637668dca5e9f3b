#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/crafted_images.h"

namespace {

// libFuzzer cuts a seed to 1 MiB when it fuzzes: larger ones are for the replay alone.
constexpr size_t kLargeSeedBytes = 1 << 20;

// The public test images hold no GIF: a one-pixel one, written out byte by byte.
const std::string kOnePixelGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    35);

// Header forms that the public images lack, so that the replay checks how each is read:
// a GIF wider than high, a BMP stored top-down (a negative height) and a BMP with the old
// core header, whose sizes are 16 bits.
std::vector<CraftedFile> HeaderFormsTheCorpusLacks(const std::string& bmp)
{
  if (bmp.size() < 26)
    return {{"top-down.bmp", ""}};
  std::string wideGif = kOnePixelGif;
  wideGif[6] = 3;
  std::string topDownBmp = bmp;
  uint32_t height = 0;
  for (int byte = 3; byte >= 0; --byte)
    height = height << 8 | static_cast<uint8_t>(bmp[22 + byte]);
  for (int byte = 0; byte < 4; ++byte)
    topDownBmp[22 + byte] = static_cast<char>((0u - height) >> (8 * byte));
  const std::string coreBmp("BM\x1A\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\x03\x01\x02\0\x01\0\x18\0", 26);
  return {{"wide.gif", wideGif}, {"top-down.bmp", topDownBmp}, {"core-header.bmp", coreBmp}};
}

std::string ReadFile(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

// Writes the files with lying headers that the tests craft, made from the public test
// images, into existing folders, those over 1 MiB into the second:
// write_crafted_seeds CORPUS_DIR OUTPUT_DIR LARGE_OUTPUT_DIR.
int main(int argc, char** argv)
{
  if (argc != 4) {
    std::fprintf(stderr, "usage: write_crafted_seeds CORPUS_DIR OUTPUT_DIR LARGE_OUTPUT_DIR\n");
    return 2;
  }
  const std::string corpus = argv[1];
  const std::string jpeg = ReadFile(corpus + "/jpeg-turbo/testorig.jpg");
  const std::string bmp = ReadFile(corpus + "/jpeg-turbo/shira_bird8.bmp");
  std::vector<CraftedFile> seeds = DecompressionBombs(jpeg, bmp, kOnePixelGif);
  for (const std::vector<CraftedFile>& more : {ImpossiblePngs(), JpegsWithTheFrameFurtherIn(jpeg),
                                                 HeaderFormsTheCorpusLacks(bmp)})
    seeds.insert(seeds.end(), more.begin(), more.end());
  for (const CraftedFile& seed : seeds) {
    const std::string folder = seed.bytes.size() > kLargeSeedBytes ? argv[3] : argv[2];
    if (seed.bytes.empty() || !WriteFile(folder + "/" + seed.name, seed.bytes)) {
      std::fprintf(stderr, "write_crafted_seeds: cannot make %s\n", seed.name.c_str());
      return 1;
    }
  }
  return 0;
}
