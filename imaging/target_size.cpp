#include "imaging/target_size.h"

namespace {

// The proportional dimension is worked out in single precision, dividing first, so that
// for example 5 x 21 at width 100 gives 419 (419.99997), not 420. Truncates toward zero;
// false when the value does not fit 32 bits (or is not a number, from an empty source).
bool Proportional(UINT numerator, UINT denominator, int given, LONG* dimension)
{
  const float ratio = static_cast<float>(numerator) / static_cast<float>(denominator);
  const float value = ratio * static_cast<float>(given);
  if (!(value < 2147483648.0f))
    return false;
  *dimension = static_cast<LONG>(value);
  return true;
}

}  // namespace

bool TargetSize(UINT sourceWidth, UINT sourceHeight, int width, int height, SIZE* target)
{
  SIZE size{static_cast<LONG>(sourceWidth), static_cast<LONG>(sourceHeight)};
  if (width > 0 && height > 0) {
    size = {width, height};
  } else if (width > 0) {
    size.cx = width;
    if (!Proportional(sourceHeight, sourceWidth, width, &size.cy))
      return false;
  } else if (height > 0) {
    size.cy = height;
    if (!Proportional(sourceWidth, sourceHeight, height, &size.cx))
      return false;
  }
  if (size.cx < 1)
    size.cx = 1;
  if (size.cy < 1)
    size.cy = 1;
  *target = size;
  return true;
}
