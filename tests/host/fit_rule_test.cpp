#include "toolkit/graphics/fit_rule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using kelvora_image::FitPicture;
using kelvora_image::FitRect;

// The viewer's image area in its default window size.
constexpr int32_t kAreaWidth = 319;
constexpr int32_t kAreaHeight = 268;

TEST(FitRule, PictureThatFitsIsCentredAtItsOwnSize) {
  EXPECT_EQ(FitPicture(100, 50, kAreaWidth, kAreaHeight), (FitRect{109, 109, 100, 50}));
  // Odd leftovers round toward zero: (319 - 100) / 2 = 109.5 -> 109.
  EXPECT_EQ(FitPicture(1, 1, kAreaWidth, kAreaHeight), (FitRect{159, 133, 1, 1}));
}

TEST(FitRule, ExactFitFillsTheArea) {
  EXPECT_EQ(FitPicture(kAreaWidth, kAreaHeight, kAreaWidth, kAreaHeight),
            (FitRect{0, 0, kAreaWidth, kAreaHeight}));
}

TEST(FitRule, FullScreenCaptureShrinksToTheWidth) {
  // 319 × 1080 / 1920 = 179.4 -> 179; (268 - 179) / 2 = 44.5 -> 44.
  EXPECT_EQ(FitPicture(1920, 1080, kAreaWidth, kAreaHeight), (FitRect{0, 44, 319, 179}));
}

TEST(FitRule, WiderThanTheAreaOnly) {
  // 319 × 100 / 400 = 79.75 -> 79.
  EXPECT_EQ(FitPicture(400, 100, kAreaWidth, kAreaHeight), (FitRect{0, 94, 319, 79}));
}

TEST(FitRule, TallerThanTheAreaOnly) {
  // w <= h: height 268, width 268 × 100 / 400 = 67.
  EXPECT_EQ(FitPicture(100, 400, kAreaWidth, kAreaHeight), (FitRect{126, 0, 67, 268}));
}

TEST(FitRule, WideButNotWideEnoughFallsBackToTheHeight) {
  // w > h: width 319 gives height 319 × 300 / 320 = 299 > 268, so height 268
  // and width 268 × 320 / 300 = 285.86 -> 285.
  EXPECT_EQ(FitPicture(320, 300, kAreaWidth, kAreaHeight), (FitRect{17, 0, 285, 268}));
}

TEST(FitRule, TallInAWideAreaFallsBackToTheWidth) {
  // w <= h: height 500 gives width 500 × 300 / 400 = 375 > 200, so width 200
  // and height 200 × 400 / 300 = 266.67 -> 266.
  EXPECT_EQ(FitPicture(300, 400, 200, 500), (FitRect{0, 117, 200, 266}));
}

TEST(FitRule, SquareUsesTheHeightBranch) {
  // w == h goes by height first: height 268, width 268; fits in 319.
  EXPECT_EQ(FitPicture(1000, 1000, kAreaWidth, kAreaHeight), (FitRect{25, 0, 268, 268}));
}

TEST(FitRule, NeverEnlarges) {
  EXPECT_EQ(FitPicture(10, 20, 1000, 1000), (FitRect{495, 490, 10, 20}));
}

TEST(FitRule, ZeroSizes) {
  EXPECT_EQ(FitPicture(0, 0, kAreaWidth, kAreaHeight), (FitRect{159, 134, 0, 0}));
  EXPECT_EQ(FitPicture(100, 50, 0, 0), (FitRect{0, 0, 0, 0}));
  EXPECT_EQ(FitPicture(0, 0, 0, 0), (FitRect{0, 0, 0, 0}));
  EXPECT_EQ(FitPicture(500, 0, kAreaWidth, kAreaHeight), (FitRect{0, 134, 319, 0}));
  EXPECT_EQ(FitPicture(0, 500, kAreaWidth, kAreaHeight), (FitRect{159, 0, 0, 268}));
  EXPECT_EQ(FitPicture(100, 50, 0, 40), (FitRect{0, 20, 0, 0}));
}

TEST(FitRule, NegativeSizesCountAsZero) {
  EXPECT_EQ(FitPicture(-5, -5, kAreaWidth, kAreaHeight), (FitRect{159, 134, 0, 0}));
  EXPECT_EQ(FitPicture(100, 50, -10, -10), (FitRect{0, 0, 0, 0}));
}

TEST(FitRule, LargeValuesDoNotOverflow) {
  constexpr int32_t big = std::numeric_limits<int32_t>::max();
  // 32-bit products would overflow: 2000000000 × 1000000 / 2147483647.
  EXPECT_EQ(FitPicture(big, 1000000, 2000000000, 2000000000),
            (FitRect{0, 999534339, 2000000000, 931322}));
  EXPECT_EQ(FitPicture(big, big, big, big), (FitRect{0, 0, big, big}));
}

}  // namespace
