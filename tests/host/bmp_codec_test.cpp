#include "tests/support/bmp_reference.h"
#include "toolkit/graphics/bmp_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/bmp_test_files.h"

namespace {

using kelvora_image::BmpImage;
using kelvora_image::DecodeBmp;
using kelvora_image::EncodeBmp;
using kelvora_image::RgbQuad;
using kelvora_image::ToArgb;
using kelvora_test::Builder;
using kelvora_test::Bytes;
using kelvora_test::InfoFields;
using kelvora_test::InfoFile;
using kelvora_test::Palette;

std::vector<RgbQuad> FakeHalftone() {
  std::vector<RgbQuad> table(256);
  for (int i = 0; i < 256; ++i) {
    table[i] = RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                       static_cast<uint8_t>(i ^ 0x5A), 0x77};
  }
  return table;
}

uint32_t Le32(const Bytes& b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}

// Checks the 54 header bytes against expected field values, spelled out by
// hand for each case.
void ExpectHeader(const Bytes& file, uint32_t file_size, uint32_t offset, int32_t width,
                  int32_t height, uint16_t bits, uint32_t size_image, uint32_t colors) {
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), file_size);
  EXPECT_EQ(Le32(file, 6), 0u);  // both reserved words
  EXPECT_EQ(Le32(file, 10), offset);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(Le32(file, 18), static_cast<uint32_t>(width));
  EXPECT_EQ(Le32(file, 22), static_cast<uint32_t>(height));
  EXPECT_EQ(file[26] | (file[27] << 8), 1);  // planes
  EXPECT_EQ(file[28] | (file[29] << 8), bits);
  EXPECT_EQ(Le32(file, 30), 0u);  // BI_RGB
  EXPECT_EQ(Le32(file, 34), size_image);
  EXPECT_EQ(Le32(file, 38), 0u);
  EXPECT_EQ(Le32(file, 42), 0u);
  EXPECT_EQ(Le32(file, 46), colors);
  EXPECT_EQ(Le32(file, 50), 0u);
  EXPECT_EQ(file.size(), file_size);
}

void ExpectTableWritten(const Bytes& file, const std::vector<RgbQuad>& table) {
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_GE(file.size(), 54 + 4 * i + 4);
    EXPECT_EQ(file[54 + 4 * i], table[i].blue);
    EXPECT_EQ(file[54 + 4 * i + 1], table[i].green);
    EXPECT_EQ(file[54 + 4 * i + 2], table[i].red);
    EXPECT_EQ(file[54 + 4 * i + 3], 0);
  }
}

Bytes Tail(const Bytes& file, size_t from) { return Bytes(file.begin() + static_cast<long>(from), file.end()); }

// --- Writer -----------------------------------------------------------------

// A picture of each writable depth and table, with its headers' fields
// worked out by hand: the pixels follow the table, each row padded to four
// bytes, the bottom row first.
struct EncodeCase {
  const char* what;
  int32_t width, height;
  uint16_t bits;
  std::vector<RgbQuad> palette;
  Bytes pixels;
  uint32_t file_size, offset, size_image, colors;
};

TEST(BmpEncode, EveryDepthWritesItsHeadersTableAndPixels) {
  const std::vector<RgbQuad> halftone = FakeHalftone();
  const EncodeCase cases[] = {
      // Rows of 3 pixels padded to 4 bytes. 14 + 40 + 256 × 4 = 1078 bytes
      // before the pixels.
      {"8 bits, full colour table", 3, 2, 8, halftone, {10, 11, 12, 0, 20, 21, 22, 0}, 1086, 1078, 8, 256},
      // 3 × 2 bytes padded to 8 per row.
      {"16 bits, additional table", 3, 2, 16, halftone,
       {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0, 0, 0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0}, 1094, 1078, 16, 256},
      // 9 bytes padded to 12 per row.
      {"24 bits, additional table", 3, 2, 24, halftone,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0}, 1102, 1078, 24, 256},
      {"32 bits, additional table", 3, 2, 32, halftone,
       {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0}, 1102, 1078, 24, 256},
      // 54 + 20 × 4 = 134; 15 bytes padded to 16, three rows: 134 + 48 = 182.
      {"a short table moves the pixel offset", 5, 3, 24, std::vector<RgbQuad>(20, RgbQuad{1, 2, 3, 0}),
       Bytes(48, 0xAB), 182, 134, 48, 20},
      {"no table: the pixels follow the header", 1, 1, 24, {}, {7, 8, 9, 0}, 58, 54, 4, 0},
      {"1 bit: rows pad to four bytes", 10, 2, 1, {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}},
       {0xFF, 0xC0, 0, 0, 0x80, 0x40, 0, 0}, 70, 62, 8, 2},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage image;
    image.width = c.width;
    image.height = c.height;
    image.bits_per_pixel = c.bits;
    image.palette = c.palette;
    image.pixels = c.pixels;
    const Bytes file = EncodeBmp(image);
    ExpectHeader(file, c.file_size, c.offset, c.width, c.height, c.bits, c.size_image, c.colors);
    ExpectTableWritten(file, c.palette);
    EXPECT_EQ(Tail(file, c.offset), c.pixels);
  }
}

TEST(BmpEncode, EmptyPictureWritesNothing) {
  EXPECT_TRUE(EncodeBmp(BmpImage{}).empty());
  BmpImage zero_height;
  zero_height.width = 10;
  zero_height.bits_per_pixel = 24;
  EXPECT_TRUE(EncodeBmp(zero_height).empty());
}

TEST(BmpEncode, RejectsPicturesThatBreakTheLayout) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 24;
  image.pixels.assign(23, 0);  // one byte short of two 12-byte rows
  EXPECT_THROW(EncodeBmp(image), std::invalid_argument);

  image.pixels.assign(24, 0);
  image.bits_per_pixel = 12;
  EXPECT_THROW(EncodeBmp(image), std::invalid_argument);

  image.bits_per_pixel = 8;
  image.pixels.assign(8, 0);
  EXPECT_THROW(EncodeBmp(image), std::invalid_argument);  // indexed without a table
  image.palette.assign(257, RgbQuad{});
  EXPECT_THROW(EncodeBmp(image), std::invalid_argument);
}

// --- Round trips ------------------------------------------------------------

BmpImage Patterned(int32_t width, int32_t height, uint16_t bits) {
  BmpImage image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  if (bits <= 8) {
    image.palette.resize(size_t{1} << bits);
    for (size_t i = 0; i < image.palette.size(); ++i) {
      image.palette[i] = RgbQuad{static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 5),
                                 static_cast<uint8_t>(i * 7), 0};
    }
  } else {
    image.palette = FakeHalftone();
    for (RgbQuad& q : image.palette) q.reserved = 0;
  }
  const size_t stride = kelvora_image::RowStride(width, bits);
  image.pixels.resize(stride * static_cast<size_t>(height));
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = static_cast<uint8_t>(i * 17 + 5);
  }
  return image;
}

TEST(BmpRoundTrip, EveryWritableDepthComesBackUnchanged) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const BmpImage original = Patterned(7, 5, bits);
    const BmpImage back = DecodeBmp(EncodeBmp(original));
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.bits_per_pixel, bits);
    EXPECT_FALSE(back.has_alpha);
    EXPECT_EQ(back.palette, original.palette);
    EXPECT_EQ(back.pixels, original.pixels);
  }
}

TEST(BmpRoundTrip, EmptyFileIsTheEmptyPicture) {
  const BmpImage image = DecodeBmp({});
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.height, 0);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_TRUE(EncodeBmp(image).empty());
}

// --- Reader: layouts --------------------------------------------------------

TEST(BmpDecode, TopDownRowsAreStoredBottomUp) {
  InfoFields f;
  f.width = 2;
  f.height = -2;
  f.bits = 8;
  f.colors_used = 3;
  f.between = Palette({{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}});
  f.pixels = {1, 1, 0, 0, 2, 2, 0, 0};  // first stored row is the top
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, (Bytes{2, 2, 0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(ToArgb(image), (std::vector<uint32_t>{0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF}));
}

TEST(BmpDecode, ShortTableIsPaddedWithBlack) {
  InfoFields f;
  f.width = 3;
  f.bits = 8;
  f.colors_used = 2;
  f.between = Palette({{10, 20, 30, 0}, {40, 50, 60, 0}});
  f.pixels = {0, 1, 200, 0};
  const BmpImage image = DecodeBmp(InfoFile(f));
  ASSERT_EQ(image.palette.size(), 256u);
  EXPECT_EQ(image.palette[1], (RgbQuad{40, 50, 60, 0}));
  EXPECT_EQ(image.palette[2], (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(ToArgb(image), (std::vector<uint32_t>{0xFF1E140A, 0xFF3C3228, 0xFF000000}));
}

TEST(BmpDecode, CoreHeaderWithThreeByteTable) {
  Builder b;
  b.U8('B').U8('M').U32(0).U32(0).U32(14 + 12 + 6);
  b.U32(12).U16(2).U16(1).U16(1).U16(1);
  b.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);  // two entries, blue/green/red
  b.U8(0x40).U8(0).U8(0).U8(0);            // pixels 0 then 1
  const BmpImage image = DecodeBmp(b.bytes);
  ASSERT_EQ(image.bits_per_pixel, 1);
  EXPECT_EQ(ToArgb(image), (std::vector<uint32_t>{0xFF030201, 0xFF060504}));
}

TEST(BmpDecode, TwoBitPicturesWidenToEightBits) {
  InfoFields f;
  f.width = 5;
  f.bits = 2;
  f.colors_used = 4;
  f.between = Palette({{0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}});
  f.pixels = {0b00011011, 0b10000000, 0, 0};
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.pixels, (Bytes{0, 1, 2, 3, 2, 0, 0, 0}));
}

// Pixels laid out by bit masks: 5-6-5 becomes 32 bits, the 5-5-5 masks of
// a plain 16-bit picture keep its layout, and alpha bit fields keep alpha.
// A 5-bit channel v scales to (v × 255 + 15) / 31: blue 16 of 31 is 132.
TEST(BmpDecode, BitFieldsAsTheirMasksSay) {
  const struct {
    const char* what;
    int32_t width;
    uint16_t bits;
    uint32_t compression;
    std::vector<uint32_t> masks;
    Bytes pixels;
    uint16_t decoded_bits;
    bool has_alpha;
    std::vector<uint32_t> argb;
  } cases[] = {
      {"5-6-5", 3, 16, 3, {0xF800, 0x07E0, 0x001F}, {0x00, 0xF8, 0xE0, 0x07, 0x10, 0x00, 0, 0}, 32, false,
       {0xFFFF0000, 0xFF00FF00, 0xFF000084}},
      // 0x1234: red 4, green 17, blue 20 of 31.
      {"the default 5-5-5", 1, 16, 3, {0x7C00, 0x03E0, 0x001F}, {0x34, 0x12, 0, 0}, 16, false, {0xFF218CA5}},
      // BI_ALPHABITFIELDS: four masks after the header.
      {"alpha", 1, 32, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {1, 2, 3, 0x80}, 32, true,
       {0x80030201}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InfoFields f;
    f.width = c.width;
    f.bits = c.bits;
    f.compression = c.compression;
    Builder masks;
    for (uint32_t mask : c.masks) masks.U32(mask);
    f.between = masks.bytes;
    f.pixels = c.pixels;
    const BmpImage image = DecodeBmp(InfoFile(f));
    EXPECT_EQ(image.bits_per_pixel, c.decoded_bits);
    EXPECT_EQ(image.has_alpha, c.has_alpha);
    EXPECT_EQ(ToArgb(image), c.argb);
    if (c.decoded_bits == c.bits) EXPECT_EQ(image.pixels, c.pixels) << "kept as stored";
  }
}

TEST(BmpDecode, Rle8RunsLiteralsDeltaAndEndOfLine) {
  InfoFields f;
  f.width = 6;
  f.height = 3;
  f.bits = 8;
  f.compression = 1;
  f.colors_used = 8;
  f.between = Palette({{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0},
                       {4, 0, 0, 0}, {5, 0, 0, 0}, {6, 0, 0, 0}, {7, 0, 0, 0}});
  f.pixels = {
      3, 7,           // bottom row: 7 7 7
      0, 3, 1, 2, 3, 0,  // literal 1 2 3 (padded)
      0, 0,           // end of line
      0, 2, 2, 1,     // delta: right 2, up 1 (skips the middle row)
      2, 5,           // top row from x = 2: 5 5
      0, 1,           // end of bitmap
  };
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.pixels, (Bytes{7, 7, 7, 1, 2, 3, 0, 0,   // bottom
                                 0, 0, 0, 0, 0, 0, 0, 0,   // skipped: index 0
                                 0, 0, 5, 5, 0, 0, 0, 0}));
}

TEST(BmpDecode, Rle4RunsAlternateNibbles) {
  InfoFields f;
  f.width = 6;
  f.height = 1;
  f.bits = 4;
  f.compression = 2;
  f.colors_used = 16;
  f.between = Bytes(64, 0);
  f.pixels = {3, 0x12, 0, 3, 0x34, 0x50, 0, 1};  // 1 2 1 then literal 3 4 5
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(image.pixels, (Bytes{0x12, 0x13, 0x45, 0}));
}

}  // namespace
