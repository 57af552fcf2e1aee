#pragma once
#include <cstdint>

// The one process-wide pseudo-random generator. It is seeded once at start-up
// with a fixed value and never reseeded, so every run draws the same sequence:
// the intro window's label colours and the change-icon command share it.
namespace kelvora_random {

inline constexpr uint64_t kMultiplier = 0x0000015A00004E35ull;

// Sets the state to 1 and advances its low 32 bits once (the runtime's own
// start-up step), leaving 22695478.
void Seed();

// The next output of the generator, 0 ... 2^31 - 1.
uint32_t Next();

}  // namespace kelvora_random

// A value in 0 ... n - 1 from the shared generator; 0 when n is 0.
int32_t Random(int32_t n);
