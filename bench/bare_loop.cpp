#include "bare_loop.h"

#include <windows.h>
#include <gdiplus.h>

#include <chrono>
#include <map>
#include <vector>

#include "batch/image_discovery.h"
#include "imaging/encoder_lookup.h"
#include "imaging/target_size.h"

namespace {

bool ResizeOne(const std::wstring& input, const std::wstring& output, int width, int height,
               const CLSID& encoder)
{
  Gdiplus::Bitmap source(input.c_str(), FALSE);
  if (source.GetLastStatus() != Gdiplus::Ok)
    return false;
  SIZE target;
  if (!TargetSize(source.GetWidth(), source.GetHeight(), width, height, &target))
    return false;
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

LoopResult RunBareLoop(const std::wstring& inputFolder, const std::wstring& outputFolder,
                       int width, int height)
{
  CreateDirectoryW(outputFolder.c_str(), nullptr);
  const std::vector<std::wstring> paths = ListImageFiles(inputFolder);
  std::map<std::wstring, CLSID> encoders;
  for (const std::wstring& path : paths) {
    if (FindEncoderForMimeType(EncoderMimeTypeForPath(path), &encoders[EncoderMimeTypeForPath(path)]) < 0)
      encoders.erase(EncoderMimeTypeForPath(path));
  }

  LoopResult result{static_cast<int>(paths.size())};
  const double cpuBefore = ThreadCpuMs(GetCurrentThread());
  const auto started = std::chrono::steady_clock::now();
  for (const std::wstring& path : paths) {
    const auto encoder = encoders.find(EncoderMimeTypeForPath(path));
    if (encoder != encoders.end() &&
        ResizeOne(path, outputFolder + path.substr(path.rfind(L'\\')), width, height,
                  encoder->second))
      ++result.succeeded;
  }
  result.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  result.cpuMs = ThreadCpuMs(GetCurrentThread()) - cpuBefore;
  return result;
}
