#include "imaging/target_size.h"

#include <climits>

namespace {

// Truncates toward zero like the processor's float-to-int conversion: a value outside
// the 32-bit range (or NaN) gives INT_MIN, where a plain cast would be undefined.
int TruncateToInt(float value)
{
  if (value >= -2147483648.0f && value < 2147483648.0f)
    return static_cast<int>(value);
  return INT_MIN;
}

// The proportional dimension is worked out in single precision, dividing first, so that
// for example 5 x 21 at width 100 gives 419 (419.99997), not 420.
int Proportional(UINT numerator, UINT denominator, int given)
{
  const float ratio = static_cast<float>(numerator) / static_cast<float>(denominator);
  return TruncateToInt(ratio * static_cast<float>(given));
}

}  // namespace

SIZE TargetSize(UINT sourceWidth, UINT sourceHeight, int width, int height)
{
  SIZE target{static_cast<LONG>(sourceWidth), static_cast<LONG>(sourceHeight)};
  if (width > 0 && height > 0) {
    target = {width, height};
  } else if (width > 0) {
    target = {width, Proportional(sourceHeight, sourceWidth, width)};
  } else if (height > 0) {
    target = {Proportional(sourceWidth, sourceHeight, height), height};
  }
  if (target.cx < 1)
    target.cx = 1;
  if (target.cy < 1)
    target.cy = 1;
  return target;
}
