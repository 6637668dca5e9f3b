#pragma once
#include <set>
#include <string>
#include <vector>

#include "support/utf8.h"

// A fresh folder in the work folder (WorkFolder), removed with all it holds when the object
// goes out of scope.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring PathOf(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::wstring OutputOf(const std::wstring& name) const { return path_ + L"\\datas\\" + name; }
  // The names of the files in datas, to compare with the outputs a test expects: a
  // temporary file left behind there is one name too many.
  std::set<std::wstring> OutputNames() const;

 private:
  std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// The names of the files (not subfolders) directly in folder, in listing order.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);
bool FileExists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
void MakeFolder(const std::wstring& path);
