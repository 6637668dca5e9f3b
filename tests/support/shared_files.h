#pragma once
#include <string>
#include <vector>

// Copies the files (not the subfolders) of source into target, each name prefixed with
// prefix, and returns the new names.
std::vector<std::wstring> CopyFiles(const std::wstring& source, const std::wstring& target,
                                    const std::wstring& prefix);
