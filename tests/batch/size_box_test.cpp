#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"

namespace {

// The run prints the sizes it read back in ASCII digits, so the size line shows how each
// box's text was understood.
class SizeBoxTest : public testing::Test {
 protected:
  SizeBoxTest() { WriteImage(folder.PathOf(L"a.png"), 8, 8, L"image/png"); }

  std::string SizeLineFor(const std::wstring& widthText, const std::wstring& heightText)
  {
    TestWindow window;
    window.SetSizeTexts(widthText, heightText);
    window.RunBatch(folder.Path());
    const std::vector<std::string> lines = window.LogLines();
    return lines.size() > 1 ? lines[1] : (lines.empty() ? "" : lines[0]);
  }

  TempFolder folder;
};

TEST_F(SizeBoxTest, ReadsDigitsOfOtherScriptsAsTheirValues)
{
  EXPECT_EQ(SizeLineFor(L"１２０", L""), "目标尺寸: 120 x 0");
  // Arabic-Indic, extended Arabic-Indic and ASCII digits mixed in one number.
  EXPECT_EQ(SizeLineFor(L"\u0661\u06F25", L""), "目标尺寸: 125 x 0");
  EXPECT_EQ(SizeLineFor(L"", L"\u0967\u0966"), "目标尺寸: 0 x 10");  // Devanagari
  EXPECT_EQ(SizeLineFor(L"", L"\uFF10\uFF18\uFF10"), "目标尺寸: 0 x 80");
}

TEST_F(SizeBoxTest, SkipsLeadingSpacesOfEveryKind)
{
  EXPECT_EQ(SizeLineFor(L"\u3000\u300064", L""), "目标尺寸: 64 x 0");
  EXPECT_EQ(SizeLineFor(L"\u00A032", L""), "目标尺寸: 32 x 0");
  EXPECT_EQ(SizeLineFor(L" \t16", L"\u2003" L"8"), "目标尺寸: 16 x 8");
}

TEST_F(SizeBoxTest, TakesOneSignAndStopsAtTheFirstNonDigit)
{
  EXPECT_EQ(SizeLineFor(L"+50", L""), "目标尺寸: 50 x 0");
  EXPECT_EQ(SizeLineFor(L"-7", L"20"), "目标尺寸: -7 x 20");
  EXPECT_EQ(SizeLineFor(L"12px", L"3 4"), "目标尺寸: 12 x 3");
  EXPECT_EQ(SizeLineFor(L"abc", L"20"), "目标尺寸: 0 x 20");
  EXPECT_EQ(SizeLineFor(L"+-5", L"20"), "目标尺寸: 0 x 20");
}

TEST_F(SizeBoxTest, ValuesPast32BitsStopAtTheNearestLimit)
{
  EXPECT_EQ(SizeLineFor(L"99999999999", L""), "目标尺寸: 2147483647 x 0");
  EXPECT_EQ(SizeLineFor(L"-99999999999", L"10"), "目标尺寸: -2147483648 x 10");
  EXPECT_EQ(SizeLineFor(L"2147483648", L""), "目标尺寸: 2147483647 x 0");
}

TEST_F(SizeBoxTest, TextWithoutANumberReadsAsZero)
{
  EXPECT_EQ(SizeLineFor(L"abc", L"\u3000"), "错误：请至少指定宽度或高度之一");
  EXPECT_EQ(SizeLineFor(L"-", L"+"), "错误：请至少指定宽度或高度之一");
}

}  // namespace
