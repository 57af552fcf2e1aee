#include "toolkit/core/dpi_scale.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(DpiScale, TheBannerAtTheCommonScales) {
  struct Row {
    int dpi;
    int width;
    int height;
  };
  // 535 × 137 client pixels at 96 dpi; the halves at 144 dpi round up.
  const Row rows[] = {{96, 535, 137}, {120, 669, 171}, {144, 803, 206}, {192, 1070, 274}};
  for (const Row& r : rows) {
    EXPECT_EQ(ScaleForDpi(535, r.dpi), r.width) << r.dpi;
    EXPECT_EQ(ScaleForDpi(137, r.dpi), r.height) << r.dpi;
  }
}

TEST(DpiScale, HalvesRoundAwayFromZeroEitherSign) {
  EXPECT_EQ(MulDivRound(1, 3, 2), 2);
  EXPECT_EQ(MulDivRound(-1, 3, 2), -2);
  EXPECT_EQ(MulDivRound(5, 1, 2), 3);
  EXPECT_EQ(MulDivRound(-5, 1, 2), -3);
  EXPECT_EQ(MulDivRound(5, -1, 2), -3);
  EXPECT_EQ(MulDivRound(5, 1, -2), -3);
  EXPECT_EQ(MulDivRound(7, 1, 3), 2);    // 2.33
  EXPECT_EQ(MulDivRound(-14, 144, 96), -21);  // a font height
  EXPECT_EQ(ScaleForDpi(1, 144), 2);     // a one-pixel line stays visible
  EXPECT_EQ(ScaleForDpi(6, 120), 8);     // 7.5
}

TEST(DpiScale, BackAndForthBetweenMonitors) {
  // A window moved from 144 to 192 dpi and back is scaled by the ratio each
  // time; whole values that scale exactly come back exactly.
  EXPECT_EQ(MulDivRound(MulDivRound(802, 192, 144), 144, 192), 802);
  EXPECT_EQ(MulDivRound(206, 192, 144), 275);
}

TEST(DpiScale, ExtremesHoldAtTheEndsOfTheRange) {
  EXPECT_EQ(MulDivRound(INT_MAX, 2, 1), INT_MAX);
  EXPECT_EQ(MulDivRound(INT_MIN, 2, 1), INT_MIN);
  EXPECT_EQ(MulDivRound(INT_MIN, -1, 1), INT_MAX);
  EXPECT_EQ(MulDivRound(INT_MAX, 192, 96), INT_MAX);
  EXPECT_EQ(MulDivRound(42, 5, 0), 42) << "no denominator: unchanged";
}

}  // namespace
