#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e_fixture.h"
#include "support/kit_paths.h"

// The driver gives up on a program that crashed or stopped answering at once, and says
// which, so that the kit reaches its verdict on any PC.
namespace {

using Clock = std::chrono::steady_clock;

// Drives a stand-in for quillmere.exe through step; returns how the driver failed, or
// nothing if it did not.
template <typename Step>
std::string DriverFailure(Step step)
{
  try {
    step();
  } catch (const driver::DriverError& error) {
    return error.what();
  }
  return std::string();
}

long long MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::wstring StandIn()
{
  return HelperProgramPath(L"quillmere_e2e.exe");
}

TEST(DriverTest, AProgramThatCrashesAtStartFailsAtOnceWithItsExitCode)
{
  const Clock::time_point start = Clock::now();
  const std::string failure =
      DriverFailure([] { driver::QuillmereSession app(StandIn(), kCrashAtStart); });
  EXPECT_NE(failure.find("ended, exit code 0xC0000005"), std::string::npos) << failure;
  EXPECT_LT(MillisecondsSince(start), static_cast<long long>(driver::kUiTimeoutMs / 2));
}

TEST(DriverTest, AWindowThatStopsAnsweringFailsTheStepItWasIn)
{
  driver::QuillmereSession app(StandIn(), kHungWindow);
  const Clock::time_point start = Clock::now();
  const std::string failure = DriverFailure([&app] { app.Sync(); });
  EXPECT_NE(failure.find("no answer from the window"), std::string::npos) << failure;
  EXPECT_NE(failure.find("while waiting for the program's window to answer"), std::string::npos);
  EXPECT_LE(MillisecondsSince(start), static_cast<long long>(driver::kAnswerTimeoutMs) + 2000);
}

}  // namespace
