#include "forms/intro/fade.h"

#include "toolkit/core/random.h"

FadeTick FadeStep(int32_t& counter) {
  // Wraps like the 32-bit counter it is, should a restarted fade run on for
  // billions of ticks.
  counter = static_cast<int32_t>(static_cast<uint32_t>(counter) - 1u);
  return {static_cast<uint8_t>(counter & 0xFF), counter == 0};
}

uint32_t NextCreditsColour() {
  const uint32_t red = static_cast<uint32_t>(Random(255));
  const uint32_t green = static_cast<uint32_t>(Random(255));
  const uint32_t blue = static_cast<uint32_t>(Random(255));
  return red + green * 256 + blue * 65536;
}
