#include "tests/support/bmp_reference.h"

#include <limits>
#include <stdexcept>

namespace kelvora_image {

namespace {
uint8_t Scale5(uint32_t v) { return static_cast<uint8_t>((v * 255u + 15u) / 31u); }

// In 64 bits, so that a width that cannot be real does not wrap on 32-bit
// targets before the checks that reject it.
uint64_t RowBytes(int32_t width, uint16_t bits_per_pixel) {
  if (width <= 0) return 0;
  return (static_cast<uint64_t>(width) * bits_per_pixel + 31) / 32 * 4;
}
}  // namespace

std::vector<uint8_t> EncodeBmp(const BmpImage& image) {
  if (image.Empty()) return {};
  std::vector<uint8_t> out = EncodeBmpHeaders(image);
  if (image.pixels.size() != RowStride(image.width, image.bits_per_pixel) * static_cast<size_t>(image.height)) {
    throw std::invalid_argument("EncodeBmp: pixel buffer size does not match the picture");
  }
  out.insert(out.end(), image.pixels.begin(), image.pixels.end());
  return out;
}

std::vector<uint32_t> ToArgb(const BmpImage& image) {
  if (image.Empty()) return {};
  if (image.width < 0 || image.height < 0) throw std::invalid_argument("ToArgb: negative size");
  const size_t width = static_cast<size_t>(image.width);
  const size_t height = static_cast<size_t>(image.height);
  // Divisions rather than products, so that nothing wraps on 32-bit targets.
  if (RowBytes(image.width, image.bits_per_pixel) > image.pixels.size() / height) {
    throw std::invalid_argument("ToArgb: pixel buffer smaller than the picture");
  }
  if (width > std::numeric_limits<size_t>::max() / sizeof(uint32_t) / height) {
    throw std::length_error("ToArgb: picture too large");
  }
  const size_t stride = RowStride(image.width, image.bits_per_pixel);
  std::vector<uint32_t> out(width * height);
  auto from_palette = [&](uint32_t index) -> uint32_t {
    if (index >= image.palette.size()) return 0xFF000000u;
    const RgbQuad& q = image.palette[index];
    return 0xFF000000u | (uint32_t{q.red} << 16) | (uint32_t{q.green} << 8) | q.blue;
  };
  for (size_t row = 0; row < height; ++row) {
    const uint8_t* in = image.pixels.data() + (height - 1 - row) * stride;
    uint32_t* dst = out.data() + row * width;
    for (size_t x = 0; x < width; ++x) {
      switch (image.bits_per_pixel) {
        case 1:
          dst[x] = from_palette((in[x / 8] >> (7 - x % 8)) & 1u);
          break;
        case 4:
          dst[x] = from_palette(x % 2 == 0 ? in[x / 2] >> 4 : in[x / 2] & 0x0Fu);
          break;
        case 8:
          dst[x] = from_palette(in[x]);
          break;
        case 16: {
          const uint32_t v = in[2 * x] | (uint32_t{in[2 * x + 1]} << 8);
          dst[x] = 0xFF000000u | (uint32_t{Scale5((v >> 10) & 31)} << 16) |
                   (uint32_t{Scale5((v >> 5) & 31)} << 8) | Scale5(v & 31);
          break;
        }
        case 24:
          dst[x] = 0xFF000000u | (uint32_t{in[3 * x + 2]} << 16) |
                   (uint32_t{in[3 * x + 1]} << 8) | in[3 * x];
          break;
        case 32: {
          const uint32_t a = image.has_alpha ? in[4 * x + 3] : 0xFFu;
          dst[x] = (a << 24) | (uint32_t{in[4 * x + 2]} << 16) | (uint32_t{in[4 * x + 1]} << 8) |
                   in[4 * x];
          break;
        }
        default:
          throw std::invalid_argument("ToArgb: unsupported depth");
      }
    }
  }
  return out;
}

}  // namespace kelvora_image
