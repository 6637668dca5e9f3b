#include "support/shared_files.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

std::vector<std::wstring> CopyFiles(const std::wstring& source, const std::wstring& target,
                                    const std::wstring& prefix)
{
  std::vector<std::wstring> copied;
  const std::vector<std::wstring> names = FileNamesIn(source);
  EXPECT_FALSE(names.empty()) << Utf8(source);
  for (const std::wstring& name : names) {
    copied.push_back(prefix + name);
    WriteBytes(target + L"\\" + copied.back(), ReadBytes(source + L"\\" + name));
  }
  return copied;
}
