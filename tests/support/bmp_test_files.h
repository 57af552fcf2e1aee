#pragma once
// Hand-built BMP files for the reader tests: little-endian byte building and
// a file with a 40-byte info header whose every field the test chooses.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "toolkit/graphics/bmp_codec.h"

namespace kelvora_test {

using kelvora_image::RgbQuad;

using Bytes = std::vector<uint8_t>;

// Little-endian byte building for hand-made files.
struct Builder {
  Bytes bytes;
  Builder& U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Builder& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
  Builder& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  Builder& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  Builder& Raw(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
};

struct InfoFields {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t planes = 1;
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t size_image = 0;
  uint32_t colors_used = 0;
  Bytes between;  // masks and colour table, as they follow the header
  Bytes pixels;
};

// A file with a 40-byte info header.
inline Bytes InfoFile(const InfoFields& f) {
  const uint32_t offset = static_cast<uint32_t>(54 + f.between.size());
  Builder b;
  b.U8('B').U8('M').U32(static_cast<uint32_t>(offset + f.pixels.size())).U32(0).U32(offset);
  b.U32(40).I32(f.width).I32(f.height).U16(f.planes).U16(f.bits).U32(f.compression);
  b.U32(f.size_image).U32(0).U32(0).U32(f.colors_used).U32(0);
  b.Raw(f.between).Raw(f.pixels);
  return b.bytes;
}

inline Bytes Palette(std::initializer_list<RgbQuad> entries) {
  Bytes out;
  for (const RgbQuad& q : entries) out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
  return out;
}

// A stand-in for the screen's halftone palette: 256 distinct entries whose
// reserved byte is deliberately not 0, to show that the writer clears it.

}  // namespace kelvora_test
