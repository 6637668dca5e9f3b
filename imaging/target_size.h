#pragma once
#include <windows.h>

// The size an image of sourceWidth x sourceHeight is redrawn at. A width or height of
// 0 or less is not given: with one given, the other follows the aspect ratio; with both,
// the image is stretched to exactly that size. Neither dimension ends below 1.
SIZE TargetSize(UINT sourceWidth, UINT sourceHeight, int width, int height);
