#pragma once
#include <string>
#include <vector>

// The full paths of the files directly inside folder whose names contain an image
// extension, in the order the file system lists them. Subfolders are skipped. A folder
// that cannot be listed gives an empty list.
std::vector<std::wstring> ListImageFiles(const std::wstring& folder);
