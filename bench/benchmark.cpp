#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/activity_log.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/run_report.h"
#include "app/run_report_handler.h"
#include "batch/image_discovery.h"
#include "common/scoped_handle.h"
#include "common/session_guards.h"
#include "imaging/encoder_lookup.h"
#include "imaging/redraw.h"
#include "imaging/target_size.h"
#include "process_counts.h"
#include "quillmere_session.h"

// Measures quillmere.exe, driven through its window, folder picker and Start button, and
// the program's own code in this process; prints "record key=value..." lines. Linux paths
// are taken as drive Z:; a size of "-" leaves its box empty.
//   paired EXE FOLDER FLOOR WIDTH HEIGHT PAIRS  pairs of a timed run and a run of the bare
//       loop over the same files into FLOOR, the order alternating, after one untimed pair
//       that warms the caches and creates the outputs
//   soak EXE FOLDER HEIGHT RUNS  RUNS runs in one program process: its memory and object
//       counts before the first run and after every run, and the window's answer to
//       WM_NULL timed at every poll
//   batch EXE FOLDER WIDTH HEIGHT  one run, untimed
//   first-line EXE FOLDER  Start click to the first line, and the count line
//   discovery FOLDER REPEATS  ListImageFiles, the first time and the median of the repeats
//   drawing FOLDER FLOOR WIDTH HEIGHT ROUNDS  the bare loop on a second thread beside the
//       program's main window shown in this process, in rounds of three legs, their order
//       turning: the window idle; fed one report per file, as a run feeds it; fed while
//       hidden, so that nothing is drawn
//   window SAMPLES  a file's report and the pause after it, on the program's main window
//       shown in this process, from a second thread 50 ms apart as a run makes them (back
//       to back, each would wait for the last one's drawing)
namespace {

using Clock = std::chrono::steady_clock;
// Each poll is work for the wineserver, which the program under measurement shares:
// polling every 2 ms cost the run 1-2 % of its time.
constexpr DWORD kPollIntervalMs = 10;
// Finding the run's threads lists every thread of the system: not at every poll.
constexpr int kPollsPerThreadListing = 10;
constexpr double kRunTimeoutMs = 30 * 60 * 1000;
constexpr DWORD kListingTimeoutMs = 10 * 60 * 1000;
// Far beyond any answer worth waiting for; a sample this slow counts as a timeout.
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr DWORD kOperationGapMs = 50;
const std::wstring kSummaryPrefix = L"处理完成! 成功: ";

double MillisecondsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The user and kernel CPU time, in ms, that a thread has used so far, or -1 when it cannot
// be had. Wine answers it for another process's thread from Linux's per-thread accounting,
// in 10 ms ticks, and only while the thread lives.
double ThreadCpuMs(HANDLE thread)
{
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
    return -1;
  const auto ms = [](const FILETIME& time) {
    return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 |
                               time.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

bool ResizeOne(const std::wstring& input, const std::wstring& output, int width, int height,
               const CLSID& encoder)
{
  Gdiplus::Bitmap source(input.c_str(), FALSE);
  if (source.GetLastStatus() != Gdiplus::Ok)
    return false;
  SIZE target;
  if (!TargetSize(source.GetWidth(), source.GetHeight(), width, height, &target))
    return false;
  const std::unique_ptr<Gdiplus::Bitmap> canvas = Redraw(source, target);
  return canvas && canvas->Save(output.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

// A run of the program or of the bare loop.
struct Run {
  int files = 0;
  int succeeded = 0;
  double milliseconds = 0;   // the program's: from the Start click until Start is enabled again
  double cpuMs = -1;         // of the program's worker, or of the loop's thread; -1: unread
  double uiThreadCpuMs = -1;  // of the program's window thread
};

// The floor of the program's design: every image file of inputFolder decoded, drawn at
// high-quality bicubic onto a 32-bit ARGB canvas and saved into outputFolder, and nothing
// else: the encoders looked up once, no header check, log, progress or pause. Needs GDI+.
// The times are of the loop alone, without listing the folder. afterFile, if given, is
// called after each file with its index and name.
Run RunBareLoop(const std::wstring& inputFolder, const std::wstring& outputFolder, int width,
                int height,
                const std::function<void(int, const std::wstring&)>& afterFile = nullptr)
{
  CreateDirectoryW(outputFolder.c_str(), nullptr);
  const std::vector<std::wstring> paths = ListImageFiles(inputFolder);
  std::map<std::wstring, CLSID> encoders;
  for (const std::wstring& path : paths) {
    if (CLSID encoder; FindEncoderForMimeType(EncoderMimeTypeForPath(path), &encoder) >= 0)
      encoders[EncoderMimeTypeForPath(path)] = encoder;
  }

  Run result{static_cast<int>(paths.size())};
  const double cpuBefore = ThreadCpuMs(GetCurrentThread());
  const auto started = Clock::now();
  for (int index = 0; index < result.files; ++index) {
    const std::wstring& path = paths[index];
    const std::wstring name = path.substr(path.rfind(L'\\') + 1);
    const auto encoder = encoders.find(EncoderMimeTypeForPath(path));
    if (encoder != encoders.end() &&
        ResizeOne(path, outputFolder + L"\\" + name, width, height, encoder->second))
      ++result.succeeded;
    if (afterFile)
      afterFile(index, name);
  }
  result.milliseconds = MillisecondsSince(started);
  result.cpuMs = ThreadCpuMs(GetCurrentThread()) - cpuBefore;
  return result;
}

std::set<DWORD> ThreadsOf(DWORD processId)
{
  std::set<DWORD> threads;
  const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == processId)
      threads.insert(entry.th32ThreadID);
  }
  return threads;
}

// Read alone: the log may hold thousands of lines.
std::wstring LastLogLine(const driver::QuillmereSession& app)
{
  const HWND log = app.Control(driver::kLogListId);
  return driver::ListBoxLine(log, SendMessageW(log, LB_GETCOUNT, 0, 0) - 1).value_or(L"");
}

double UiThreadCpuMs(const driver::QuillmereSession& app)
{
  const ScopedHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                                       GetWindowThreadProcessId(app.Window(), nullptr)));
  return thread ? ThreadCpuMs(thread.get()) : -1;
}

void ChooseFolderAndSizes(driver::QuillmereSession& app, const std::wstring& folder,
                          const wchar_t* width, const wchar_t* height)
{
  app.ChooseFolder(folder);
  const std::wstring chosenLine = L"已选择目录: " + folder;
  if (!driver::WaitUntil([&] { return LastLogLine(app) == chosenLine; }, driver::kUiTimeoutMs))
    throw driver::DriverError("the program did not log the chosen folder " + Utf8(folder));
  const auto text = [](const wchar_t* size) { return std::wcscmp(size, L"-") == 0 ? L"" : size; };
  app.SetSizes(text(width), text(height));
}

// Clicks Start and waits, polling, for the run to end with its summary line, calling
// onPoll at every poll.
Run RunBatch(driver::QuillmereSession& app, const std::function<void()>& onPoll = nullptr)
{
  const double uiCpuBefore = UiThreadCpuMs(app);
  // The threads the run starts: its worker. Under Wine an ended thread reads as 0, so each
  // is read at every poll and counts with its highest reading; its handle is held, so that
  // its id is not reused meanwhile.
  std::set<DWORD> known = ThreadsOf(app.Process().Id());
  std::vector<std::pair<ScopedHandle, double>> runThreads;
  const auto started = Clock::now();
  app.Click(driver::kStartId);
  for (int poll = 0; !app.StartEnabled(); ++poll) {
    if (MillisecondsSince(started) > kRunTimeoutMs)
      throw driver::DriverError("the run did not end within half an hour");
    for (const DWORD id : poll % kPollsPerThreadListing ? std::set<DWORD>() : ThreadsOf(app.Process().Id())) {
      if (known.insert(id).second)
        runThreads.push_back({ScopedHandle(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id)), -1});
    }
    for (auto& thread : runThreads)
      thread.second = std::max(thread.second, ThreadCpuMs(thread.first.get()));
    if (onPoll)
      onPoll();
    Sleep(kPollIntervalMs);
  }
  Run result;
  result.milliseconds = MillisecondsSince(started);
  const double uiCpuAfter = UiThreadCpuMs(app);
  if (uiCpuBefore >= 0 && uiCpuAfter >= 0)
    result.uiThreadCpuMs = uiCpuAfter - uiCpuBefore;
  for (const auto& thread : runThreads)
    result.cpuMs = thread.second < 0 ? result.cpuMs : std::max(result.cpuMs, 0.0) + thread.second;

  const std::wstring lastLine = LastLogLine(app);
  if (lastLine.compare(0, kSummaryPrefix.size(), kSummaryPrefix) != 0)
    throw driver::DriverError("the run ended with " + Utf8(lastLine));
  wchar_t* slash = nullptr;
  result.succeeded = static_cast<int>(std::wcstol(lastLine.c_str() + kSummaryPrefix.size(), &slash, 10));
  result.files = *slash == L'/' ? static_cast<int>(std::wcstol(slash + 1, nullptr, 10)) : 0;
  return result;
}

void RunPairs(driver::QuillmereSession& app, const std::wstring& folder,
              const std::wstring& floorFolder, int width, int height, int pairs)
{
  const GdiplusSession gdiplus;
  const auto floor = [&] { return RunBareLoop(folder, floorFolder, width, height); };
  RunBatch(app);
  floor();
  for (int pair = 1; pair <= pairs; ++pair) {
    const bool batchFirst = pair % 2 == 1;
    Run bare = batchFirst ? Run() : floor();
    const Run batch = RunBatch(app);
    if (batchFirst)
      bare = floor();
    if (batch.succeeded != batch.files || bare.succeeded != bare.files || batch.files != bare.files)
      throw driver::DriverError("pair " + std::to_string(pair) + ": not every file was written");
    std::printf("pair index=%d first=%s files=%d batch_ms=%.1f floor_ms=%.1f worker_cpu_ms=%.1f "
                "ui_cpu_ms=%.1f floor_cpu_ms=%.1f\n",
                pair, batchFirst ? "batch" : "floor", batch.files, batch.milliseconds,
                bare.milliseconds, batch.cpuMs, batch.uiThreadCpuMs, bare.cpuMs);
    std::fflush(stdout);
  }
}

void RunSoak(driver::QuillmereSession& app, int runs)
{
  PrintSample("idle", 0, 0, app.Process().Id());
  long long filesDone = 0;
  for (int run = 1; run <= runs; ++run) {
    std::string answers;
    const int files = RunBatch(app, [&] {
      DWORD_PTR ignored = 0;
      const auto sent = Clock::now();
      const bool answered = SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_NORMAL,
                                                kAnswerTimeoutMs, &ignored) != 0;
      answers += (answers.empty() ? "" : ",") +
                 std::to_string(answered ? MillisecondsSince(sent) : kAnswerTimeoutMs + 1.0);
    }).files;
    filesDone += files;
    std::printf("answers run=%d files=%d ms=%s\n", run, files, answers.c_str());
    PrintSample("after_run_" + std::to_string(run), run, filesDone, app.Process().Id());
  }
}

// The run logs its start, size and count lines once it has listed the folder.
void TimeFirstLine(driver::QuillmereSession& app)
{
  const HWND log = app.Control(driver::kLogListId);
  const LRESULT startLine = SendMessageW(log, LB_GETCOUNT, 0, 0);
  const auto started = Clock::now();
  app.Click(driver::kStartId);
  if (!driver::WaitUntil([&] { return SendMessageW(log, LB_GETCOUNT, 0, 0) > startLine; },
                         kListingTimeoutMs))
    throw driver::DriverError("the run logged nothing");
  const double elapsed = MillisecondsSince(started);
  std::wstring countLine;
  if (!driver::WaitUntil([&] {
        countLine = driver::ListBoxLine(log, startLine + 2).value_or(L"");
        return !countLine.empty();
      }, driver::kUiTimeoutMs))
    throw driver::DriverError("the run logged no count line");
  std::printf("first_line ms=%.1f count_line=%s\n", elapsed, Utf8(countLine).c_str());
}

// Each call timed, gapMs after the one before; sorted.
std::vector<double> TimeCalls(int calls, DWORD gapMs, const std::function<void(int)>& call)
{
  std::vector<double> times;
  for (int index = 0; index < calls; ++index) {
    Sleep(gapMs);
    const auto start = Clock::now();
    call(index);
    times.push_back(MillisecondsSince(start));
  }
  std::sort(times.begin(), times.end());
  return times;
}

int TimeDiscovery(const std::wstring& folder, int repeats)
{
  size_t count = 0;
  const auto list = [&](int) { count = ListImageFiles(folder).size(); };
  const double firstMs = TimeCalls(1, 0, list)[0];
  const std::vector<double> times = TimeCalls(repeats, 0, list);
  std::printf("discovery files=%zu first_ms=%.1f median_ms=%.1f repeats=%d\n", count, firstMs,
              times[repeats / 2], repeats);
  return count > 0 ? 0 : 1;
}

// The program's main window, shown, in this process, as the program makes it. Null, with a
// message, when it cannot be made.
HWND ShowMainWindow()
{
  INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  g_mainWindow = CreateMainWindow(GetModuleHandleW(nullptr), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  if (!g_mainWindow)
    std::fprintf(stderr, "benchmark: the main window was not created\n");
  return g_mainWindow;
}

// Runs work on a second thread while this one handles the window's messages, as the
// program's window thread does during a run.
void RunBesideTheWindow(const std::function<void()>& work)
{
  const ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread worker([&] {
    work();
    SetEvent(done.get());
  });
  const HANDLE handles[] = {done.get()};
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
      break;
  }
  worker.join();
}

int TimeDrawing(const std::wstring& folder, const std::wstring& floorFolder, int width,
                int height, int rounds)
{
  const GdiplusSession gdiplus;
  if (!ShowMainWindow())
    return 1;
  const size_t files = ListImageFiles(folder).size();
  const char* const legs[] = {"idle", "fed", "undrawn"};
  const auto runLeg = [&](const std::string& leg) {
    ClearLog();
    RunReport start;
    start.progressRange = static_cast<int>(files);
    start.progressPosition = 1;
    ShowRunReport(start);
    ShowWindow(g_mainWindow, leg == "undrawn" ? SW_HIDE : SW_SHOW);
    UpdateWindow(g_mainWindow);
    const auto report = [&](int index, const std::wstring& name) {
      SendFileDone((L"✓ " + name).c_str(), index, static_cast<int>(files));
    };
    Run result;
    RunBesideTheWindow([&] {
      result = RunBareLoop(folder, floorFolder, width, height,
                           leg == "idle" ? std::function<void(int, const std::wstring&)>() : report);
    });
    return result;
  };
  runLeg("fed");  // warms the caches and creates the outputs
  for (int round = 1; round <= rounds; ++round) {
    std::map<std::string, Run> results;
    std::string order;
    for (int leg = 0; leg < 3; ++leg) {
      const char* name = legs[(leg + round) % 3];
      results[name] = runLeg(name);
      order += (order.empty() ? "" : ",") + std::string(name);
    }
    for (const auto& leg : results) {
      if (leg.second.succeeded != leg.second.files)
        return std::fprintf(stderr, "benchmark: not every file was written\n"), 1;
    }
    std::printf("drawing index=%d order=%s files=%d idle_ms=%.1f fed_ms=%.1f undrawn_ms=%.1f "
                "idle_cpu_ms=%.1f fed_cpu_ms=%.1f undrawn_cpu_ms=%.1f\n",
                round, order.c_str(), results["idle"].files, results["idle"].milliseconds,
                results["fed"].milliseconds, results["undrawn"].milliseconds, results["idle"].cpuMs,
                results["fed"].cpuMs, results["undrawn"].cpuMs);
    std::fflush(stdout);
  }
  DestroyWindow(g_mainWindow);
  return 0;
}

int TimeWindowOperations(int samples)
{
  if (!ShowMainWindow())
    return 1;
  RunReport start;
  start.progressRange = samples;
  ShowRunReport(start);
  RunBesideTheWindow([samples] {
    const std::pair<const char*, std::function<void(int)>> operations[] = {
        {"FileReport",
         [samples](int index) {
           SendFileDone((L"✓ photo_" + std::to_wstring(index) + L".jpg").c_str(), index, samples);
         }},
        {"Sleep10", [](int) { Sleep(10); }},
    };
    for (const auto& operation : operations) {
      const std::vector<double> times = TimeCalls(samples, kOperationGapMs, operation.second);
      std::printf("window_op operation=%s samples=%d median_ms=%.4f max_ms=%.4f\n",
                  operation.first, samples, times[times.size() / 2], times.back());
    }
  });
  DestroyWindow(g_mainWindow);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"discovery" && argc == 4)
    return TimeDiscovery(driver::WindowsPath(argv[2]), std::max(1, _wtoi(argv[3])));
  if (mode == L"window" && argc == 3)
    return TimeWindowOperations(std::max(2, _wtoi(argv[2])));
  if (mode == L"drawing" && argc == 7)
    return TimeDrawing(driver::WindowsPath(argv[2]), driver::WindowsPath(argv[3]), _wtoi(argv[4]),
                       _wtoi(argv[5]), std::max(1, _wtoi(argv[6])));
  const int arguments = mode == L"paired" ? 8 : mode == L"soak" || mode == L"batch" ? 6 : 4;
  if (argc != arguments || (arguments == 4 && mode != L"first-line")) {
    std::fprintf(stderr, "usage: benchmark paired|soak|batch|first-line|discovery|drawing|window ...\n");
    return 2;
  }
  const std::wstring folder = driver::WindowsPath(argv[3]);
  try {
    driver::QuillmereSession app(driver::WindowsPath(argv[2]));
    if (mode == L"paired") {
      ChooseFolderAndSizes(app, folder, argv[5], argv[6]);
      RunPairs(app, folder, driver::WindowsPath(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]),
               _wtoi(argv[7]));
    } else if (mode == L"soak") {
      ChooseFolderAndSizes(app, folder, L"-", argv[4]);
      RunSoak(app, _wtoi(argv[5]));
    } else if (mode == L"batch") {
      ChooseFolderAndSizes(app, folder, argv[4], argv[5]);
      RunBatch(app);
    } else {
      ChooseFolderAndSizes(app, folder, L"-", L"100");
      TimeFirstLine(app);
    }
    std::fflush(stdout);
    if (!app.Close(driver::kUiTimeoutMs))
      throw driver::DriverError("the program did not exit on WM_CLOSE");
  } catch (const driver::DriverError& error) {
    std::fprintf(stderr, "benchmark: %s\n", error.what());
    return 1;
  }
  return 0;
}
