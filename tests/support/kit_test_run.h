#pragma once
#include <chrono>

// How a test program of the kit runs its tests, on a PC where nobody may be watching: it
// writes UTF-8 to the console, keeps a results file in the work folder (a line as each
// test ends, so that a closed window, a crash or the limit loses nothing before it), and
// stops itself, and every program it started, once its run passes its time limit
// (QUILLMERE_TEST_LIMIT_S seconds, 400 by default).
// Call after SetErrorMode and testing::InitGoogleTest; returns RUN_ALL_TESTS's result.
int RunKitTests();

// Time spent while one of these lives does not count against the limit: for work that a
// first run does once and later runs skip, such as making the folder of 70,000 files.
class OutsideTheTestLimit {
 public:
  OutsideTheTestLimit();
  ~OutsideTheTestLimit();
  OutsideTheTestLimit(const OutsideTheTestLimit&) = delete;
  OutsideTheTestLimit& operator=(const OutsideTheTestLimit&) = delete;

 private:
  std::chrono::steady_clock::time_point started_;
};
