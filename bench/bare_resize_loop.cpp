#include <windows.h>
#include <gdiplus.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/session_guards.h"
#include "imaging/encoder_lookup.h"
#include "imaging/target_size.h"
#include "thread_cpu.h"

// Usage: bare_resize_loop INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT
// The floor of the program's design: every file of INPUT_FOLDER decoded, drawn at
// high-quality bicubic onto a 32-bit ARGB canvas and saved into OUTPUT_FOLDER, and
// nothing else. The encoders are looked up once and no log, progress or pause is kept.
// Prints the time of the loop alone, without the process start.
namespace {

std::vector<std::wstring> FileNames(const std::wstring& folder)
{
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

bool ResizeOne(const std::wstring& input, const std::wstring& output, int width, int height,
               const CLSID& encoder)
{
  Gdiplus::Bitmap source(input.c_str(), FALSE);
  if (source.GetLastStatus() != Gdiplus::Ok)
    return false;
  const SIZE target = TargetSize(source.GetWidth(), source.GetHeight(), width, height);
  Gdiplus::Bitmap canvas(target.cx, target.cy, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics surface(&canvas);
    surface.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    surface.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    if (surface.DrawImage(&source, 0, 0, target.cx, target.cy) != Gdiplus::Ok)
      return false;
  }
  return canvas.Save(output.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc != 5) {
    std::fprintf(stderr, "usage: bare_resize_loop INPUT_FOLDER OUTPUT_FOLDER WIDTH HEIGHT\n");
    return 2;
  }
  const std::wstring inputFolder = argv[1];
  const std::wstring outputFolder = argv[2];
  const int width = _wtoi(argv[3]);
  const int height = _wtoi(argv[4]);
  CreateDirectoryW(outputFolder.c_str(), nullptr);

  const GdiplusSession gdiplus;
  const std::vector<std::wstring> names = FileNames(inputFolder);
  std::map<std::wstring, CLSID> encoders;
  for (const std::wstring& name : names) {
    const wchar_t* mimeType = EncoderMimeTypeForPath(name);
    CLSID encoder = {};
    if (encoders.count(mimeType) == 0 && FindEncoderForMimeType(mimeType, &encoder) >= 0)
      encoders[mimeType] = encoder;
  }

  int succeeded = 0;
  const double cpuBefore = ThreadCpuMs(GetCurrentThreadId());
  const auto started = std::chrono::steady_clock::now();
  for (const std::wstring& name : names) {
    const auto encoder = encoders.find(EncoderMimeTypeForPath(name));
    if (encoder != encoders.end() &&
        ResizeOne(inputFolder + L"\\" + name, outputFolder + L"\\" + name, width, height,
                  encoder->second))
      ++succeeded;
  }
  const std::chrono::duration<double, std::milli> loop = std::chrono::steady_clock::now() - started;
  const double loopCpuMs = ThreadCpuMs(GetCurrentThreadId()) - cpuBefore;

  std::printf("bare files=%zu succeeded=%d loop_ms=%.1f loop_cpu_ms=%.1f ms_per_file=%.2f\n",
              names.size(), succeeded, loop.count(), loopCpuMs,
              names.empty() ? 0.0 : loop.count() / static_cast<double>(names.size()));
  std::fflush(stdout);
  return succeeded == static_cast<int>(names.size()) ? 0 : 1;
}
