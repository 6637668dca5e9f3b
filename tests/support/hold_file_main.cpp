// hold_file PATH READY-EVENT [LET-GO-MS]
//
// Holds PATH open the way a virus scanner, the search indexer or a sync client does:
// readable by others, but without delete sharing, so that no move can replace it. Sets
// the named event READY-EVENT once it holds the file. With LET-GO-MS, lets go that many
// milliseconds after PATH.partial appears and exits with 0; without, holds until it is
// ended.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv)
{
  if (argc != 3 && argc != 4)
    return 2;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 3;
  const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (!ready || !SetEvent(ready))
    return 4;
  if (argc == 3)
    Sleep(INFINITE);

  const std::wstring partial = std::wstring(argv[1]) + L".partial";
  while (GetFileAttributesW(partial.c_str()) == INVALID_FILE_ATTRIBUTES)
    Sleep(1);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  CloseHandle(file);
  return 0;
}
