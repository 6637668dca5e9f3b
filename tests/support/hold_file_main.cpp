// hold_file PATH READY-EVENT [LET-GO-MS]
//
// Holds PATH open the way a virus scanner, the search indexer or a sync client does:
// readable by others, but without delete sharing, so that no move can replace it. Sets
// the named event READY-EVENT once it holds the file. With LET-GO-MS, lets go that many
// milliseconds after a temporary file of Quillmere's (qm*.tmp) appears in PATH's folder
// and exits with 0; without, holds until it is ended.
#include <windows.h>

#include <cwchar>
#include <string>

#include "common/scoped_handle.h"

namespace {

bool AnyFileMatches(const std::wstring& pattern)
{
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  const ScopedFindHandle listing(find);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc != 3 && argc != 4)
    return 2;
  const HANDLE opened = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return 3;
  const ScopedHandle file(opened);
  const ScopedHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  if (!ready || !SetEvent(ready.get()))
    return 4;
  if (argc == 3)
    Sleep(INFINITE);

  const std::wstring held = argv[1];
  const std::wstring temporaryFiles = held.substr(0, held.rfind(L'\\') + 1) + L"qm*.tmp";
  while (!AnyFileMatches(temporaryFiles))
    Sleep(1);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  return 0;
}
