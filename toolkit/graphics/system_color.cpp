#include "toolkit/graphics/system_color.h"

#include <windows.h>

uint32_t ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(static_cast<int>(static_cast<uint32_t>(color) & 0xFF));
  return static_cast<uint32_t>(color);
}
