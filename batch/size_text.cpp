#include "batch/size_text.h"

#include <cwchar>

// long is 32 bits on Windows, so wcstol's own clamping gives the int limits.
int SizeFromText(const wchar_t* text)
{
  return static_cast<int>(std::wcstol(text, nullptr, 10));
}
