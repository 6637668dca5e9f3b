#pragma once
#include <string>

// Starts a real run over folder, times it from the Start click to its first line after
// discovery, reads back the progress bar's range once the run has set it, and closes the
// program without waiting for the files. Prints one line. Throws driver::DriverError.
void ProbeProgressRange(const std::wstring& exePath, const std::wstring& folder);
