#pragma once
#include <map>
#include <string>

// Copies the files (not the subfolders) of source into target, each name prefixed with
// prefix, and returns each new name with its bytes.
std::map<std::wstring, std::string> CopyFiles(const std::wstring& source, const std::wstring& target,
                                              const std::wstring& prefix);
