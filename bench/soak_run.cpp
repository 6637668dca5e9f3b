#include "soak_run.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "timed_run.h"

namespace {

// A run of a few hundred photos takes a minute; this only catches a hang.
constexpr DWORD kRunTimeoutMs = 20 * 60 * 1000;
// Far beyond any answer worth waiting for; a sample this slow counts as a timeout.
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr double kTargetAnswerMs = 50.0;
constexpr int kEarlySampleFiles = 10;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr SYSTEM_INFORMATION_CLASS kSystemExtendedHandleInformation =
    static_cast<SYSTEM_INFORMATION_CLASS>(64);
// Where a 64-bit PEB keeps the address of the process's GDI handle table.
constexpr SIZE_T kPebGdiSharedHandleTable = 0xF8;
constexpr size_t kGdiTableEntries = 0x10000;

struct HandleEntry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO_EX
  PVOID object;
  ULONG_PTR processId, handle;
  ULONG access;
  USHORT backTrace, typeIndex;
  ULONG attributes, reserved;
};

// The layout Wine and Windows share for one entry of the GDI handle table.
struct GdiEntry {
  UINT64 object;
  ULONG owner;
  BYTE extendedType, generation, type, flags;  // type 0: free; extendedType bit 7: stock
  UINT64 userPointer;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");

// Wine 8 answers GetGuiResources and GetProcessHandleCount with 0, so the objects are
// counted by stand-ins. The process's entries in the system handle list:
long CountKernelHandles(DWORD processId)
{
  std::vector<BYTE> buffer(1 << 20);
  ULONG needed = 0;
  LONG status;
  while ((status = NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &needed)) ==
         kInfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0)
    return -1;
  const ULONG_PTR count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
  const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
  return static_cast<long>(std::count_if(entries, entries + count, [processId](const HandleEntry& e) {
    return e.processId == processId;
  }));
}

// The live, non-stock entries of the process's GDI handle table, one per process in Wine.
long CountGdiTableEntries(HANDLE process)
{
  PROCESS_BASIC_INFORMATION basic = {};
  const BYTE* table = nullptr;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0 ||
      !ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) +
                         kPebGdiSharedHandleTable, &table, sizeof(table), nullptr) || !table)
    return -1;
  std::vector<GdiEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), nullptr))
    return -1;
  return static_cast<long>(std::count_if(entries.begin(), entries.end(), [](const GdiEntry& e) {
    return e.type != 0 && (e.extendedType & 0x80) == 0;
  }));
}

// The process's top-level and child windows, the bulk of its USER objects.
long CountWindows(DWORD processId)
{
  std::pair<DWORD, long> windows = {processId, 0};
  EnumWindows([](HWND window, LPARAM context) -> BOOL {
    auto* windows = reinterpret_cast<std::pair<DWORD, long>*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows->first) {
      ++windows->second;
      EnumChildWindows(window, [](HWND, LPARAM inner) -> BOOL {
        return ++reinterpret_cast<std::pair<DWORD, long>*>(inner)->second > 0;
      }, context);
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  return windows.second;
}

void PrintSample(const std::string& label, int run, long long filesDone, DWORD processId)
{
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process)
    throw driver::DriverError("OpenProcess failed on the program");
  PROCESS_MEMORY_COUNTERS memory = {};
  GetProcessMemoryInfo(process, &memory, sizeof(memory));
  std::printf("sample label=%s run=%d files_done=%lld peak_ws_kb=%llu ws_kb=%llu private_kb=%llu "
              "kernel_handles=%ld gdi_table=%ld windows=%ld\n",
              label.c_str(), run, filesDone,
              static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024),
              static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
              static_cast<unsigned long long>(memory.PagefileUsage / 1024),
              CountKernelHandles(processId), CountGdiTableEntries(process), CountWindows(processId));
  std::fflush(stdout);
  CloseHandle(process);
}

struct Answer {
  double ms;
  int position;  // the progress bar's position right after the answer
};

void PrintAnswers(int run, int files, std::vector<Answer> answers)
{
  std::sort(answers.begin(), answers.end(), [](const Answer& a, const Answer& b) { return a.ms < b.ms; });
  const auto over = [&](double limit) {
    return static_cast<long>(std::count_if(answers.begin(), answers.end(),
                                           [limit](const Answer& a) { return a.ms > limit; }));
  };
  const size_t count = answers.size();
  const Answer slowest = count ? answers.back() : Answer{0, 0};
  std::printf("response run=%d files=%d samples=%zu timeouts=%ld median_ms=%.3f p99_ms=%.3f "
              "max_ms=%.3f position_at_max=%d over_50ms=%ld\n",
              run, files, count, over(kAnswerTimeoutMs), count ? answers[count / 2].ms : 0.0,
              count ? answers[count * 99 / 100].ms : 0.0, slowest.ms, slowest.position,
              over(kTargetAnswerMs));
}

// In the first run the counters are also sampled once the progress passes the first
// files: position p means that the p-th file is being worked on, so p - 1 are done.
int PolledRun(driver::QuillmereSession& app, int run)
{
  const HWND progress = app.Control(driver::kProgressId);
  bool earlySampled = run != 1;
  std::vector<Answer> answers;
  const TimedRunResult result = RunBatch(app, kRunTimeoutMs, [&] {
    DWORD_PTR ignored = 0;
    const auto sent = std::chrono::steady_clock::now();
    const bool answered = SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_NORMAL,
                                              kAnswerTimeoutMs, &ignored) != 0;
    const std::chrono::duration<double, std::milli> delay = std::chrono::steady_clock::now() - sent;
    // Read only after the timed answer, so that it does not load the window being timed.
    const int position = static_cast<int>(SendMessageW(progress, PBM_GETPOS, 0, 0));
    answers.push_back({answered ? delay.count() : kAnswerTimeoutMs + 1.0, position});
    if (!earlySampled && position > kEarlySampleFiles) {
      PrintSample("after_" + std::to_string(kEarlySampleFiles) + "_files", run,
                  kEarlySampleFiles, app.Process().Id());
      earlySampled = true;
    }
  });
  std::printf("run run=%d ms=%.1f files=%d succeeded=%d ui_cpu_ms=%.1f worker_cpu_ms=%.1f\n",
              run, result.milliseconds, result.files, result.succeeded, result.uiThreadCpuMs,
              result.runThreadsCpuMs);
  PrintAnswers(run, result.files, answers);
  return result.files;
}

}  // namespace

void RunSoak(driver::QuillmereSession& app, int runs)
{
  PrintSample("idle", 0, 0, app.Process().Id());
  long long filesDone = 0;
  for (int run = 1; run <= runs; ++run) {
    filesDone += PolledRun(app, run);
    PrintSample("after_run_" + std::to_string(run), run, filesDone, app.Process().Id());
  }
}
