#pragma once
// Test-side companions of the BMP codec: a whole file in memory from a
// picture, and a picture's colours as plain ARGB values to compare.
#include <cstdint>
#include <vector>

#include "toolkit/graphics/bmp_codec.h"

namespace kelvora_image {

// The whole file: EncodeBmpHeaders' bytes, then the pixels as stored. The
// empty picture writes 0 bytes. Throws std::invalid_argument where
// EncodeBmpHeaders does, and for a pixel buffer of the wrong size.
std::vector<uint8_t> EncodeBmp(const BmpImage& image);

// The picture's colours as 0xAARRGGBB values (bytes B, G, R, A in memory),
// top row first, width × height of them. Alpha is 255 unless has_alpha.
std::vector<uint32_t> ToArgb(const BmpImage& image);

}  // namespace kelvora_image
