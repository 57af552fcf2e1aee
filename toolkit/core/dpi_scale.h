#pragma once
// Layouts are written in pixels at 96 dots per inch and scaled to the dots
// per inch of the monitor a window is on. One rule everywhere: the exact
// product rounded half away from zero, as the platform's MulDiv rounds, so
// 535 × 137 at 144 dpi is 803 × 206.
#include <cstdint>

inline constexpr int kDesignDpi = 96;

// value × numerator / denominator, rounded half away from zero; values
// beyond the 32-bit range are held at its ends.
int32_t MulDivRound(int32_t value, int32_t numerator, int32_t denominator);

// A length in 96-dpi pixels at `dpi`.
inline int32_t ScaleForDpi(int32_t value, int32_t dpi) { return MulDivRound(value, dpi, kDesignDpi); }
