#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "e2e_fixture.h"
#include "support/planted_library.h"
#include "support/temp_folder.h"

namespace {

// The DLLs that a program like this one would load by name, not being among Windows'
// known DLLs, and so would look for first in its own folder.
const wchar_t* const kPlantedNames[] = {L"comctl32", L"gdiplus"};

bool UnderWine()
{
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// Wine loads its own DLL for a name it implements, wherever a file of that name lies, so a
// planted DLL would never load under it, whatever the program does. Its per-program
// DllOverrides key makes it search for the planted names as Windows does, the program's
// own folder first. Only under Wine; whatever keys and values this made go with it.
class WindowsSearchUnderWine {
 public:
  WindowsSearchUnderWine() = default;
  ~WindowsSearchUnderWine();
  WindowsSearchUnderWine(const WindowsSearchUnderWine&) = delete;
  WindowsSearchUnderWine& operator=(const WindowsSearchUnderWine&) = delete;

  void Apply(const std::wstring& programFileName);

 private:
  // Opens path under HKEY_CURRENT_USER, making it if it is missing; null on failure.
  ScopedKey OpenOrMake(const std::wstring& path);

  std::wstring overridesKey_;
  std::vector<std::wstring> madeKeys_;  // outermost first
};

ScopedKey WindowsSearchUnderWine::OpenOrMake(const std::wstring& path)
{
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  if (disposition == REG_CREATED_NEW_KEY)
    madeKeys_.push_back(path);
  return ScopedKey(key);
}

void WindowsSearchUnderWine::Apply(const std::wstring& programFileName)
{
  const std::wstring programKey = L"Software\\Wine\\AppDefaults\\" + programFileName;
  ASSERT_TRUE(OpenOrMake(programKey)) << Utf8(programKey);
  overridesKey_ = programKey + L"\\DllOverrides";
  const ScopedKey overrides = OpenOrMake(overridesKey_);
  ASSERT_TRUE(overrides) << Utf8(overridesKey_);
  const wchar_t order[] = L"native,builtin";
  const auto bytes = reinterpret_cast<const BYTE*>(order);
  for (const wchar_t* name : kPlantedNames) {
    ASSERT_EQ(RegSetValueExW(overrides.get(), name, 0, REG_SZ, bytes, sizeof(order)),
              ERROR_SUCCESS)
        << Utf8(name);
  }
}

WindowsSearchUnderWine::~WindowsSearchUnderWine()
{
  if (overridesKey_.empty())
    return;
  for (const wchar_t* name : kPlantedNames)
    RegDeleteKeyValueW(HKEY_CURRENT_USER, overridesKey_.c_str(), name);
  for (auto key = madeKeys_.rbegin(); key != madeKeys_.rend(); ++key)
    RegDeleteKeyW(HKEY_CURRENT_USER, key->c_str());
}

class PlantedLibraryTest : public QuillmereTest {
 protected:
  // Each test starts its own copy of the program.
  void SetUp() override {}
};

}  // namespace

// A browser may have saved a file named like a system DLL into Downloads, where this
// program is most often unpacked and started: beside the program, it must not run.
TEST_F(PlantedLibraryTest, ADllBesideTheProgramIsNeverLoaded)
{
  TempFolder programFolder;
  const std::wstring program = programFolder.PathOf(L"quillmere.exe");
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), TRUE))
      << "error " << GetLastError();
  std::set<std::wstring> planted = {L"quillmere.exe"};
  for (const wchar_t* name : kPlantedNames) {
    const std::wstring fileName = std::wstring(name) + L".dll";
    ASSERT_TRUE(CopyFileW(HelperProgramPath(kPlantedLibraryFileName).c_str(),
                          programFolder.PathOf(fileName).c_str(), TRUE))
        << Utf8(fileName) << ": error " << GetLastError();
    planted.insert(fileName);
  }
  WindowsSearchUnderWine search;
  if (UnderWine()) {
    ASSERT_NO_FATAL_FAILURE(search.Apply(L"quillmere.exe"));
  }

  TempFolder images;
  WriteNumberedImages(images.Path(), 3);
  ASSERT_NO_THROW(Restart(program))
      << "exit code " << kPlantedLibraryExitCode << " is the planted DLL's";
  ChooseFolder(images.Path());
  const Lines run = RunLog(0, 100, InListingOrder(images.Path(), NumberedNames(3)));
  RunBatch(run.back());
  EXPECT_EQ(Log(), AfterGreeting({{SelectedLine(images.Path())}, run}));

  ASSERT_TRUE(App().Close(kExitTimeoutMs)) << "the program did not exit on WM_CLOSE";
  EXPECT_EQ(App().Process().ExitCode(), 0u);
  const std::vector<std::wstring> names = FileNamesIn(programFolder.Path());
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()), planted)
      << "beside the program, only the planted DLLs, none of them with a marker";
}
