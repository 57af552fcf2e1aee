#pragma once
// Records the largest single allocation made through operator new, so that a
// test can show that a hostile header was refused before its claimed size was
// allocated. Linking allocation_probe.cpp replaces the global operator new.
#include <cstddef>

namespace kelvora_test {

void ResetLargestAllocation();
size_t LargestAllocation();

}  // namespace kelvora_test
