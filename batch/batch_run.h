#pragma once
#include <windows.h>

// The thread procedure of one batch run. folderCopy is a std::wstring allocated with
// new, holding the folder selected when Start was pressed; the run takes it over.
// Reads the size boxes, resizes every image of the folder into its "datas" subfolder,
// reports through the activity log and progress bar, and enables Start when it ends.
DWORD WINAPI BatchWorker(LPVOID folderCopy);
