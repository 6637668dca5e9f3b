#pragma once
#include <windows.h>

#include <string>

// Memory and object counts of another process, each from the documented call where the
// system answers it and otherwise from a stated substitute. Wine 8 answers
// GetGuiResources with 0 and ERROR_CALL_NOT_IMPLEMENTED, and GetProcessHandleCount with
// TRUE and 0, so the substitutes are what carries information there.
struct ProcessCounters {
  bool valid = false;
  SIZE_T peakWorkingSet = 0;  // GetProcessMemoryInfo; Wine reads /proc/<pid>/status VmHWM
  SIZE_T workingSet = 0;      // same, VmRSS
  SIZE_T privateBytes = 0;    // PagefileUsage
  long gdiObjects = -1;       // GetGuiResources(GR_GDIOBJECTS); -1 when not implemented
  long userObjects = -1;      // GetGuiResources(GR_USEROBJECTS); -1 when not implemented
  long handleCount = -1;      // GetProcessHandleCount; -1 when it fails or gives 0
  long kernelHandles = -1;    // substitute: the process's entries in the system handle list
  long gdiTableEntries = -1;  // substitute: live, non-stock entries of the process's GDI table
  long windows = -1;          // substitute for USER objects: its top-level and child windows
};

ProcessCounters SampleProcess(DWORD processId);

// One line of "key=value" pairs, each key starting with prefix.
std::string FormatCounters(const std::string& prefix, const ProcessCounters& counters);
