#pragma once
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

// Asks a window, from a thread of its own, every intervalMs, how long it takes to answer
// a WM_NULL sent with SendMessageTimeoutW, until Stop().
class ResponseProbe {
 public:
  ResponseProbe(HWND window, HWND progressBar, DWORD intervalMs);
  ~ResponseProbe();
  ResponseProbe(const ResponseProbe&) = delete;
  ResponseProbe& operator=(const ResponseProbe&) = delete;

  void Stop();

  struct Summary {
    size_t samples = 0;
    size_t timeouts = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    int positionAtMax = 0;  // the progress bar's position right after the slowest answer
    size_t over50Ms = 0;
  };
  Summary Summarize() const;

 private:
  void Poll();

  HWND window_;
  HWND progressBar_;
  DWORD intervalMs_;
  std::atomic<bool> stop_{false};
  std::vector<double> delaysMs_;
  std::vector<int> positions_;
  size_t timeouts_ = 0;
  std::thread thread_;
};
