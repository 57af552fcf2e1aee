#include "toolkit/core/dpi_scale.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

int32_t MulDivRound(int32_t value, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return value;
  int64_t product = static_cast<int64_t>(value) * numerator;
  int64_t d = denominator;
  if (d < 0) {
    d = -d;
    product = -product;
  }
  const int64_t half = d / 2;
  // Half away from zero: an odd denominator has no exact half to meet.
  const int64_t rounded = product >= 0 ? (product + half) / d : -((-product + half) / d);
  return static_cast<int32_t>(std::clamp<int64_t>(rounded, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}
