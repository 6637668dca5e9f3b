#pragma once
#include <windows.h>

#include <string>

// The system folder picker (SHBrowseForFolderW), driven through its tree view.
namespace driver {

// The visible picker dialog owned by owner, or null once timeoutMs has passed. The
// dialog exists a little before it is visible, while it is still filling itself.
HWND WaitForFolderPicker(HWND owner, DWORD timeoutMs);

// Walks the picker's tree from the desktop down to folder, a full path such as
// C:\users\me\photos, expanding each level on the way, and selects it. Throws DriverError.
void SelectFolderInPicker(HWND picker, const std::wstring& folder, DWORD timeoutMs);

// Selects the item that holds the drives ("My Computer", "This PC"): a place of the
// shell with no file-system path. Throws DriverError.
void SelectComputerInPicker(HWND picker, DWORD timeoutMs);

// Presses OK (IDOK) or Cancel (IDCANCEL); true once the picker has closed.
bool ClosePicker(HWND picker, int buttonId, DWORD timeoutMs);

}  // namespace driver
