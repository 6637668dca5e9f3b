#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "batch/image_discovery.h"
#include "imaging/target_size.h"
#include "support/shared_files.h"
#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"

namespace {

TEST(CorpusBatch, EveryPublicTestImageGetsOneLineAndNoCrash)
{
  // The shared public test images (PngSuite, libpng's crashers, libjpeg-turbo's samples);
  // the corpus itself is read-only, so the batch runs on a copy.
  const std::wstring corpus = FolderFromEnvironment(L"QUILLMERE_CORPUS");
  ASSERT_FALSE(corpus.empty()) << "QUILLMERE_CORPUS is not set";
  TempFolder folder;
  std::map<std::wstring, std::string> inputs;
  for (const std::wstring subfolder : {L"pngsuite", L"png-crashers", L"jpeg-turbo"})
    inputs.merge(CopyFiles(corpus + L"\\" + subfolder, folder.Path(), subfolder + L"-"));
  const std::vector<std::wstring> listed = ListImageFiles(folder.Path());
  ASSERT_GT(listed.size(), 80u);

  TestWindow window;
  window.SetSizeTexts(L"", L"100");
  window.RunBatch(folder.Path());
  const std::vector<std::string> lines = window.LogLines();
  ASSERT_EQ(lines.size(), listed.size() + 4);

  size_t succeeded = 0;
  for (size_t index = 0; index < listed.size(); ++index) {
    const std::wstring name = listed[index].substr(listed[index].rfind(L'\\') + 1);
    SCOPED_TRACE(Utf8(name));
    const std::string& line = lines[3 + index];
    if (line == "✓ " + Utf8(name)) {
      ++succeeded;
      const DecodedImage input = DecodeImage(listed[index]);
      const DecodedImage output = DecodeImage(folder.OutputOf(name));
      ASSERT_TRUE(input.decoded && output.decoded);
      const SIZE expected = TargetSize(input.width, input.height, 0, 100);
      EXPECT_EQ(output.width, static_cast<UINT>(expected.cx));
      EXPECT_EQ(output.height, static_cast<UINT>(expected.cy));
    } else {
      EXPECT_EQ(line, "✗ " + Utf8(name) + " 处理失败");
      EXPECT_FALSE(FileExists(folder.OutputOf(name)));
    }
  }
  EXPECT_EQ(lines.back(), "处理完成! 成功: " + std::to_string(succeeded) + "/" +
                              std::to_string(listed.size()));
  // Most of the suite is valid; the crashers and exotic JPEGs may fail, never all.
  EXPECT_GT(succeeded, listed.size() / 2);

  for (const auto& input : inputs)
    EXPECT_EQ(ReadBytes(folder.PathOf(input.first)), input.second) << Utf8(input.first);
}

}  // namespace
