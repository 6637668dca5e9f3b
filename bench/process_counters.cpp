#include "process_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kProcessBasicInformation = 0;
// Where a 64-bit PEB keeps the address of the process's GDI handle table.
constexpr SIZE_T kPebGdiSharedHandleTable = 0xF8;
constexpr size_t kGdiTableEntries = 0x10000;

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

struct HandleEntry {
  PVOID object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG access;
  USHORT backTrace;
  USHORT typeIndex;
  ULONG attributes;
  ULONG reserved;
};

struct HandleList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};

// The layout Wine and Windows share for one entry of the GDI handle table (24 bytes).
struct GdiEntry {
  UINT64 object;
  ULONG owner;
  BYTE extendedType;  // bit 7: stock object
  BYTE generation;
  BYTE type;          // 0: free
  BYTE flags;
  UINT64 userPointer;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");

template <typename Function>
Function NtdllFunction(const char* name)
{
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll)
    return nullptr;
  // Through void(*)(): the one function pointer type compilers accept as a go-between.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name)));
}

long CountKernelHandles(DWORD processId)
{
  const auto query = NtdllFunction<QuerySystemInformation>("NtQuerySystemInformation");
  if (!query)
    return -1;
  std::vector<BYTE> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0)
      return -1;
    break;
  }
  const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
  long count = 0;
  for (ULONG_PTR index = 0; index < list->count; ++index) {
    if (list->entries[index].processId == processId)
      ++count;
  }
  return count;
}

// Wine keeps one GDI table per process and marks a free entry with type 0.
long CountGdiTableEntries(HANDLE process)
{
  const auto query = NtdllFunction<QueryInformationProcess>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(process, kProcessBasicInformation, &basic, static_cast<ULONG>(sizeof(basic)),
                        nullptr) != 0)
    return -1;
  const BYTE* tableAddress = nullptr;
  if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) +
                                      kPebGdiSharedHandleTable,
                         &tableAddress, sizeof(tableAddress), nullptr) ||
      !tableAddress)
    return -1;

  constexpr size_t kChunkEntries = 4096;
  std::vector<GdiEntry> chunk(kChunkEntries);
  long live = 0;
  for (size_t first = 0; first < kGdiTableEntries; first += kChunkEntries) {
    if (!ReadProcessMemory(process, tableAddress + first * sizeof(GdiEntry), chunk.data(),
                           chunk.size() * sizeof(GdiEntry), nullptr))
      return first == 0 ? -1 : live;
    for (const GdiEntry& entry : chunk) {
      if (entry.type != 0 && (entry.extendedType & 0x80) == 0)
        ++live;
    }
  }
  return live;
}

struct WindowCount {
  DWORD processId;
  long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM context)
{
  ++reinterpret_cast<WindowCount*>(context)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context)
{
  auto* windows = reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == windows->processId) {
    ++windows->count;
    EnumChildWindows(window, CountChild, context);
  }
  return TRUE;
}

long CountWindows(DWORD processId)
{
  WindowCount windows = {processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows.count;
}

long GuiResources(HANDLE process, DWORD kind)
{
  SetLastError(ERROR_SUCCESS);
  const DWORD count = GetGuiResources(process, kind);
  return count == 0 && GetLastError() != ERROR_SUCCESS ? -1 : static_cast<long>(count);
}

}  // namespace

ProcessCounters SampleProcess(DWORD processId)
{
  ProcessCounters counters;
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process)
    return counters;

  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
    counters.valid = true;
    counters.peakWorkingSet = memory.PeakWorkingSetSize;
    counters.workingSet = memory.WorkingSetSize;
    counters.privateBytes = memory.PagefileUsage;
  }
  counters.gdiObjects = GuiResources(process, GR_GDIOBJECTS);
  counters.userObjects = GuiResources(process, GR_USEROBJECTS);
  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles) && handles != 0)
    counters.handleCount = static_cast<long>(handles);
  counters.kernelHandles = CountKernelHandles(processId);
  counters.gdiTableEntries = CountGdiTableEntries(process);
  counters.windows = CountWindows(processId);
  CloseHandle(process);
  return counters;
}

std::string FormatCounters(const std::string& prefix, const ProcessCounters& counters)
{
  char line[512];
  std::snprintf(line, sizeof(line),
                "%speak_ws_kb=%llu %sws_kb=%llu %sprivate_kb=%llu %sgdi=%ld %suser=%ld "
                "%shandles=%ld %skernel_handles=%ld %sgdi_table=%ld %swindows=%ld",
                prefix.c_str(), static_cast<unsigned long long>(counters.peakWorkingSet / 1024),
                prefix.c_str(), static_cast<unsigned long long>(counters.workingSet / 1024),
                prefix.c_str(), static_cast<unsigned long long>(counters.privateBytes / 1024),
                prefix.c_str(), counters.gdiObjects, prefix.c_str(), counters.userObjects,
                prefix.c_str(), counters.handleCount, prefix.c_str(), counters.kernelHandles,
                prefix.c_str(), counters.gdiTableEntries, prefix.c_str(), counters.windows);
  return line;
}
