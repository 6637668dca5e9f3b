#include "app/globals.h"

HWND g_mainWindow = nullptr;
HWND g_widthEdit = nullptr;
HWND g_heightEdit = nullptr;
HWND g_progressBar = nullptr;
HWND g_logList = nullptr;
std::wstring g_selectedFolder;
