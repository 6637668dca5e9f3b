#pragma once
#include <string>
#include <vector>

// A folder that CTest names in an environment variable, as a Windows path; empty if the
// variable is not set.
std::wstring FolderFromEnvironment(const wchar_t* variable);

// Copies the files (not the subfolders) of source into target, each name prefixed with
// prefix, and returns the new names.
std::vector<std::wstring> CopyFiles(const std::wstring& source, const std::wstring& target,
                                    const std::wstring& prefix);
