#pragma once
// A second route to the shared generator's numbers: the 64-bit product split
// into 32-bit halves by hand, as a 32-bit machine computes it, starting from
// the documented start state.
#include <cstdint>

struct ReferenceGenerator {
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
