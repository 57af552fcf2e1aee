#include "toolkit/core/random.h"

namespace kelvora_random {
namespace {
uint64_t g_state = 0;
}

void Seed() {
  g_state = 1;
  const uint32_t low = static_cast<uint32_t>(g_state) * 22695477u + 1u;
  g_state = (g_state & 0xFFFFFFFF00000000ull) | low;
}

uint32_t Next() {
  g_state = g_state * kMultiplier + 1u;
  return static_cast<uint32_t>(g_state >> 32) & 0x7FFFFFFFu;
}

}  // namespace kelvora_random

int32_t Random(int32_t n) {
  if (n == 0) return 0;
  return static_cast<int32_t>(kelvora_random::Next() % static_cast<uint32_t>(n));
}
