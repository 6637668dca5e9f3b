#pragma once
#include <windows.h>

#include <string>

// The system folder picker (SHBrowseForFolderW), driven through its tree view.
namespace driver {

// The visible picker dialog owned by owner, or null. The dialog exists a little before it
// is visible, while it is still filling itself.
HWND FindFolderPicker(HWND owner);

// Selects folder, a full path such as C:\users\me\photos, as a program that opens the
// picker on a folder does, whatever names the picker shows for the folders above it. True
// once the picker shows it selected, false if it still does not after timeoutMs.
bool SelectFolderInPicker(HWND picker, const std::wstring& folder, DWORD timeoutMs);

// Selects the item that holds drive ("C:") among the drives ("My Computer", "This PC"): a
// place of the shell with no file-system path. Throws DriverError.
void SelectComputerInPicker(HWND picker, const std::wstring& drive, DWORD timeoutMs);

// Presses OK (IDOK) or Cancel (IDCANCEL); true once the picker has closed.
bool ClosePicker(HWND picker, int buttonId, DWORD timeoutMs);

}  // namespace driver
