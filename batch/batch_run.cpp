#include "batch/batch_run.h"

#include <memory>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/globals.h"
#include "app/run_report.h"
#include "batch/image_discovery.h"
#include "batch/size_text.h"
#include "imaging/resize_and_save.h"

namespace {

// A short pause after each file, so the log and progress bar are seen to move.
constexpr DWORD kPauseAfterFileMs = 10;
constexpr int kSizeTextCapacity = 32;

int ReadSizeBox(HWND box)
{
  wchar_t text[kSizeTextCapacity] = {};
  GetWindowTextW(box, text, kSizeTextCapacity);
  return SizeFromText(text);
}

// Creates folder (its last level only) unless it already exists as a folder. False when
// it cannot be created or its name is held by a file.
bool EnsureDirectory(const std::wstring& folder)
{
  if (CreateDirectoryW(folder.c_str(), nullptr))
    return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  // The name may be held by a file, where no output could ever be saved.
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Log(const std::wstring& line)
{
  SendRunReport({line.c_str()});
}

std::wstring FileName(const std::wstring& path)
{
  return path.substr(path.rfind(L'\\') + 1);
}

void RunBatch(const std::wstring& folder)
{
  const int width = ReadSizeBox(g_widthEdit);
  const int height = ReadSizeBox(g_heightEdit);
  if (width <= 0 && height <= 0) {
    Log(L"错误：请至少指定宽度或高度之一");
    return;
  }

  const std::wstring outputFolder = folder + L"\\datas";
  if (!EnsureDirectory(outputFolder)) {
    Log(L"错误：无法创建输出目录");
    return;
  }

  const std::vector<std::wstring> files = ListImageFiles(folder);
  if (files.empty()) {
    Log(L"错误：目录中没有找到图片文件");
    return;
  }
  const int count = static_cast<int>(files.size());

  Log(L"开始处理图片...");
  Log(L"目标尺寸: " + std::to_wstring(width) + L" x " + std::to_wstring(height));
  Log(L"找到 " + std::to_wstring(count) + L" 个图片文件");
  RunReport start;
  start.progressRange = count;
  start.progressPosition = 1;
  SendRunReport(start);

  int succeeded = 0;
  for (int index = 0; index < count; ++index) {
    // Once the window has closed, the run stops between two files, never inside a save:
    // the program waits for that before it ends.
    if (!IsWindow(g_mainWindow))
      return;
    const std::wstring name = FileName(files[index]);
    const bool saved = ResizeAndSave(files[index], outputFolder + L"\\" + name, width, height);
    if (saved)
      ++succeeded;
    const std::wstring line = saved ? L"✓ " + name : L"✗ " + name + L" 处理失败";
    SendFileDone(line.c_str(), index, count);
    Sleep(kPauseAfterFileMs);
  }
  Log(L"处理完成! 成功: " + std::to_wstring(succeeded) + L"/" + std::to_wstring(count));
}

}  // namespace

DWORD WINAPI BatchWorker(LPVOID folderCopy)
{
  RunBatch(*std::unique_ptr<std::wstring>(static_cast<std::wstring*>(folderCopy)));
  // Enabling Start is the run's last act: from here on the worker holds nothing and
  // makes no GDI+ call, so the window may close and GDI+ shut down.
  EnableWindow(GetDlgItem(g_mainWindow, ID_START), TRUE);
  return 0;
}
