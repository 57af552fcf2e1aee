// Fuzz target for the JPEG decoder: any input either decodes or raises
// InvalidJpeg. The pixel cap is lowered so that each run stays fast.
#include <cstddef>
#include <cstdint>
#include <span>

#include "toolkit/graphics/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    kelvora_image::DecodeJpeg(std::span<const uint8_t>(data, size), uint64_t{1} << 20);
  } catch (const kelvora_image::InvalidJpeg&) {
  }
  return 0;
}
