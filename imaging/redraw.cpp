#include "imaging/redraw.h"

std::unique_ptr<Gdiplus::Bitmap> Redraw(Gdiplus::Bitmap& source, SIZE target)
{
  auto canvas = std::make_unique<Gdiplus::Bitmap>(target.cx, target.cy, PixelFormat32bppARGB);
  Gdiplus::Graphics surface(canvas.get());
  surface.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  surface.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
  // A canvas too large to allocate leaves the surface without a target: the draw
  // reports that, so it is the one status that decides.
  if (surface.DrawImage(&source, 0, 0, target.cx, target.cy) != Gdiplus::Ok)
    return nullptr;
  return canvas;
}
