#pragma once
#include <windows.h>

// The kit's stand-in for a DLL that someone left beside a program under the name of one
// that Windows loads for it (comctl32.dll, gdiplus.dll): loaded into any process, it
// writes a marker file beside itself, "<its file name>.loaded", and ends the process at
// once with kPlantedLibraryExitCode. The kit ships it as planted_library.dll, a name that
// nothing loads; only a test copies it under the names it stands in for.
constexpr wchar_t kPlantedLibraryFileName[] = L"planted_library.dll";
constexpr wchar_t kPlantedLibraryMarkerSuffix[] = L".loaded";
constexpr UINT kPlantedLibraryExitCode = 77;
