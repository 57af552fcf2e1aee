#include "toolkit/graphics/halftone_map.h"

#include <limits>

namespace kelvora_image {

HalftoneMap::HalftoneMap(std::span<const RgbQuad> table)
    : table_(table.begin(), table.end()), lookup_(size_t{1} << 15) {
  const size_t n = table_.size();
  // Squared distances per channel, summed a channel at a time: the lookup is
  // built on the first desktop capture, so it has to be quick.
  std::vector<int> red_part(n), red_green_part(n);
  for (int r = 0; r < 32; ++r) {
    const int red = r * 8 + 4;
    for (size_t k = 0; k < n; ++k) red_part[k] = (red - table_[k].red) * (red - table_[k].red);
    for (int g = 0; g < 32; ++g) {
      const int green = g * 8 + 4;
      for (size_t k = 0; k < n; ++k)
        red_green_part[k] = red_part[k] + (green - table_[k].green) * (green - table_[k].green);
      for (int b = 0; b < 32; ++b) {
        const int blue = b * 8 + 4;
        size_t best = 0;
        int best_distance = std::numeric_limits<int>::max();
        for (size_t k = 0; k < n; ++k) {
          const int distance = red_green_part[k] + (blue - table_[k].blue) * (blue - table_[k].blue);
          if (distance < best_distance) {
            best_distance = distance;
            best = k;
          }
        }
        lookup_[static_cast<size_t>(r << 10 | g << 5 | b)] = static_cast<uint8_t>(best);
      }
    }
  }
}

void HalftoneMap::MapRow(const uint8_t* pixels, size_t count, uint8_t* indices) const noexcept {
  const uint8_t* lookup = lookup_.data();
  for (size_t i = 0; i < count; ++i, pixels += 4)
    indices[i] = lookup[(pixels[2] >> 3) << 10 | (pixels[1] >> 3) << 5 | pixels[0] >> 3];
}

}  // namespace kelvora_image
