#pragma once
#include <windows.h>

// The size an image of sourceWidth x sourceHeight is redrawn at, written to *target. A
// width or height of 0 or less is not given: with one given, the other follows the aspect
// ratio; with both, the image is stretched to exactly that size. Neither dimension ends
// below 1. Returns false, leaving *target untouched, when the proportional dimension
// comes to 2^31 or more: no image of that size can be made.
bool TargetSize(UINT sourceWidth, UINT sourceHeight, int width, int height, SIZE* target);
