#include "response_probe.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace {

// Far beyond any answer worth waiting for; a sample this slow counts as a timeout.
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr double kTargetMs = 50.0;

}  // namespace

ResponseProbe::ResponseProbe(HWND window, HWND progressBar, DWORD intervalMs)
    : window_(window), progressBar_(progressBar), intervalMs_(intervalMs)
{
  thread_ = std::thread([this] { Poll(); });
}

ResponseProbe::~ResponseProbe()
{
  Stop();
}

void ResponseProbe::Stop()
{
  stop_ = true;
  if (thread_.joinable())
    thread_.join();
}

void ResponseProbe::Poll()
{
  while (!stop_) {
    DWORD_PTR result = 0;
    const auto sent = std::chrono::steady_clock::now();
    const LRESULT answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL,
                                                 kAnswerTimeoutMs, &result);
    const std::chrono::duration<double, std::milli> delay =
        std::chrono::steady_clock::now() - sent;
    if (!answered)
      ++timeouts_;
    delaysMs_.push_back(delay.count());
    // Read only after the timed answer, so that it does not load the window being timed.
    positions_.push_back(static_cast<int>(SendMessageW(progressBar_, PBM_GETPOS, 0, 0)));
    Sleep(intervalMs_);
  }
}

ResponseProbe::Summary ResponseProbe::Summarize() const
{
  Summary summary;
  summary.samples = delaysMs_.size();
  summary.timeouts = timeouts_;
  if (delaysMs_.empty())
    return summary;
  const auto slowest = std::max_element(delaysMs_.begin(), delaysMs_.end());
  summary.maxMs = *slowest;
  summary.positionAtMax = positions_[static_cast<size_t>(slowest - delaysMs_.begin())];
  summary.over50Ms = static_cast<size_t>(std::count_if(
      delaysMs_.begin(), delaysMs_.end(), [](double delay) { return delay > kTargetMs; }));
  std::vector<double> sorted = delaysMs_;
  std::sort(sorted.begin(), sorted.end());
  summary.medianMs = sorted[sorted.size() / 2];
  summary.p99Ms = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
  return summary;
}
