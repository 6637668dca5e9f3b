#include "support/shared_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

std::wstring FolderFromEnvironment(const wchar_t* variable)
{
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(variable, folder, MAX_PATH);
  std::wstring path = length > 0 && length < MAX_PATH ? folder : L"";
  for (wchar_t& unit : path) {
    if (unit == L'/')
      unit = L'\\';
  }
  return path;
}

std::map<std::wstring, std::string> CopyFiles(const std::wstring& source, const std::wstring& target,
                                              const std::wstring& prefix)
{
  std::map<std::wstring, std::string> copied;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &entry);
  EXPECT_NE(find, INVALID_HANDLE_VALUE) << Utf8(source);
  if (find == INVALID_HANDLE_VALUE)
    return copied;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    const std::wstring name = prefix + entry.cFileName;
    copied[name] = ReadBytes(source + L"\\" + entry.cFileName);
    WriteBytes(target + L"\\" + name, copied[name]);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return copied;
}
