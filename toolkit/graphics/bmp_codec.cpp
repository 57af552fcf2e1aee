#include "toolkit/graphics/bmp_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace kelvora_image {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kOs2HeaderSize = 64;
constexpr size_t kMaxPaletteEntries = 256;

// No picture this program shows or saves comes near 2^28 pixels (a 16384 ×
// 16384 screen); the cap keeps a lying header from costing gigabytes.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

// RLE data can claim a large picture in few bytes. A run of 255 pixels costs
// two bytes; allowing 1024 pixels per byte leaves room for skipped areas, and
// any picture up to 2^20 pixels is allowed whatever its data size.
constexpr uint64_t kRlePixelsPerByte = 1024;
constexpr uint64_t kRleMinPixelBudget = uint64_t{1} << 20;

enum : uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiAlphaBitfields = 6,
};

[[noreturn]] void Fail() { throw InvalidBitmap(); }

// Bounds-checked little-endian reads from the file.
class FileView {
 public:
  explicit FileView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Size() const { return bytes_.size(); }
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  const uint8_t* At(uint64_t offset, uint64_t count) const {
    if (!Has(offset, count)) Fail();
    return bytes_.data() + offset;
  }
  uint16_t U16(uint64_t offset) const {
    const uint8_t* p = At(offset, 2);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  uint32_t U32(uint64_t offset) const {
    const uint8_t* p = At(offset, 4);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  int32_t I32(uint64_t offset) const { return static_cast<int32_t>(U32(offset)); }

 private:
  std::span<const uint8_t> bytes_;
};

enum class Coding { kRgb, kRle8, kRle4, kBitfields };

struct Header {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;  // always positive here; top_down carries the sign
  bool top_down = false;
  uint16_t bits = 0;
  Coding coding = Coding::kRgb;
  uint32_t image_size = 0;
  uint32_t colors_used = 0;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  uint64_t palette_offset = 0;
  unsigned palette_entry_size = 4;
  uint32_t pixel_offset = 0;
};

bool KnownHeaderSize(uint32_t size) {
  switch (size) {
    case kCoreHeaderSize:
    case 16:  // OS/2 2.x header cut after the bit count
    case kInfoHeaderSize:
    case 52:
    case 56:
    case kOs2HeaderSize:
    case 108:
    case 124:
      return true;
    default:
      return false;
  }
}

Header ReadHeader(const FileView& file) {
  if (file.Size() < kFileHeaderSize + 4) Fail();
  const uint8_t* magic = file.At(0, 2);
  if (magic[0] != 'B' || magic[1] != 'M') Fail();

  Header h;
  h.pixel_offset = file.U32(10);
  h.size = file.U32(kFileHeaderSize);
  if (!KnownHeaderSize(h.size) || !file.Has(kFileHeaderSize, h.size)) Fail();

  const uint64_t base = kFileHeaderSize;
  int64_t raw_height = 0;
  uint16_t planes = 0;
  uint32_t compression = kBiRgb;
  if (h.size == kCoreHeaderSize) {
    h.width = file.U16(base + 4);
    raw_height = file.U16(base + 6);
    planes = file.U16(base + 8);
    h.bits = file.U16(base + 10);
    h.palette_entry_size = 3;
  } else {
    h.width = file.I32(base + 4);
    raw_height = file.I32(base + 8);
    planes = file.U16(base + 12);
    h.bits = file.U16(base + 14);
    if (h.size >= kInfoHeaderSize) {
      compression = file.U32(base + 16);
      h.image_size = file.U32(base + 20);
      h.colors_used = file.U32(base + 32);
    }
  }
  if (planes != 1 || h.width <= 0 || raw_height == 0) Fail();
  h.top_down = raw_height < 0;
  const int64_t abs_height = h.top_down ? -raw_height : raw_height;
  if (abs_height > std::numeric_limits<int32_t>::max()) Fail();
  h.height = static_cast<int32_t>(abs_height);
  if (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height) > kMaxPixels) Fail();

  // The OS/2 2.x header gives compression 3 and 4 other meanings (Huffman 1D
  // and RLE24), neither of which this reader decodes.
  if (h.size == kOs2HeaderSize && compression != kBiRgb && compression != kBiRle8 &&
      compression != kBiRle4) {
    Fail();
  }

  uint64_t extra_masks = 0;
  switch (compression) {
    case kBiRgb:
      if (h.bits != 1 && h.bits != 2 && h.bits != 4 && h.bits != 8 && h.bits != 16 &&
          h.bits != 24 && h.bits != 32) {
        Fail();
      }
      h.coding = Coding::kRgb;
      break;
    case kBiRle8:
      if (h.bits != 8 || h.top_down) Fail();
      h.coding = Coding::kRle8;
      break;
    case kBiRle4:
      if (h.bits != 4 || h.top_down) Fail();
      h.coding = Coding::kRle4;
      break;
    case kBiBitfields:
    case kBiAlphaBitfields: {
      if (h.bits != 16 && h.bits != 32) Fail();
      h.coding = Coding::kBitfields;
      const bool with_alpha = compression == kBiAlphaBitfields;
      if (h.size >= 52) {
        // The masks are part of the larger headers.
        for (unsigned i = 0; i < 3; ++i) h.masks[i] = file.U32(base + 40 + 4 * i);
        if (h.size >= 56) h.masks[3] = file.U32(base + 52);
      } else {
        // After a 40-byte header they follow it, before the colour table.
        const unsigned count = with_alpha ? 4 : 3;
        for (unsigned i = 0; i < count; ++i) {
          h.masks[i] = file.U32(base + h.size + 4 * i);
        }
        extra_masks = 4 * count;
      }
      break;
    }
    default:
      Fail();
  }

  h.palette_offset = base + h.size + extra_masks;
  return h;
}

// `indexed_bits` is the depth of the decoded picture for indexed files (the
// table is padded to its full size), 0 for direct-colour files.
std::vector<RgbQuad> ReadPalette(const FileView& file, const Header& h, uint16_t indexed_bits) {
  const bool indexed = indexed_bits != 0;
  uint64_t count = h.colors_used;
  if (count == 0 && h.bits <= 8) count = uint64_t{1} << h.bits;
  if (h.size == kCoreHeaderSize) {
    // The core header has no count: the table is full-size, or as long as the
    // room before the pixels when that is shorter.
    count = h.bits <= 8 ? uint64_t{1} << h.bits : 0;
    if (h.pixel_offset >= h.palette_offset) {
      count = std::min<uint64_t>(count, (h.pixel_offset - h.palette_offset) / 3);
    }
  }
  // A table that does not fit in the file is a broken header, not a short one.
  if (!file.Has(h.palette_offset, count * h.palette_entry_size)) Fail();

  const uint64_t full = indexed ? uint64_t{1} << indexed_bits : 0;
  const uint64_t kept = std::min<uint64_t>(count, indexed ? full : kMaxPaletteEntries);
  std::vector<RgbQuad> palette(indexed ? full : kept);
  const uint8_t* p = file.At(h.palette_offset, kept * h.palette_entry_size);
  for (uint64_t i = 0; i < kept; ++i, p += h.palette_entry_size) {
    palette[i] = RgbQuad{p[0], p[1], p[2], 0};
  }
  return palette;
}

// The stored row for picture row `y` counted from the bottom.
uint8_t* OutputRow(BmpImage& image, size_t stride, int32_t y) {
  return image.pixels.data() + static_cast<size_t>(y) * stride;
}

void DecodeUncompressed(const Header& h, BmpImage& image, std::span<const uint8_t> data) {
  const size_t in_stride = RowStride(h.width, h.bits);
  const size_t out_stride = RowStride(h.width, image.bits_per_pixel);
  image.pixels.assign(out_stride * static_cast<size_t>(h.height), 0);
  for (int32_t row = 0; row < h.height; ++row) {
    const uint8_t* in = data.data() + static_cast<size_t>(row) * in_stride;
    const int32_t y = h.top_down ? h.height - 1 - row : row;
    uint8_t* out = OutputRow(image, out_stride, y);
    if (h.bits == 2) {
      for (int32_t x = 0; x < h.width; ++x) {
        out[x] = static_cast<uint8_t>((in[x / 4] >> (6 - 2 * (x % 4))) & 3);
      }
    } else {
      std::memcpy(out, in, out_stride);
    }
  }
}

// One channel of a bit-field pixel.
struct Channel {
  unsigned shift = 0;
  unsigned bits = 0;

  // Scaled to 0...255 with rounding, the way the reference renderings of
  // the conformance suite scale 5-, 6- and 10-bit channels.
  uint8_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint64_t max = (uint64_t{1} << bits) - 1;
    const uint64_t v = (pixel >> shift) & max;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

Channel MakeChannel(uint32_t mask) {
  if (mask == 0) return {};
  const unsigned shift = static_cast<unsigned>(std::countr_zero(mask));
  const uint32_t run = mask >> shift;
  // Only one unbroken run of bits makes sense as a channel.
  if ((run & (run + 1)) != 0) Fail();
  return Channel{shift, static_cast<unsigned>(std::popcount(run))};
}

void DecodeBitfields(const Header& h, BmpImage& image, std::span<const uint8_t> data) {
  const uint32_t depth_mask = h.bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  uint32_t seen = 0;
  for (uint32_t mask : h.masks) {
    if ((mask & ~depth_mask) != 0 || (mask & seen) != 0) Fail();
    seen |= mask;
  }
  const bool alpha = h.masks[3] != 0;

  const bool default_555 = h.bits == 16 && h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 &&
                           h.masks[2] == 0x001F && !alpha;
  const bool default_888 = h.bits == 32 && h.masks[0] == 0x00FF0000 &&
                           h.masks[1] == 0x0000FF00 && h.masks[2] == 0x000000FF &&
                           (h.masks[3] == 0 || h.masks[3] == 0xFF000000);
  if (default_555 || default_888) {
    image.bits_per_pixel = h.bits;
    image.has_alpha = alpha;
    DecodeUncompressed(h, image, data);
    return;
  }

  const Channel red = MakeChannel(h.masks[0]);
  const Channel green = MakeChannel(h.masks[1]);
  const Channel blue = MakeChannel(h.masks[2]);
  const Channel alpha_channel = MakeChannel(h.masks[3]);
  image.bits_per_pixel = 32;
  image.has_alpha = alpha;
  const size_t in_stride = RowStride(h.width, h.bits);
  const size_t out_stride = RowStride(h.width, 32);
  image.pixels.assign(out_stride * static_cast<size_t>(h.height), 0);
  const size_t bytes = h.bits / 8u;
  for (int32_t row = 0; row < h.height; ++row) {
    const uint8_t* in = data.data() + static_cast<size_t>(row) * in_stride;
    const int32_t y = h.top_down ? h.height - 1 - row : row;
    uint8_t* out = OutputRow(image, out_stride, y);
    for (int32_t x = 0; x < h.width; ++x, in += bytes, out += 4) {
      uint32_t pixel = static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8);
      if (bytes == 4) {
        pixel |= (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
      }
      out[0] = blue.Extract(pixel);
      out[1] = green.Extract(pixel);
      out[2] = red.Extract(pixel);
      out[3] = alpha ? alpha_channel.Extract(pixel) : 0;
    }
  }
}

// RLE4 and RLE8: runs, literals, end of line, end of bitmap and delta. Every
// write is checked against the picture: a run or literal past the end of its
// row, a delta past the picture, or data that stops in the middle of a
// command is a broken file.
void DecodeRle(const Header& h, BmpImage& image, std::span<const uint8_t> data) {
  const bool four = h.coding == Coding::kRle4;
  image.bits_per_pixel = four ? 4 : 8;
  const size_t stride = RowStride(h.width, image.bits_per_pixel);
  image.pixels.assign(stride * static_cast<size_t>(h.height), 0);

  const uint32_t width = static_cast<uint32_t>(h.width);
  const uint32_t height = static_cast<uint32_t>(h.height);
  auto put = [&](uint32_t x, uint32_t y, uint8_t index) {
    uint8_t* row = OutputRow(image, stride, static_cast<int32_t>(y));
    if (four) {
      uint8_t& byte = row[x / 2];
      byte = (x % 2 == 0) ? static_cast<uint8_t>((byte & 0x0F) | (index << 4))
                          : static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F));
    } else {
      row[x] = index;
    }
  };

  size_t pos = 0;
  uint32_t x = 0;
  uint32_t y = 0;
  for (;;) {
    if (data.size() - pos < 2) Fail();
    const uint8_t first = data[pos];
    const uint8_t second = data[pos + 1];
    pos += 2;
    if (first > 0) {
      if (y >= height || first > width - x) Fail();
      for (uint32_t i = 0; i < first; ++i) {
        const uint8_t index =
            four ? static_cast<uint8_t>(i % 2 == 0 ? second >> 4 : second & 0x0F) : second;
        put(x + i, y, index);
      }
      x += first;
      continue;
    }
    switch (second) {
      case 0:  // end of line
        x = 0;
        if (++y > height) Fail();
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // delta
        if (data.size() - pos < 2) Fail();
        x += data[pos];
        y += data[pos + 1];
        pos += 2;
        if (x > width || y > height) Fail();
        break;
      }
      default: {  // literal of `second` pixels, padded to a 16-bit boundary
        const uint32_t count = second;
        const size_t bytes = four ? (count + 1) / 2 : count;
        const size_t padded = (bytes + 1) & ~size_t{1};
        if (data.size() - pos < padded) Fail();
        if (y >= height || count > width - x) Fail();
        for (uint32_t i = 0; i < count; ++i) {
          const uint8_t byte = data[pos + (four ? i / 2 : i)];
          const uint8_t index =
              four ? static_cast<uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
          put(x + i, y, index);
        }
        x += count;
        pos += padded;
        break;
      }
    }
  }
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool Indexed(uint16_t bits) { return bits == 1 || bits == 4 || bits == 8; }

// In 64 bits, so that a width that cannot be real does not wrap on 32-bit
// targets before the checks that reject it.
uint64_t RowBytes(int32_t width, uint16_t bits_per_pixel) {
  if (width <= 0) return 0;
  return (static_cast<uint64_t>(width) * bits_per_pixel + 31) / 32 * 4;
}

}  // namespace

size_t RowStride(int32_t width, uint16_t bits_per_pixel) {
  return static_cast<size_t>(RowBytes(width, bits_per_pixel));
}

BmpImage DecodeBmp(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return {};
  const FileView file(bytes);
  const Header h = ReadHeader(file);

  BmpImage image;
  image.width = h.width;
  image.height = h.height;
  // 2-bit pictures are widened to 8 bits, which the system's bitmaps know.
  const uint16_t indexed_bits = h.bits > 8 ? 0 : h.bits == 2 ? 8 : h.bits;
  image.palette = ReadPalette(file, h, indexed_bits);

  if (h.pixel_offset > file.Size()) Fail();
  const uint64_t available = file.Size() - h.pixel_offset;
  if (h.image_size > available) Fail();

  if (h.coding == Coding::kRle8 || h.coding == Coding::kRle4) {
    const uint64_t length = h.image_size != 0 ? h.image_size : available;
    const uint64_t budget = std::max(kRleMinPixelBudget, length * kRlePixelsPerByte);
    if (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height) > budget) Fail();
    DecodeRle(h, image, bytes.subspan(h.pixel_offset, static_cast<size_t>(length)));
    return image;
  }

  const uint64_t in_stride = RowBytes(h.width, h.bits);
  // Width and height are capped above, so this product cannot overflow.
  const uint64_t needed = in_stride * static_cast<uint64_t>(h.height);
  if (needed > available) Fail();
  const auto data = bytes.subspan(h.pixel_offset, static_cast<size_t>(needed));

  if (h.coding == Coding::kBitfields) {
    DecodeBitfields(h, image, data);
    return image;
  }
  image.bits_per_pixel = indexed_bits != 0 ? indexed_bits : h.bits;
  DecodeUncompressed(h, image, data);
  return image;
}

namespace {

// The file's bytes before the pixels, after the layout checks.
std::vector<uint8_t> Headers(const BmpImage& image) {
  const uint16_t bits = image.bits_per_pixel;
  if (image.width < 0 || image.height < 0) {
    throw std::invalid_argument("EncodeBmpHeaders: negative size");
  }
  if (!Indexed(bits) && bits != 16 && bits != 24 && bits != 32) {
    throw std::invalid_argument("EncodeBmpHeaders: unsupported depth");
  }
  if (image.palette.size() > kMaxPaletteEntries ||
      (Indexed(bits) && (image.palette.empty() || image.palette.size() > (1u << bits)))) {
    throw std::invalid_argument("EncodeBmpHeaders: colour table does not suit the depth");
  }
  const uint64_t stride = RowBytes(image.width, bits);
  const uint64_t pixel_bytes = stride * static_cast<uint64_t>(image.height);
  const uint64_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * image.palette.size();
  const uint64_t file_size = offset + pixel_bytes;
  if (file_size > std::numeric_limits<uint32_t>::max()) {
    throw std::invalid_argument("EncodeBmpHeaders: picture too large for a BMP file");
  }

  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(offset));
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<uint32_t>(file_size));
  PutU16(out, 0);
  PutU16(out, 0);
  PutU32(out, static_cast<uint32_t>(offset));

  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(image.width));
  PutU32(out, static_cast<uint32_t>(image.height));
  PutU16(out, 1);
  PutU16(out, bits);
  PutU32(out, kBiRgb);
  PutU32(out, static_cast<uint32_t>(pixel_bytes));
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(image.palette.size()));
  PutU32(out, 0);

  for (const RgbQuad& q : image.palette) {
    out.push_back(q.blue);
    out.push_back(q.green);
    out.push_back(q.red);
    out.push_back(0);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBmpHeaders(const BmpImage& image) {
  if (image.Empty()) return {};
  return Headers(image);
}

}  // namespace kelvora_image
