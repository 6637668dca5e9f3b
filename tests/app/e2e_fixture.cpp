#include "e2e_fixture.h"

#include <algorithm>

#include "support/temp_folder.h"
#include "support/test_images.h"

Lines Greeting()
{
  return {"欢迎使用图片批量处理工具", "请选择包含图片的目录，并设置目标尺寸",
          "提示：如果只设置宽度或高度，另一个尺寸会自动按比例调整",
          "支持格式: JPG, PNG, BMP, GIF, TIFF, WEBP"};
}

Lines AfterGreeting(std::initializer_list<Lines> parts)
{
  Lines lines = Greeting();
  for (const Lines& part : parts)
    lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

std::string SelectedLine(const std::wstring& folder)
{
  return "已选择目录: " + Utf8(folder);
}

void WriteImages(const std::wstring& folder, const std::vector<ImageFile>& images)
{
  for (const ImageFile& image : images)
    WriteImage(folder + L"\\" + image.name, image.width, image.height, image.mimeType);
}

std::vector<std::wstring> NumberedNames(int count)
{
  std::vector<std::wstring> names;
  for (int number = 1; number <= count; ++number) {
    const std::wstring digits = std::to_wstring(number);
    names.push_back(L"img" + std::wstring(digits.size() < 3 ? 3 - digits.size() : 0, L'0') +
                    digits + L".png");
  }
  return names;
}

void WriteNumberedImages(const std::wstring& folder, int count)
{
  const std::vector<std::wstring> names = NumberedNames(count);
  const std::wstring first = folder + L"\\" + names.front();
  WriteImage(first, 32, 24, L"image/png");
  for (size_t index = 1; index < names.size(); ++index) {
    const std::wstring copy = folder + L"\\" + names[index];
    ASSERT_TRUE(CopyFileW(first.c_str(), copy.c_str(), FALSE)) << Utf8(copy);
  }
}

std::vector<std::wstring> InListingOrder(const std::wstring& folder,
                                         const std::vector<std::wstring>& names)
{
  std::vector<std::wstring> ordered;
  for (const std::wstring& name : FileNamesIn(folder)) {
    if (std::find(names.begin(), names.end(), name) != names.end())
      ordered.push_back(name);
  }
  return ordered;
}

void QuillmereTest::Restart(const std::wstring& program)
{
  app_ = std::make_unique<driver::QuillmereSession>(program);
}

void QuillmereTest::TearDown()
{
  if (!app_)
    return;
  const DWORD exitCode = app_->Process().ExitCode();
  if (exitCode != STILL_ACTIVE) {
    EXPECT_EQ(exitCode, 0u) << "the program ended, exit code " << driver::HexCode(exitCode);
    return;
  }
  EXPECT_TRUE(app_->Close(kExitTimeoutMs)) << "the program did not exit on WM_CLOSE";
  EXPECT_EQ(app_->Process().ExitCode(), 0u);
}

Lines QuillmereTest::Log() const
{
  Lines lines;
  for (const std::wstring& line : app_->LogLines())
    lines.push_back(Utf8(line));
  return lines;
}

void QuillmereTest::ChooseFolder(const std::wstring& folder)
{
  app_->ChooseFolder(folder);
  ASSERT_TRUE(app_->WaitForLine(L"已选择目录: " + folder, driver::kUiTimeoutMs))
      << testing::PrintToString(Log());
}

bool QuillmereTest::RunBatch(const std::string& lastLine)
{
  const auto occurrences = [this, &lastLine] {
    const Lines lines = Log();
    return std::count(lines.begin(), lines.end(), lastLine);
  };
  const auto before = occurrences();
  app_->Click(driver::kStartId);
  const bool disabledAfterClick = !app_->StartEnabled();

  // Enabling Start is the run's last act: whenever it reads enabled, the line is there.
  bool enabledEarly = false;
  const bool ended = app_->WaitUntil(
      [&] {
        const bool enabled = app_->StartEnabled();
        if (enabled && occurrences() == before)
          enabledEarly = true;
        return enabled;
      },
      kRunTimeoutMs);
  EXPECT_TRUE(ended) << "the run did not end";
  EXPECT_FALSE(enabledEarly) << "Start was enabled before the line " << lastLine;
  return disabledAfterClick;
}
