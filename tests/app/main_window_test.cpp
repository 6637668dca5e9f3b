#include <windows.h>
#include <commctrl.h>

#include <iterator>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "support/temp_folder.h"

using driver::ChildrenOf;
using driver::ClassOf;
using driver::ExStyleOf;
using driver::NewestLineInView;
using driver::RectInParent;
using driver::StyleOf;
using driver::TextOf;

namespace {

struct ExpectedControl {
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  int x, y, width, height;
  int id;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kSizeBox = kChild | WS_BORDER | ES_NUMBER;

// In creation order, which is the order of a window's children from the top down.
const ExpectedControl kControls[] = {
    {L"Button", L"选择目录", kChild, 10, 10, 100, 30, 1001},
    {L"Static", L"宽度:", kChild, 120, 15, 40, 20, 0},
    {L"Edit", L"", kSizeBox, 160, 12, 60, 25, 1003},
    {L"Static", L"高度:", kChild, 230, 15, 40, 20, 0},
    {L"Edit", L"100", kSizeBox, 270, 12, 60, 25, 1002},
    {L"Button", L"开始处理", kChild, 340, 10, 100, 30, 1004},
    {L"Button", L"清空日志", kChild, 450, 10, 100, 30, 1007},
    {L"msctls_progress32", L"", kChild, 10, 50, 540, 25, 1005},
    {L"ListBox", L"", kChild | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 10, 85, 540, 300, 1006},
};

bool SameClass(const std::wstring& a, const std::wstring& b)
{
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether style is one the control may report once created. A list box shows its scroll
// bar, and so WS_VSCROLL, only while its lines overflow. An edit control keeps WS_BORDER as
// documented, or, as Wine's does, takes it out of its style and draws the frame itself.
bool IsLiveStyleOf(DWORD style, const ExpectedControl& control)
{
  DWORD expected = control.style;
  if (SameClass(control.windowClass, L"ListBox"))
    expected &= ~WS_VSCROLL;
  if (SameClass(control.windowClass, L"Edit") && style == (expected & ~WS_BORDER))
    return true;
  return style == expected;
}

// An unthemed progress bar gives itself a static edge.
DWORD AddedExStyle(const ExpectedControl& control)
{
  return SameClass(control.windowClass, PROGRESS_CLASSW) ? WS_EX_STATICEDGE : 0;
}

int ItemHeightOf(HWND listBox)
{
  return static_cast<int>(driver::Send(listBox, LB_GETITEMHEIGHT, 0, 0, "reading a line's height"));
}

struct ListBoxMetrics {
  int outerHeight;
  int itemHeight;
};

// A list box with the log's style, size and font, made here by the same window system.
// It trims its height to whole lines of the font it has at creation, so its outer height,
// unlike the requested 300, is the system's to decide; the log must come out the same.
ListBoxMetrics ReferenceLogMetrics(const ExpectedControl& log)
{
  const HWND parent = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPED, 0, 0, 600, 450, nullptr,
                                      nullptr, nullptr, nullptr);
  const HWND listBox =
      CreateWindowExW(0, log.windowClass, nullptr, log.style, log.x, log.y, log.width, log.height,
                      parent, nullptr, nullptr, nullptr);
  const HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, 0, 0, L"微软雅黑");
  SendMessageW(listBox, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  RECT rect;
  GetWindowRect(listBox, &rect);
  const ListBoxMetrics metrics = {rect.bottom - rect.top, ItemHeightOf(listBox)};
  DestroyWindow(parent);
  DeleteObject(font);
  return metrics;
}

}  // namespace

using MainWindowTest = QuillmereTest;

TEST_F(MainWindowTest, HasItsTitleStyleAndOuterSize)
{
  const HWND window = App().Window();
  EXPECT_EQ(Utf8(TextOf(window)), "图片批量处理工具");
  const DWORD kinds = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED | WS_POPUP | WS_CHILD |
                      WS_MINIMIZE | WS_MAXIMIZE;
  EXPECT_EQ(StyleOf(window) & kinds, static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
  RECT outer;
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(outer.right - outer.left, 580);
  EXPECT_EQ(outer.bottom - outer.top, 450);
}

TEST_F(MainWindowTest, HasTheNineControlsInCreationOrder)
{
  const std::vector<HWND> children = ChildrenOf(App().Window());
  ASSERT_EQ(children.size(), std::size(kControls));
  for (size_t index = 0; index < children.size(); ++index) {
    const ExpectedControl& expected = kControls[index];
    const HWND control = children[index];
    SCOPED_TRACE("control " + std::to_string(index + 1) + ", " + Utf8(expected.windowClass) +
                 " \"" + Utf8(expected.text) + "\"");
    EXPECT_TRUE(SameClass(ClassOf(control), expected.windowClass)) << Utf8(ClassOf(control));
    EXPECT_EQ(Utf8(TextOf(control)), Utf8(expected.text));
    EXPECT_EQ(GetDlgCtrlID(control), expected.id);
    EXPECT_TRUE(IsLiveStyleOf(StyleOf(control), expected)) << std::hex << StyleOf(control);
    EXPECT_EQ(ExStyleOf(control) & ~AddedExStyle(expected), 0u);

    const RECT rect = RectInParent(control);
    EXPECT_EQ(rect.left, expected.x);
    EXPECT_EQ(rect.top, expected.y);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    const int height = rect.bottom - rect.top;
    if (expected.id != 1006) {
      EXPECT_EQ(height, expected.height);
      continue;
    }
    // Without LBS_NOINTEGRALHEIGHT a list box trims itself to whole lines; the item
    // height follows the log font's 14-pixel cells.
    const ListBoxMetrics reference = ReferenceLogMetrics(expected);
    EXPECT_LE(height, expected.height);
    EXPECT_EQ(height, reference.outerHeight);
    EXPECT_EQ(ItemHeightOf(control), reference.itemHeight);
  }
}

TEST_F(MainWindowTest, GreetsWithFourLines)
{
  EXPECT_EQ(Log(), Greeting());
}

TEST_F(MainWindowTest, LogKeepsItsNewestLineInView)
{
  const HWND log = App().Control(driver::kLogListId);
  EXPECT_EQ(StyleOf(log) & WS_VSCROLL, 0u) << "four lines need no scroll bar";

  // With no folder chosen, every press of Start logs one line.
  const int kPresses = 40;
  for (int press = 0; press < kPresses; ++press)
    App().Click(driver::kStartId);
  const int count = static_cast<int>(Log().size());
  ASSERT_EQ(count, 4 + kPresses);

  EXPECT_NE(StyleOf(log) & WS_VSCROLL, 0u) << "the overflowing log shows no scroll bar";
  EXPECT_GT(driver::Send(log, LB_GETTOPINDEX, 0, 0, "reading the log's top line"), 0);
  EXPECT_TRUE(NewestLineInView(log));
}
