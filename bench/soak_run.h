#pragma once
#include <string>

// One program process through runs consecutive runs over folder: memory and object counts
// before the first run, after its first 10 files and after every run, while a second
// thread polls the window with WM_NULL throughout each run. Prints one line per sample and
// per run. Throws driver::DriverError.
void RunSoak(const std::wstring& exePath, const std::wstring& folder, const std::wstring& height,
             int runs);
