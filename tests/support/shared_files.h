#pragma once
#include <map>
#include <string>

// A folder that CTest names in an environment variable, as a Windows path; empty if the
// variable is not set.
std::wstring FolderFromEnvironment(const wchar_t* variable);

// Copies the files (not the subfolders) of source into target, each name prefixed with
// prefix, and returns each new name with its bytes.
std::map<std::wstring, std::string> CopyFiles(const std::wstring& source, const std::wstring& target,
                                              const std::wstring& prefix);
