#pragma once
// Colours as the system paints them: the toolkit's colour type turned into
// a COLORREF, a system colour looked up as it is set now.
#include <cstdint>

#include "toolkit/graphics/color.h"

// The COLORREF a colour stands for now (system colours looked up).
uint32_t ColorToRGB(TColor color);
