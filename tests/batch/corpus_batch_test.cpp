#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "batch/image_discovery.h"
#include "imaging/target_size.h"
#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"

namespace {

// The shared public test images (PngSuite, libpng's crashers, libjpeg-turbo's samples),
// whose location CTest passes in QUILLMERE_CORPUS.
std::wstring CorpusFolder()
{
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"QUILLMERE_CORPUS", folder, MAX_PATH);
  std::wstring path = length > 0 && length < MAX_PATH ? folder : L"";
  for (wchar_t& unit : path) {
    if (unit == L'/')
      unit = L'\\';
  }
  return path;
}

// Copies every file of the corpus's subfolders into target, each name prefixed with its
// subfolder so none collide; the corpus itself is read-only. Returns name -> bytes.
std::map<std::wstring, std::string> CopyCorpus(const std::wstring& corpus, const std::wstring& target)
{
  std::map<std::wstring, std::string> copied;
  for (const wchar_t* subfolder : {L"pngsuite", L"png-crashers", L"jpeg-turbo"}) {
    const std::wstring source = corpus + L"\\" + subfolder;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &entry);
    EXPECT_NE(find, INVALID_HANDLE_VALUE) << Utf8(source);
    if (find == INVALID_HANDLE_VALUE)
      continue;
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      const std::wstring name = std::wstring(subfolder) + L"-" + entry.cFileName;
      copied[name] = ReadBytes(source + L"\\" + entry.cFileName);
      WriteBytes(target + L"\\" + name, copied[name]);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  return copied;
}

TEST(CorpusBatch, EveryPublicTestImageGetsOneLineAndNoCrash)
{
  const std::wstring corpus = CorpusFolder();
  ASSERT_FALSE(corpus.empty()) << "QUILLMERE_CORPUS is not set";
  TempFolder folder;
  const std::map<std::wstring, std::string> inputs = CopyCorpus(corpus, folder.Path());
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
