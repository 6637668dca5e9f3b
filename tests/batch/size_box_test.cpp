#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/globals.h"
#include "batch/size_text.h"
#include "support/temp_folder.h"
#include "support/test_images.h"
#include "support/test_window.h"
#include "support/utf8.h"

namespace {

TEST(SizeFromText, ReadsABase10NumberOfAnyScript)
{
  const struct {
    const wchar_t* text;
    int size;
  } cases[] = {
      // Digits of other scripts read as their values, mixed within one number too:
      // full-width, Arabic-Indic with extended Arabic-Indic and ASCII, Devanagari.
      {L"１２０", 120}, {L"\uFF10\uFF18\uFF10", 80}, {L"\u0661\u06F25", 125}, {L"\u0967\u0966", 10},
      // Leading spaces of every kind are skipped.
      {L"\u3000\u300064", 64}, {L"\u00A032", 32}, {L" \t16", 16}, {L"\u2003" L"8", 8},
      // One sign is taken, and the number stops at the first non-digit.
      {L"+50", 50}, {L"-7", -7}, {L"12px", 12}, {L"3 4", 3},
      // Text without a number reads as 0.
      {L"", 0}, {L"abc", 0}, {L"+-5", 0}, {L"-", 0}, {L"+", 0}, {L"\u3000", 0},
      // Values past 32 bits stop at the nearest limit.
      {L"99999999999", INT_MAX}, {L"2147483648", INT_MAX}, {L"-99999999999", INT_MIN},
  };
  for (const auto& test : cases)
    EXPECT_EQ(SizeFromText(test.text), test.size) << Utf8(test.text);
}

// The run prints the sizes it read back in ASCII digits: each box's text is read as its
// own number.
TEST(SizeBox, TheRunReadsEachBoxAsItsNumber)
{
  TempFolder folder;
  WriteImage(folder.PathOf(L"a.png"), 8, 8, L"image/png");
  TestWindow window;
  // The boxes show what is typed in the log's font, not the system's.
  const LRESULT logFont = SendMessageW(g_logList, WM_GETFONT, 0, 0);
  ASSERT_NE(logFont, 0);
  EXPECT_EQ(SendMessageW(g_widthEdit, WM_GETFONT, 0, 0), logFont);
  EXPECT_EQ(SendMessageW(g_heightEdit, WM_GETFONT, 0, 0), logFont);
  window.SetSizeTexts(L"\u3000１２", L"-7");
  window.RunBatch(folder.Path());
  const std::vector<std::string> lines = window.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "目标尺寸: 12 x -7");
}

}  // namespace
