#pragma once
#include <windows.h>

#include <string>

// Prints a "sample" line of a process's memory and object counts, in stand-ins, as Wine 8
// answers GetGuiResources and GetProcessHandleCount with 0. Throws driver::DriverError when
// the memory cannot be read.
void PrintSample(const std::string& label, int run, long long filesDone, DWORD processId);
