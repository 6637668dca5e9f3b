#include "support/kit_test_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "support/kit_paths.h"
#include "support/utf8.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kLimitVariable[] = L"QUILLMERE_TEST_LIMIT_S";
constexpr unsigned long kDefaultLimitS = 400;
constexpr int kPastTheLimitExitCode = 3;
constexpr DWORD kLimitCheckMs = 200;

std::atomic<int> g_outsideTheLimit{0};
std::atomic<long long> g_notCountedMs{0};

// The test being run, for the line that says where the limit stopped the run. GoogleTest's
// own current_test_info() is written without a lock as each test starts and ends, so the
// limit's thread reads this one; a TestInfo lives as long as the process's tests do.
std::atomic<const testing::TestInfo*> g_currentTest{nullptr};

std::string FullName(const testing::TestInfo& test)
{
  return std::string(test.test_suite_name()) + "." + test.name();
}

// The results file, written through wide-character calls, so that it opens under any
// folder name on any Windows language, and line by line, unbuffered.
class ResultsFile {
 public:
  explicit ResultsFile(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr))
  {
    if (file_ == INVALID_HANDLE_VALUE)
      std::fprintf(stderr, "cannot write the results file %s: error %lu\n", Utf8(path).c_str(),
                   GetLastError());
    else
      Write("\xEF\xBB\xBF");  // Notepad then reads it as UTF-8 on any Windows
  }

  void WriteLine(const std::string& line)
  {
    std::string text;
    for (const char unit : line) {
      if (unit == '\n')
        text += '\r';
      text += unit;
    }
    Write(text + "\r\n");
  }

 private:
  void Write(const std::string& bytes)
  {
    DWORD written = 0;
    if (file_ != INVALID_HANDLE_VALUE)
      WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  // Left open to the end of the process: the line about the limit may come from another
  // thread at any moment before it.
  HANDLE file_;
};

class ResultsRecorder : public testing::EmptyTestEventListener {
 public:
  explicit ResultsRecorder(ResultsFile& results) : results_(results) {}

  void OnTestStart(const testing::TestInfo& test) override { g_currentTest = &test; }

  void OnTestPartResult(const testing::TestPartResult& part) override
  {
    if (!part.failed())
      return;
    const std::string where = part.file_name() ? std::string(part.file_name()) + ":" +
                                                     std::to_string(part.line_number()) + ": "
                                               : std::string();
    results_.WriteLine("  " + where + part.message());
  }

  void OnTestEnd(const testing::TestInfo& test) override
  {
    const testing::TestResult& result = *test.result();
    const char* verdict = result.Skipped() ? "SKIPPED" : result.Failed() ? "FAILED " : "PASSED ";
    results_.WriteLine(std::string(verdict) + " " + FullName(test) + " (" +
                       std::to_string(result.elapsed_time()) + " ms)");
    g_currentTest = nullptr;
  }

  void OnTestProgramEnd(const testing::UnitTest& run) override
  {
    results_.WriteLine("done: " + std::to_string(run.successful_test_count()) + " passed, " +
                       std::to_string(run.failed_test_count()) + " failed, in " +
                       std::to_string(run.elapsed_time() / 1000) + " s");
  }

 private:
  ResultsFile& results_;
};

unsigned long LimitSeconds()
{
  wchar_t text[32] = {};
  const DWORD length = GetEnvironmentVariableW(kLimitVariable, text, 32);
  if (length == 0 || length >= 32)
    return kDefaultLimitS;
  wchar_t* end = nullptr;
  const unsigned long seconds = std::wcstoul(text, &end, 10);
  if (seconds == 0 || *end != L'\0') {
    std::fprintf(stderr, "%s is not a number of seconds: the limit stays at %lu s\n",
                 Utf8(kLimitVariable).c_str(), kDefaultLimitS);
    return kDefaultLimitS;
  }
  return seconds;
}

// Puts this process, and so every program it starts, in a job that ends them all when
// the process ends, however it ends. The job's handle is never closed: closing it would
// end this process too.
void EndStartedProgramsWithThisOne()
{
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!job ||
      !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) ||
      !AssignProcessToJobObject(job, GetCurrentProcess()))
    std::fprintf(stderr,
                 "cannot put the tests in a job (error %lu): a run stopped at its limit may "
                 "leave a program it started running\n",
                 GetLastError());
}

// Stops the whole run once it has taken longer than limitS seconds, not counting the time
// spent outside the limit, and says which test was running.
void WatchTheLimit(unsigned long limitS, ResultsFile& results)
{
  const Clock::time_point started = Clock::now();
  std::thread([=, &results] {
    for (;;) {
      Sleep(kLimitCheckMs);
      const long long countedMs =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count() -
          g_notCountedMs.load();
      if (g_outsideTheLimit.load() > 0 || countedMs < static_cast<long long>(limitS) * 1000)
        continue;
      const testing::TestInfo* const test = g_currentTest.load();
      const std::string line = Utf8(OwnFileName()) + ": stopped after its limit of " +
                               std::to_string(limitS) + " s, during " +
                               (test ? FullName(*test) : "(between tests)") + "; " +
                               Utf8(kLimitVariable) + " sets the limit in seconds";
      std::fflush(stdout);
      std::fprintf(stderr, "\n%s\n", line.c_str());
      std::fflush(stderr);
      results.WriteLine(line);
      // Ends every program the tests started too, through the job.
      TerminateProcess(GetCurrentProcess(), kPastTheLimitExitCode);
    }
  }).detach();
}

}  // namespace

OutsideTheTestLimit::OutsideTheTestLimit() : started_(Clock::now())
{
  ++g_outsideTheLimit;
}

OutsideTheTestLimit::~OutsideTheTestLimit()
{
  g_notCountedMs +=
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
  --g_outsideTheLimit;
}

int RunKitTests()
{
  // GoogleTest's messages and the tests' own lines are UTF-8.
  const UINT consoleCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  EndStartedProgramsWithThisOne();

  static ResultsFile results(ResultsFilePath());
  testing::UnitTest::GetInstance()->listeners().Append(new ResultsRecorder(results));
  WatchTheLimit(LimitSeconds(), results);

  const int result = RUN_ALL_TESTS();
  if (consoleCodePage != 0)
    SetConsoleOutputCP(consoleCodePage);
  return result;
}
