#include <gtest/gtest.h>

#include <climits>

#include "imaging/target_size.h"

namespace {

void ExpectTarget(UINT sourceWidth, UINT sourceHeight, int width, int height, LONG expectedWidth,
                  LONG expectedHeight)
{
  SCOPED_TRACE(testing::Message() << sourceWidth << "x" << sourceHeight << " at " << width << ","
                                  << height);
  SIZE target{};
  ASSERT_TRUE(TargetSize(sourceWidth, sourceHeight, width, height, &target));
  EXPECT_EQ(target.cx, expectedWidth);
  EXPECT_EQ(target.cy, expectedHeight);
}

TEST(TargetSize, OneDimensionKeepsTheAspectRatioTruncatingInSinglePrecision)
{
  ExpectTarget(1920, 1080, 100, 0, 100, 56);
  ExpectTarget(4000, 3000, 0, 100, 133, 100);
  // 21 / 5 * 100 is 419.99997 in single precision, so 419, not 420.
  ExpectTarget(5, 21, 100, 0, 100, 419);
  ExpectTarget(50, 50, 500, 0, 500, 500);
}

TEST(TargetSize, BothDimensionsStretchToExactlyThatSize)
{
  ExpectTarget(1920, 1080, 300, 300, 300, 300);
  ExpectTarget(1, 1000, 640, 480, 640, 480);
}

TEST(TargetSize, ZeroOrLessIsNotGiven)
{
  ExpectTarget(1920, 1080, -5, 100, 177, 100);
  ExpectTarget(1920, 1080, 200, -1, 200, 112);
  ExpectTarget(640, 480, 0, 0, 640, 480);
}

TEST(TargetSize, ProportionalValuesBelowOneBecomeOne)
{
  ExpectTarget(1000, 1, 10, 0, 10, 1);
  ExpectTarget(1, 1000, 0, 10, 1, 10);
}

TEST(TargetSize, ProportionalValuesFromTwoToThe31UpCannotBeMade)
{
  const SIZE untouched{7, 7};
  SIZE target = untouched;
  // 65535 / 1 * 40000 is 2621400000.
  EXPECT_FALSE(TargetSize(1, 65535, 40000, 0, &target));
  EXPECT_FALSE(TargetSize(65535, 1, 0, 40000, &target));
  EXPECT_FALSE(TargetSize(1, 4, INT_MAX, 0, &target));
  // INT_MAX in single precision is 2147483648, just past the range.
  EXPECT_FALSE(TargetSize(1, 1, 0, INT_MAX, &target));
  EXPECT_EQ(target.cx, untouched.cx);
  EXPECT_EQ(target.cy, untouched.cy);
  // The largest float below 2^31 still converts.
  ExpectTarget(1, 1, 0, 2147483520, 2147483520, 2147483520);
}

}  // namespace
