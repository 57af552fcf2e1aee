#pragma once
// Screen colours to the entries of an 8-bit picture's colour table, the way
// the platform maps them when a deeper picture is copied into an 8-bit one:
// no dithering, each colour to its nearest entry. The desktop capture copies
// the screen in its own depth and maps it here, which costs a fraction of
// the platform's own conversion.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/graphics/bmp_codec.h"

namespace kelvora_image {

class HalftoneMap {
 public:
  // `table`: the 8-bit picture's colour table (at most 256 entries, not empty).
  explicit HalftoneMap(std::span<const RgbQuad> table);

  const std::vector<RgbQuad>& Table() const noexcept { return table_; }

  // The platform keeps only the top five bits of each channel and takes the
  // middle of that step, (c & ~7) + 4, as the colour to match; among entries
  // at the same squared distance the first one wins.
  uint8_t Index(uint8_t red, uint8_t green, uint8_t blue) const noexcept {
    return lookup_[(red >> 3) << 10 | (green >> 3) << 5 | blue >> 3];
  }

  // `count` 32-bit pixels (bytes blue, green, red, unused) to table indices.
  void MapRow(const uint8_t* pixels, size_t count, uint8_t* indices) const noexcept;

 private:
  std::vector<RgbQuad> table_;
  std::vector<uint8_t> lookup_;  // one index per 5-5-5 colour
};

}  // namespace kelvora_image
