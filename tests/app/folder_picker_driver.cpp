#include "folder_picker_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ui_driver.h"

namespace driver {
namespace {

constexpr int kTextCapacity = 512;  // UTF-16 units of one item's text

std::vector<std::wstring> SplitPath(const std::wstring& path)
{
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    if (end > start)
      parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Drive items read like "Local Disk (C:)", or " (Z:)" for a drive without a label.
bool IsDriveText(const std::wstring& text, const std::wstring& drive)
{
  return text.find(L"(" + drive + L")") != std::wstring::npos;
}

DWORD ProcessOf(HWND window)
{
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

// The picker's tree view, read through a buffer inside the picker's process: tree view
// items hold a text pointer that no message carries across processes.
class RemoteTree {
 public:
  explicit RemoteTree(HWND tree)
      : tree_(tree), buffer_(ProcessOf(tree), sizeof(TVITEMW) + kTextCapacity * sizeof(wchar_t))
  {
  }

  HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }

  // The item's children, expanding it first: the picker lists a folder only then.
  std::vector<HTREEITEM> Children(HTREEITEM item) const
  {
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = Next(item, TVGN_CHILD); child; child = Next(child, TVGN_NEXT))
      children.push_back(child);
    return children;
  }

  std::wstring Text(HTREEITEM item) const
  {
    wchar_t* const remoteText = reinterpret_cast<wchar_t*>(buffer_.Address() + sizeof(TVITEMW));
    TVITEMW request = {};
    request.mask = TVIF_HANDLE | TVIF_TEXT;
    request.hItem = item;
    request.pszText = remoteText;
    request.cchTextMax = kTextCapacity;
    buffer_.Write(0, &request, sizeof(request));
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer_.Address())))
      throw DriverError("TVM_GETITEMW failed");

    TVITEMW answer;
    buffer_.Read(0, &answer, sizeof(answer));
    // The tree may answer with a pointer to its own copy of the text instead.
    std::wstring text;
    wchar_t unit = L'\0';
    for (int index = 0; index < kTextCapacity; ++index) {
      buffer_.ReadAt(answer.pszText + index, &unit, sizeof(unit));
      if (unit == L'\0')
        break;
      text += unit;
    }
    return text;
  }

  void Select(HTREEITEM item) const
  {
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    if (Next(nullptr, TVGN_CARET) != item)
      throw DriverError("the picker did not select " + Utf8(Text(item)));
  }

 private:
  HTREEITEM Next(HTREEITEM item, UINT relation) const
  {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  }

  HWND tree_;
  mutable RemoteBuffer buffer_;
};

using ItemTest = std::function<bool(HTREEITEM)>;

// The first child of parent that passes test, waiting while the picker fills the level.
HTREEITEM WaitForChild(const RemoteTree& tree, HTREEITEM parent, const ItemTest& test,
                       DWORD timeoutMs)
{
  HTREEITEM found = nullptr;
  WaitUntil(
      [&] {
        for (const HTREEITEM child : tree.Children(parent)) {
          if (test(child)) {
            found = child;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

// Drives hang one level below the desktop, under an item whose name ("My Computer",
// "This PC") depends on the system and its language: the one that holds the drive.
HTREEITEM FindDrivesPlace(const RemoteTree& tree, const std::wstring& drive, DWORD timeoutMs)
{
  const ItemTest isDrive = [&](HTREEITEM item) { return IsDriveText(tree.Text(item), drive); };
  const ItemTest holdsDrive = [&](HTREEITEM item) {
    return WaitForChild(tree, item, isDrive, 0) != nullptr;
  };
  const HTREEITEM place = WaitForChild(tree, tree.Root(), holdsDrive, timeoutMs);
  if (!place)
    throw DriverError("no drive " + Utf8(drive) + " in the folder picker");
  return place;
}

RemoteTree TreeOf(HWND picker)
{
  const HWND tree = FindDescendant(picker, WC_TREEVIEWW);
  if (!tree)
    throw DriverError("the folder picker has no tree view");
  return RemoteTree(tree);
}

}  // namespace

HWND WaitForFolderPicker(HWND owner, DWORD timeoutMs)
{
  return WaitForOwnedWindow(owner, L"#32770", timeoutMs);
}

void SelectFolderInPicker(HWND picker, const std::wstring& folder, DWORD timeoutMs)
{
  const RemoteTree tree = TreeOf(picker);
  const std::vector<std::wstring> parts = SplitPath(folder);
  if (parts.empty())
    throw DriverError("empty folder path");
  HTREEITEM item = FindDrivesPlace(tree, parts[0], timeoutMs);
  for (size_t level = 0; level < parts.size(); ++level) {
    const std::wstring& name = parts[level];
    const ItemTest matches = [&](HTREEITEM child) {
      const std::wstring text = tree.Text(child);
      return level == 0 ? IsDriveText(text, name) : SameName(text, name);
    };
    item = WaitForChild(tree, item, matches, timeoutMs);
    if (!item)
      throw DriverError("no folder " + Utf8(name) + " in the folder picker on the way to " +
                        Utf8(folder));
  }
  tree.Select(item);
}

void SelectComputerInPicker(HWND picker, DWORD timeoutMs)
{
  const RemoteTree tree = TreeOf(picker);
  tree.Select(FindDrivesPlace(tree, L"C:", timeoutMs));
}

bool ClosePicker(HWND picker, int buttonId, DWORD timeoutMs)
{
  // Posted, as a click would arrive, into the dialog's own modal loop.
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
  return WaitUntil([picker] { return !IsWindow(picker); }, timeoutMs);
}

}  // namespace driver
