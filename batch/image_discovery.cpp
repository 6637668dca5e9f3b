#include "batch/image_discovery.h"

#include <windows.h>

#include "common/scoped_handle.h"
#include "common/ascii_case.h"

namespace {

// The test is a search anywhere in the name, not of its ending: a.png.bak and
// my.gifts.txt qualify, scan.tif does not.
bool HasImageName(const wchar_t* name)
{
  static const wchar_t* const kImageExtensions[] = {L".jpg", L".jpeg", L".png", L".bmp",
                                                    L".gif", L".tiff", L".webp"};
  const std::wstring lowerCaseName = AsciiLowerCase(name);
  for (const wchar_t* extension : kImageExtensions) {
    if (lowerCaseName.find(extension) != std::wstring::npos)
      return true;
  }
  return false;
}

}  // namespace

std::vector<std::wstring> ListImageFiles(const std::wstring& folder)
{
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
  if (first == INVALID_HANDLE_VALUE)
    return files;
  const ScopedFindHandle find(first);

  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && HasImageName(entry.cFileName))
      files.push_back(folder + L"\\" + entry.cFileName);
  } while (FindNextFileW(find.get(), &entry));
  return files;
}
