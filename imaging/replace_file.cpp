#include "imaging/replace_file.h"

namespace {

constexpr DWORD kFirstWaitMs = 10;

bool HeldByAnotherProgram(DWORD error)
{
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Calls attempt until it succeeds, fails for another reason than a hold, or
// kHeldFileRetryMs have passed since the first call. The waits double from kFirstWaitMs
// (10, 20, 40 ... ms), the last cut short at the bound: early tries catch a short hold,
// and a long one costs few tries.
template <typename Attempt>
bool RetryWhileHeld(Attempt attempt)
{
  const ULONGLONG start = GetTickCount64();
  for (DWORD waitMs = kFirstWaitMs;; waitMs *= 2) {
    if (attempt())
      return true;
    if (!HeldByAnotherProgram(GetLastError()))
      return false;
    const ULONGLONG waitedMs = GetTickCount64() - start;
    if (waitedMs >= kHeldFileRetryMs)
      return false;
    const ULONGLONG leftMs = kHeldFileRetryMs - waitedMs;
    Sleep(static_cast<DWORD>(leftMs < waitMs ? leftMs : waitMs));
  }
}

}  // namespace

bool MoveOverWithRetry(const std::wstring& source, const std::wstring& target)
{
  // A read-only earlier output is left as it is: Windows' move refuses it with access
  // denied, which no wait changes, and Wine's would replace it. A folder in the output's
  // place is refused the same way.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  return RetryWhileHeld(
      [&] { return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING); });
}

void DeleteWithRetry(const std::wstring& path)
{
  RetryWhileHeld([&] { return DeleteFileW(path.c_str()); });
}
