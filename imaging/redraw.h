#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <memory>

// Draws the whole of source onto a new 32-bit ARGB canvas of the target size with
// high-quality bicubic resampling. Returns null when the draw fails. Needs GDI+ started.
std::unique_ptr<Gdiplus::Bitmap> Redraw(Gdiplus::Bitmap& source, SIZE target);
