#pragma once
// Windows BMP reading and writing, free of <windows.h> so that the host build
// can test and fuzz it. The Win32 side turns a BmpImage into a DIB section and
// back; the layout below is chosen so that it can do so without converting.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace kelvora_image {

// Raised for any file that is not a BMP this reader can show safely. The
// toolkit shows it as "Bitmap image is not valid".
struct InvalidBitmap : std::runtime_error {
  InvalidBitmap() : std::runtime_error("Bitmap image is not valid") {}
};

// One colour table entry, in file (RGBQUAD) order.
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;

  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// A decoded picture, laid out as a BI_RGB device-independent bitmap:
// - bits_per_pixel is 1, 4, 8, 16 (5-5-5, top bit unused), 24 or 32 (bytes
//   blue, green, red, fourth); 0 only for the empty picture;
// - pixels holds `height` rows of RowStride(width, bits_per_pixel) bytes each,
//   the bottom row first (positive height);
// - palette is the colour table of a 1/4/8-bit picture, always exactly
//   2^bits_per_pixel entries after decoding (a shorter table in the file is
//   padded with black, so out-of-table indices show black); for 16/24/32 bits
//   it is the optional additional colour table (the halftone palette of a
//   region capture), at most 256 entries;
// - has_alpha is set only for 32-bit pictures whose fourth byte is a real
//   (straight, not premultiplied) alpha value; otherwise the fourth byte is
//   kept as read and means nothing.
// The empty picture is width = height = 0 with no pixels.
struct BmpImage {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bits_per_pixel = 0;
  bool has_alpha = false;
  std::vector<RgbQuad> palette;
  std::vector<uint8_t> pixels;

  bool Empty() const { return width == 0 || height == 0; }
};

// Bytes in one stored row: width × bits rounded up to a multiple of 32 bits.
size_t RowStride(int32_t width, uint16_t bits_per_pixel);

// Reads a whole BMP file. Accepts the core (12-byte) and OS/2 2.x (16 to
// 64-byte) headers, the info header (40) and its 52, 56, V4 (108) and
// V5 (124) extensions; 1, 2, 4, 8, 16, 24 and 32 bits; BI_RGB, RLE8, RLE4,
// BI_BITFIELDS and BI_ALPHABITFIELDS; bottom-up and top-down rows.
// What comes out is always the BI_RGB layout above:
// - 2-bit pictures become 8-bit indexed;
// - RLE8 becomes 8-bit and RLE4 4-bit indexed; pixels the RLE data never
//   writes (skipped by a delta, an end of line or an early end of bitmap)
//   keep index 0;
// - bit fields equal to the BI_RGB defaults (16-bit 5-5-5, 32-bit 8-8-8 with
//   or without an 8-bit alpha in the top byte) stay as they are; any other
//   masks become 32-bit, each channel scaled to 8 bits, with has_alpha set
//   when the file has an alpha mask.
// An empty input is the empty picture. Anything else it cannot show safely,
// including pixel data or a biSizeImage that does not fit in the file, more
// than 2^28 pixels, and (for RLE) more pixels than the compressed data could
// plausibly describe, raises InvalidBitmap before any large allocation. The bfSize and resolution
// fields are not checked: like the system's own loader, it trusts the
// headers, the offset and the actual file length instead.
BmpImage DecodeBmp(std::span<const uint8_t> file);

// The bytes of an uncompressed BMP before its pixels: 14-byte file header,
// 40-byte BITMAPINFOHEADER (BI_RGB, one plane, positive height, biSizeImage =
// stride × height, resolution 0, biClrImportant 0, biClrUsed = palette
// size), then the palette. The pixel buffer is not looked at: a caller
// writes the pixels straight into the file after these bytes (RowStride ×
// height of them). The empty picture gives 0 bytes. Throws
// std::invalid_argument for a picture that breaks those rules (unknown
// depth, indexed picture with no palette or more entries than its depth
// allows, palette over 256 entries, file over 4 GiB).
std::vector<uint8_t> EncodeBmpHeaders(const BmpImage& image);

}  // namespace kelvora_image
