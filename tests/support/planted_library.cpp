#include "support/planted_library.h"

#include <algorithm>
#include <iterator>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
  if (reason != DLL_PROCESS_ATTACH)
    return TRUE;
  wchar_t marker[MAX_PATH + std::size(kPlantedLibraryMarkerSuffix)];
  const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::copy(std::begin(kPlantedLibraryMarkerSuffix), std::end(kPlantedLibraryMarkerSuffix),
              marker + length);
    const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  // At once, from inside the loader: no other DLL's code, and no more of the program's.
  TerminateProcess(GetCurrentProcess(), kPlantedLibraryExitCode);
  return FALSE;
}
