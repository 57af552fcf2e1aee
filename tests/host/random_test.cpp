#include "toolkit/core/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A second route to the same numbers: the 64-bit product split into 32-bit
// halves by hand, as the generator would be computed on a 32-bit machine.
struct SplitGenerator {
  uint32_t lo = 22695478u;
  uint32_t hi = 0;

  uint32_t Next() {
    const uint32_t mlo = 0x00004E35u, mhi = 0x0000015Au;
    const uint64_t lolo = static_cast<uint64_t>(lo) * mlo + 1u;
    const uint32_t cross = lo * mhi + hi * mlo;  // only its low 32 bits survive
    const uint32_t new_hi = static_cast<uint32_t>(lolo >> 32) + cross;
    lo = static_cast<uint32_t>(lolo);
    hi = new_hi;
    return hi & 0x7FFFFFFFu;
  }
};

TEST(Random, SeedLeavesTheDocumentedState) {
  kelvora_random::Seed();
  EXPECT_EQ(kelvora_random::State(), 22695478u);
}

TEST(Random, FirstOutputsMatchAnIndependentComputation) {
  kelvora_random::Seed();
  SplitGenerator reference;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(kelvora_random::Next(), reference.Next()) << "draw " << i;
  }
}

TEST(Random, BoundedDrawsAreTheOutputModuloTheBound) {
  kelvora_random::Seed();
  SplitGenerator reference;
  std::vector<int32_t> drawn;
  for (int i = 0; i < 300; ++i) {
    const int32_t r = Random(255);
    ASSERT_EQ(static_cast<uint32_t>(r), reference.Next() % 255u);
    drawn.push_back(r);
  }
  EXPECT_EQ(Random(0), 0);
  // A zero bound draws nothing: the next value still follows the sequence.
  EXPECT_EQ(static_cast<uint32_t>(Random(10)), reference.Next() % 10u);
}

TEST(Random, IconChoicesNeverReachTheLastIcon) {
  kelvora_random::Seed();
  for (int i = 0; i < 5000; ++i) {
    const int32_t r = Random(10);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 10);
  }
}

}  // namespace
