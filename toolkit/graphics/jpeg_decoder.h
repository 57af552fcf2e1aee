#pragma once
// JPEG decoding through libjpeg, free of <windows.h>. The pictures of the
// intro window and the about box are stored as JPEG; nothing is ever written
// as JPEG.
#include <cstdint>
#include <span>
#include <stdexcept>

#include "toolkit/graphics/bmp_codec.h"

namespace kelvora_image {

// Raised for data libjpeg cannot decode (not a JPEG, a broken or truncated
// header, an unsupported colour space such as CMYK, a fatal error in the
// compressed data), for pictures over the pixel cap, for files of more than
// 500 scans and for files over 1 GiB. what() is libjpeg's own wording, for diagnosis only; the
// toolkit shows its picture error.
struct InvalidJpeg : std::runtime_error {
  explicit InvalidJpeg(const char* why) : std::runtime_error(why) {}
};

// Decompression-bomb guard: 2^26 pixels (8192 × 8192) is far more than any
// picture the program ships, and costs at most 192 MiB of output.
inline constexpr uint64_t kMaxJpegPixels = uint64_t{1} << 26;

// Decodes a JPEG file held in memory into a 24-bit BmpImage (bottom-up BGR
// rows padded to 4 bytes, no palette), ready to become a DIB section.
// Greyscale JPEGs come out as grey 24-bit pixels. Damage that libjpeg only
// warns about (for example scan data that stops early, which it fills with
// grey) does not raise: the picture decodes as far as the data goes.
// `max_pixels` lowers the cap for callers (such as a fuzzer) that want it.
BmpImage DecodeJpeg(std::span<const uint8_t> file, uint64_t max_pixels = kMaxJpegPixels);

}  // namespace kelvora_image
