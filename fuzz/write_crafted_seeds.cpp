#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "support/crafted_images.h"

namespace {

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

// Writes the lying headers that the tests craft, made from the public test images, into
// an existing folder: write_crafted_seeds CORPUS_DIR OUTPUT_DIR.
int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_crafted_seeds CORPUS_DIR OUTPUT_DIR\n");
    return 2;
  }
  const std::string corpus = argv[1];
  const std::string jpeg = ReadFile(corpus + "/jpeg-turbo/testorig.jpg");
  const std::string bmp = ReadFile(corpus + "/jpeg-turbo/shira_bird8.bmp");
  const std::string bombJpeg = WithClaimedSize(jpeg, 65500, 65500);
  const std::string emptySegments = EmptyJpegSegments(2000);
  const struct {
    const char* name;
    std::string bytes;
  } seeds[] = {
      {"claims-65535x65535.png", PngClaiming(65535, 65535)},
      {"claims-0x0.png", PngClaiming(0, 0)},
      {"claims-1000000x1.png", PngClaiming(1000000, 1)},
      {"claims-65535x65535.bmp", WithClaimedSize(bmp, 65535, 65535)},
      {"claims-65500x65500.jpg", bombJpeg},
      {"stray-bytes-bomb.jpg", WithBeforeFrameHeader(bombJpeg, "stray bytes")},
      {"fill-before-frame.jpg", WithBeforeFrameHeader(jpeg, std::string(64, '\xFF'))},
      {"damaged-before-frame.jpg",
       WithBeforeFrameHeader(jpeg, std::string("\xFF\xE0\x00\x00stray", 9))},
      {"empty-segments-before-frame.jpg", WithBeforeFrameHeader(jpeg, emptySegments)},
  };
  for (const auto& seed : seeds) {
    if (seed.bytes.empty() || !WriteFile(std::string(argv[2]) + "/" + seed.name, seed.bytes)) {
      std::fprintf(stderr, "write_crafted_seeds: cannot make %s\n", seed.name);
      return 1;
    }
  }
  return 0;
}
