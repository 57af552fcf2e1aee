#include "forms/intro/fade.h"

#include <gtest/gtest.h>

#include "tests/support/reference_generator.h"
#include "toolkit/core/random.h"

namespace {

TEST(Fade, AlphaFallsFrom254AndTheWindowHidesOnTick255) {
  int32_t counter = 255;  // as the show handler leaves it
  for (int tick = 1; tick <= 255; ++tick) {
    const FadeTick t = FadeStep(counter);
    ASSERT_EQ(t.alpha, 255 - tick) << "tick " << tick;
    ASSERT_EQ(t.hide, tick == 255) << "tick " << tick;
  }
  EXPECT_EQ(counter, 0);
}

TEST(Fade, ARestartedFadeCyclesThroughTheLowByteWithoutHidingAgain) {
  int32_t counter = 0;  // finished, then restarted by leaving the credits label
  FadeTick t = FadeStep(counter);
  EXPECT_EQ(counter, -1);
  EXPECT_EQ(t.alpha, 255);
  EXPECT_FALSE(t.hide);
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(FadeStep(counter).hide);
  EXPECT_EQ(FadeStep(counter).alpha, static_cast<uint8_t>(-1002 & 0xFF));
}

TEST(Fade, CountersOfAnyValueNeverOverflow) {
  int32_t counter = INT32_MIN;
  const FadeTick t = FadeStep(counter);
  EXPECT_EQ(counter, INT32_MAX);
  EXPECT_EQ(t.alpha, 0xFF);
}

TEST(CreditsColour, FirstTicksFollowTheSharedSequenceRedGreenBlue) {
  kelvora_random::Seed();
  ReferenceGenerator reference;
  for (int tick = 0; tick < 300; ++tick) {
    const uint32_t r = reference.Next() % 255, g = reference.Next() % 255, b = reference.Next() % 255;
    ASSERT_EQ(NextCreditsColour(), r | (g << 8) | (b << 16)) << "tick " << tick;
  }
}

TEST(CreditsColour, EveryByteStaysBelow255) {
  kelvora_random::Seed();
  for (int tick = 0; tick < 5000; ++tick) {
    const uint32_t c = NextCreditsColour();
    ASSERT_LT(c & 0xFF, 255u);
    ASSERT_LT((c >> 8) & 0xFF, 255u);
    ASSERT_LT(c >> 16, 255u);
  }
}

}  // namespace
