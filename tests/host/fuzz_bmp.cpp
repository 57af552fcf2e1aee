// Fuzz target for the BMP reader. Beyond not crashing, anything it accepts
// must convert to colours and survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "tests/support/bmp_reference.h"
#include "toolkit/graphics/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelvora_image;
  BmpImage image;
  try {
    image = DecodeBmp(std::span<const uint8_t>(data, size));
  } catch (const InvalidBitmap&) {
    return 0;
  }
  if (image.Empty()) return 0;
  if (ToArgb(image).size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    std::abort();
  }
  const BmpImage again = DecodeBmp(EncodeBmp(image));
  if (again.width != image.width || again.height != image.height ||
      again.bits_per_pixel != image.bits_per_pixel || again.palette != image.palette ||
      again.pixels != image.pixels) {
    std::abort();
  }
  return 0;
}
