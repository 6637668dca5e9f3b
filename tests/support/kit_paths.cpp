#include "support/kit_paths.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "common/scoped_handle.h"

namespace {

std::wstring OwnPath()
{
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      throw std::runtime_error("GetModuleFileNameW failed");
    if (length < buffer.size())
      return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring OwnFolder()
{
  const std::wstring path = OwnPath();
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring Environment(const wchar_t* variable)
{
  const DWORD size = GetEnvironmentVariableW(variable, nullptr, 0);
  if (size == 0)
    return std::wstring();
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(variable, &value[0], size);
  value.resize(length < size ? length : 0);
  return value;
}

// A full path with backslashes and no trailing one, as the picker and the program's log
// write it; relative ones are taken from the current folder.
std::wstring FullPath(const std::wstring& path)
{
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size > 0 ? GetFullPathNameW(path.c_str(), size, &full[0], nullptr) : 0;
  full.resize(length < size ? length : 0);
  while (full.size() > 3 && full.back() == L'\\')
    full.pop_back();
  return full;
}

std::wstring KitPath(const wchar_t* variable, const wchar_t* name)
{
  const std::wstring named = Environment(variable);
  return FullPath(named.empty() ? OwnFolder() + L"\\" + name : named);
}

// The folder's path with the letter case, long names and drive of the file system, in the
// form "C:\...": the picker gives back these, not the ones a command line was typed with.
std::wstring SpelledAsOnDisk(const std::wstring& folder)
{
  const HANDLE opened = CreateFileW(folder.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return folder;
  const ScopedHandle handle(opened);
  const DWORD size = GetFinalPathNameByHandleW(handle.get(), nullptr, 0, VOLUME_NAME_DOS);
  std::wstring path(size, L'\0');
  const DWORD length =
      size > 0 ? GetFinalPathNameByHandleW(handle.get(), &path[0], size, VOLUME_NAME_DOS) : 0;
  if (length == 0 || length >= size)
    return folder;
  path.resize(length);
  const std::wstring localPrefix = L"\\\\?\\";
  const bool onADrive = path.compare(0, localPrefix.size(), localPrefix) == 0 &&
                        path.compare(localPrefix.size(), 4, L"UNC\\") != 0;
  return onADrive ? path.substr(localPrefix.size()) : folder;
}

}  // namespace

std::wstring ProgramPath()
{
  return KitPath(L"QUILLMERE_PROGRAM", L"quillmere.exe");
}

std::wstring CorpusFolder()
{
  return OwnFolder() + L"\\corpus";
}

std::wstring HostileImagesFolder()
{
  return OwnFolder() + L"\\hostile-images";
}

std::wstring HelperProgramPath(const wchar_t* name)
{
  return OwnFolder() + L"\\" + name;
}

std::wstring WorkFolder()
{
  const std::wstring folder = KitPath(L"QUILLMERE_WORK", L"work");
  // Usually there already; if it cannot be made, the first scratch folder in it says where.
  CreateDirectoryW(folder.c_str(), nullptr);
  return SpelledAsOnDisk(folder);
}

std::wstring OwnFileName()
{
  const std::wstring path = OwnPath();
  return path.substr(path.find_last_of(L'\\') + 1);
}

std::wstring ResultsFilePath()
{
  const std::wstring name = OwnFileName();
  return WorkFolder() + L"\\" + name.substr(0, name.find_last_of(L'.')) + L"-results.txt";
}
