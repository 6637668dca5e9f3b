#pragma once
#include <string>

// Folds only ASCII A-Z, as Windows treats an extension's letter case: a name's other
// characters never change its meaning, whatever runtime or locale the program meets.
inline std::wstring AsciiLowerCase(std::wstring text)
{
  for (wchar_t& unit : text) {
    if (unit >= L'A' && unit <= L'Z')
      unit = static_cast<wchar_t>(unit - L'A' + L'a');
  }
  return text;
}
