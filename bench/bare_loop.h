#pragma once
#include <string>

// The floor of the program's design: every image file of inputFolder decoded, drawn at
// high-quality bicubic onto a 32-bit ARGB canvas and saved into outputFolder, and nothing
// else: the encoders are looked up once; no header check, log, progress or pause. Needs
// GDI+ started. The times are of the loop alone, without listing the folder.
struct LoopResult {
  int files = 0;
  int succeeded = 0;
  double milliseconds = 0;
  double cpuMs = 0;  // the calling thread's
};
LoopResult RunBareLoop(const std::wstring& inputFolder, const std::wstring& outputFolder,
                       int width, int height);
