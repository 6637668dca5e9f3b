#pragma once
#include <windows.h>

#include <map>
#include <set>

// The CPU time of the threads that a process starts after this object is made, such as a
// batch run's worker. A thread's time can be read only while it lives, so Sample() must be
// called often during the run: each thread counts with its last reading.
class RunThreadsCpu {
 public:
  explicit RunThreadsCpu(DWORD processId);
  void Sample();
  double TotalMs() const;

 private:
  DWORD processId_;
  std::set<DWORD> before_;
  std::map<DWORD, double> lastReading_;
};
