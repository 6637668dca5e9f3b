#include "support/shared_files.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

std::map<std::wstring, std::string> CopyFiles(const std::wstring& source, const std::wstring& target,
                                              const std::wstring& prefix)
{
  std::map<std::wstring, std::string> copied;
  const std::vector<std::wstring> names = FileNamesIn(source);
  EXPECT_FALSE(names.empty()) << Utf8(source);
  for (const std::wstring& name : names) {
    const std::wstring copyName = prefix + name;
    copied[copyName] = ReadBytes(source + L"\\" + name);
    WriteBytes(target + L"\\" + copyName, copied[copyName]);
  }
  return copied;
}
