#include "process_counts.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "common/scoped_handle.h"
#include "ui_driver.h"

namespace {

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

// An entry of the GDI handle table, as Wine and Windows lay it out: 24 bytes, of which
// byte 12 has bit 7 set for a stock object and byte 14, the type, is 0 when free.
constexpr size_t kGdiEntrySize = 24, kGdiEntryFlags = 12, kGdiEntryType = 14;

// The process's entries in the system handle list.
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
  std::vector<BYTE> entries(kGdiTableEntries * kGdiEntrySize);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr))
    return -1;
  long live = 0;
  for (size_t entry = 0; entry < entries.size(); entry += kGdiEntrySize)
    live += entries[entry + kGdiEntryType] != 0 && (entries[entry + kGdiEntryFlags] & 0x80) == 0 ? 1 : 0;
  return live;
}

// The process's windows, top-level and child, the bulk of its USER objects.
long CountWindows(DWORD processId)
{
  std::pair<DWORD, long> windows = {processId, 0};
  EnumChildWindows(GetDesktopWindow(), [](HWND window, LPARAM context) -> BOOL {
    auto* windows = reinterpret_cast<std::pair<DWORD, long>*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    windows->second += owner == windows->first ? 1 : 0;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  return windows.second;
}

}  // namespace

void PrintSample(const std::string& label, int run, long long filesDone, DWORD processId)
{
  const ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  PROCESS_MEMORY_COUNTERS memory = {};
  if (!process || !GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)))
    throw driver::DriverError("the program's memory could not be read");
  std::printf("sample label=%s run=%d files_done=%lld peak_ws_kb=%zu ws_kb=%zu private_kb=%zu "
              "kernel_handles=%ld gdi_table=%ld windows=%ld\n", label.c_str(), run, filesDone,
              memory.PeakWorkingSetSize / 1024, memory.WorkingSetSize / 1024,
              memory.PagefileUsage / 1024, CountKernelHandles(processId),
              CountGdiTableEntries(process.get()), CountWindows(processId));
  std::fflush(stdout);
}
