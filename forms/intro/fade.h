#pragma once
// The intro window's fade and flashing credits, as arithmetic: portable, so
// the host tests every tick of it.
#include <cstdint>

// One tick of the fade: the counter goes down by one; its low byte is the
// window's alpha, and the window hides when the counter reaches exactly 0.
struct FadeTick {
  uint8_t alpha;
  bool hide;
};
FadeTick FadeStep(int32_t& counter);

// The credits label's next colour (0x00BBGGRR): three draws of the shared
// generator with bound 255, red, green, then blue.
uint32_t NextCreditsColour();
