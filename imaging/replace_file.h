#pragma once
#include <windows.h>

#include <string>

// How long a file that another program holds is waited for before its move or deletion
// is given up. On Windows, virus scanners, the search indexer and sync clients open files
// that have just been written, and let go of them moments later.
constexpr DWORD kHeldFileRetryMs = 1000;

// Moves source over target, replacing any earlier target. A move refused while another
// program holds either file (a sharing violation, or access denied) is tried again with
// growing waits until kHeldFileRetryMs have passed. Any other failure fails at once, and
// so does a read-only or folder target, which no wait would free.
bool MoveOverWithRetry(const std::wstring& source, const std::wstring& target);

// Deletes path, trying again in the same way while another program holds it.
void DeleteWithRetry(const std::wstring& path);
