#include "app/folder_picker.h"

#include <shlobj.h>

#include <memory>
#include <type_traits>

namespace {

struct ItemIdListFreer {
  void operator()(PIDLIST_ABSOLUTE item) const { CoTaskMemFree(item); }
};
using ScopedItemIdList = std::unique_ptr<std::remove_pointer_t<PIDLIST_ABSOLUTE>, ItemIdListFreer>;

}  // namespace

std::wstring PickFolder(HWND owner)
{
  BROWSEINFOW browse = {};
  browse.hwndOwner = owner;
  browse.lpszTitle = L"选择包含图片的目录";
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const ScopedItemIdList item(SHBrowseForFolderW(&browse));
  if (!item)
    return std::wstring();

  // Virtual places such as the recycle bin come back as an item with no path.
  wchar_t path[MAX_PATH];
  if (!SHGetPathFromIDListW(item.get(), path))
    return std::wstring();
  return path;
}
