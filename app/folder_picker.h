#pragma once
#include <windows.h>

#include <string>

// Shows the system folder picker owned by owner. Returns the chosen folder's path, or an
// empty string when the user cancels or picks a place with no file-system path.
// Needs COM on the calling thread.
std::wstring PickFolder(HWND owner);
