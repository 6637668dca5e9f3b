#include "folder_picker_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <vector>

#include "ui_driver.h"

namespace driver {
namespace {

constexpr int kTextCapacity = 512;  // UTF-16 units of one item's text
// How long the picker is given to show a selection before it is asked again.
constexpr DWORD kReselectMs = 1000;

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
  HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }

  // The item's children, expanding it first: the picker lists a folder only then.
  std::vector<HTREEITEM> Children(HTREEITEM item) const
  {
    Send(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item),
         "expanding a folder in the picker");
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
    if (!buffer_.Send(tree_, TVM_GETITEMW, 0, "reading an item of the picker"))
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
    const char* const doing = "selecting an item of the picker";
    Send(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), doing);
    Send(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), doing);
    if (Selected() != item)
      throw DriverError("the picker did not select " + Utf8(Text(item)));
  }

 private:
  HTREEITEM Next(HTREEITEM item, UINT relation) const
  {
    return reinterpret_cast<HTREEITEM>(Send(tree_, TVM_GETNEXTITEM, relation,
                                            reinterpret_cast<LPARAM>(item),
                                            "walking the picker's tree"));
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

HWND FindFolderPicker(HWND owner)
{
  return FindOwnedWindow(owner, L"#32770");
}

bool SelectFolderInPicker(HWND picker, const std::wstring& folder, DWORD timeoutMs)
{
  const RemoteTree tree = TreeOf(picker);
  const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
  const size_t pathSize = (folder.size() + 1) * sizeof(wchar_t);
  RemoteBuffer path(ProcessOf(picker), pathSize);
  path.Write(0, folder.c_str(), pathSize);
  // A picker still filling its tree may pass over the request: it is made again until the
  // folder shows selected.
  const auto folderSelected = [&] {
    const HTREEITEM selected = tree.Selected();
    return selected && SameName(tree.Text(selected), name);
  };
  return WaitUntil(
      [&] {
        path.Send(picker, BFFM_SETSELECTIONW, TRUE, "selecting a folder in the picker");
        return WaitUntil(folderSelected, kReselectMs);
      },
      timeoutMs);
}

void SelectComputerInPicker(HWND picker, const std::wstring& drive, DWORD timeoutMs)
{
  const RemoteTree tree = TreeOf(picker);
  tree.Select(FindDrivesPlace(tree, drive, timeoutMs));
}

bool ClosePicker(HWND picker, int buttonId, DWORD timeoutMs)
{
  // Posted, as a click would arrive, into the dialog's own modal loop.
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
  return WaitUntil([picker] { return !IsWindow(picker); }, timeoutMs);
}

}  // namespace driver
