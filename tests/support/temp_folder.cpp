#include "support/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/scoped_handle.h"
#include "support/kit_paths.h"

namespace {

void RemoveTree(const std::wstring& folder)
{
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (first != INVALID_HANDLE_VALUE) {
    const ScopedFindHandle find(first);
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &entry));
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder()
{
  static int serial = 0;
  path_ = WorkFolder() + L"\\quillmere-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++serial);
  RemoveTree(path_);
  EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << Utf8(path_);
}

TempFolder::~TempFolder()
{
  RemoveTree(path_);
}

std::set<std::wstring> TempFolder::OutputNames() const
{
  const std::vector<std::wstring> names = FileNamesIn(path_ + L"\\datas");
  return std::set<std::wstring>(names.begin(), names.end());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
  const HANDLE opened = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(opened, INVALID_HANDLE_VALUE) << Utf8(path);
  const ScopedHandle file(opened);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) &&
              written == bytes.size())
      << Utf8(path);
}

std::string ReadBytes(const std::wstring& path)
{
  const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return std::string();
  const ScopedHandle file(opened);
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  return bytes;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder)
{
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (first == INVALID_HANDLE_VALUE)
    return names;
  const ScopedFindHandle find(first);
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(entry.cFileName);
  } while (FindNextFileW(find.get(), &entry));
  return names;
}

bool FileExists(const std::wstring& path)
{
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::wstring& path)
{
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolder(const std::wstring& path)
{
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Utf8(path);
}
