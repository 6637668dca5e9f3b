#include "app/main_window.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/activity_log.h"
#include "app/control_ids.h"
#include "app/folder_picker.h"
#include "app/globals.h"
#include "app/run_report_handler.h"
#include "batch/batch_run.h"
#include "common/scoped_handle.h"

namespace {

constexpr wchar_t kWindowClass[] = L"Quillmere";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kSizeBoxStyle = kChildStyle | WS_BORDER | ES_NUMBER;
constexpr DWORD kLogStyle = kChildStyle | WS_BORDER | WS_VSCROLL | LBS_NOTIFY;

struct ControlLayout {
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  int x, y, width, height;
  int id;
  HWND* handle;  // where the handle is kept, if anywhere
};

// The fixed layout of the panel, in creation order.
const ControlLayout kControls[] = {
    {L"BUTTON", L"选择目录", kChildStyle, 10, 10, 100, 30, ID_SELECT_FOLDER, nullptr},
    {L"STATIC", L"宽度:", kChildStyle, 120, 15, 40, 20, 0, nullptr},
    {L"EDIT", L"", kSizeBoxStyle, 160, 12, 60, 25, ID_WIDTH_EDIT, &g_widthEdit},
    {L"STATIC", L"高度:", kChildStyle, 230, 15, 40, 20, 0, nullptr},
    {L"EDIT", L"100", kSizeBoxStyle, 270, 12, 60, 25, ID_HEIGHT_EDIT, &g_heightEdit},
    {L"BUTTON", L"开始处理", kChildStyle, 340, 10, 100, 30, ID_START, nullptr},
    {L"BUTTON", L"清空日志", kChildStyle, 450, 10, 100, 30, ID_CLEAR_LOG, nullptr},
    {PROGRESS_CLASSW, nullptr, kChildStyle, 10, 50, 540, 25, ID_PROGRESS, &g_progressBar},
    {L"LISTBOX", nullptr, kLogStyle, 10, 85, 540, 300, ID_LOG_LIST, &g_logList},
};

// The thread of the latest batch run: a close waits for it to stop.
ScopedHandle g_runThread;

const wchar_t* const kGreeting[] = {
    L"欢迎使用图片批量处理工具",
    L"请选择包含图片的目录，并设置目标尺寸",
    L"提示：如果只设置宽度或高度，另一个尺寸会自动按比例调整",
    L"支持格式: JPG, PNG, BMP, GIF, TIFF, WEBP",
};

bool CreateControls(HWND window)
{
  for (const ControlLayout& control : kControls) {
    const HWND handle = CreateWindowExW(
        0, control.className, control.text, control.style, control.x, control.y, control.width,
        control.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
        nullptr, nullptr);
    if (!handle)
      return false;
    if (control.handle)
      *control.handle = handle;
  }
  return true;
}

// The log font lives as long as the process, so it is never deleted.
void SetLogFont()
{
  const HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, 0, 0, L"微软雅黑");
  if (!font)
    return;
  for (const HWND control : {g_logList, g_widthEdit, g_heightEdit})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

LRESULT OnCreate(HWND window)
{
  if (!CreateControls(window))
    return -1;
  SetLogFont();
  for (const wchar_t* line : kGreeting)
    AppendLog(line);
  return 0;
}

void OnSelectFolder(HWND window)
{
  const std::wstring folder = PickFolder(window);
  if (folder.empty())
    return;
  g_selectedFolder = folder;
  AppendLog(L"已选择目录: " + folder);
}

void OnStart(HWND window)
{
  if (g_selectedFolder.empty()) {
    AppendLog(L"错误：请先选择目录");
    return;
  }
  // A disabled Start means a run is going. The command can still arrive (Wine's buttons
  // act on BM_CLICK even when disabled), and must not start a second run.
  const HWND startButton = GetDlgItem(window, ID_START);
  if (!IsWindowEnabled(startButton))
    return;
  EnableWindow(startButton, FALSE);

  auto folder = std::make_unique<std::wstring>(g_selectedFolder);
  const HANDLE worker = CreateThread(nullptr, 0, BatchWorker, folder.get(), 0, nullptr);
  if (!worker) {
    EnableWindow(startButton, TRUE);
    AppendLog(L"错误：无法启动处理线程，请重试");
    return;
  }
  folder.release();  // the run owns its copy now
  g_runThread.reset(worker);
}

void OnCommand(HWND window, int id)
{
  switch (id) {
    case ID_SELECT_FOLDER:
      OnSelectFolder(window);
      break;
    case ID_START:
      OnStart(window);
      break;
    case ID_CLEAR_LOG:
      ClearLog();
      break;
  }
}

void OnDestroy()
{
  PostQuitMessage(0);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, DWORD style)
{
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  if (!RegisterRunReportMessage())
    return nullptr;

  return CreateWindowExW(0, kWindowClass, L"图片批量处理工具", style, CW_USEDEFAULT,
                         CW_USEDEFAULT, 580, 450, nullptr, nullptr, instance, nullptr);
}

bool WaitForBatchRunToStop(DWORD timeoutMs)
{
  return !g_runThread || WaitForSingleObject(g_runThread.get(), timeoutMs) == WAIT_OBJECT_0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (IsRunReportMessage(message))
    return OnRunReportMessage(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
