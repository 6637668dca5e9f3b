#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "quillmere_session.h"
#include "support/kit_paths.h"
#include "support/run_log.h"

// A run of a few hundred small files takes seconds; this leaves room for a slow machine.
constexpr DWORD kRunTimeoutMs = 60000;
// Closing the window must end the process within this, even during a run.
constexpr DWORD kExitTimeoutMs = 5000;

Lines Greeting();
// The greeting, then the given lines.
Lines AfterGreeting(std::initializer_list<Lines> parts);
std::string SelectedLine(const std::wstring& folder);

struct ImageFile {
  std::wstring name;
  int width;
  int height;
  const wchar_t* mimeType;
};
void WriteImages(const std::wstring& folder, const std::vector<ImageFile>& images);
// img001.png, img002.png, ... up to count.
std::vector<std::wstring> NumberedNames(int count);
// Copies of one small PNG under NumberedNames(count).
void WriteNumberedImages(const std::wstring& folder, int count);
// Of names, those in folder, in the order the file system lists the folder.
std::vector<std::wstring> InListingOrder(const std::wstring& folder,
                                         const std::vector<std::wstring>& names);

// Each test drives a freshly started quillmere.exe (ProgramPath), closed again at its end.
class QuillmereTest : public testing::Test {
 protected:
  void SetUp() override { Restart(); }
  void TearDown() override;

  driver::QuillmereSession& App() { return *app_; }
  // Starts program afresh, ending the previous one if it still runs.
  void Restart(const std::wstring& program = ProgramPath());
  Lines Log() const;
  // Chooses folder through the picker and waits until the program has logged it.
  void ChooseFolder(const std::wstring& folder);
  // Clicks Start and waits for the run to end, checking that Start comes back only after
  // the run has logged lastLine. Returns whether Start read disabled right after the click.
  bool RunBatch(const std::string& lastLine);

 private:
  std::unique_ptr<driver::QuillmereSession> app_;
};

// quillmere_e2e.exe itself stands in for a quillmere.exe that misbehaves, for the driver's
// own tests, when one of these entries is in its environment (and only in the started
// program's: the driver is the same program).
constexpr wchar_t kStandInVariable[] = L"QUILLMERE_E2E_STAND_IN";
constexpr wchar_t kCrashAtStart[] = L"QUILLMERE_E2E_STAND_IN=crash-at-start";
constexpr wchar_t kHungWindow[] = L"QUILLMERE_E2E_STAND_IN=hung-window";
