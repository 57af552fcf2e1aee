#include "toolkit/graphics/bmp_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <vector>

#include "allocation_probe.h"

namespace {

using kelvora_image::BmpImage;
using kelvora_image::DecodeBmp;
using kelvora_image::EncodeBmp;
using kelvora_image::InvalidBitmap;
using kelvora_image::RgbQuad;
using kelvora_image::ToArgb;

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
Bytes InfoFile(const InfoFields& f) {
  const uint32_t offset = static_cast<uint32_t>(54 + f.between.size());
  Builder b;
  b.U8('B').U8('M').U32(static_cast<uint32_t>(offset + f.pixels.size())).U32(0).U32(offset);
  b.U32(40).I32(f.width).I32(f.height).U16(f.planes).U16(f.bits).U32(f.compression);
  b.U32(f.size_image).U32(0).U32(0).U32(f.colors_used).U32(0);
  b.Raw(f.between).Raw(f.pixels);
  return b.bytes;
}

Bytes Palette(std::initializer_list<RgbQuad> entries) {
  Bytes out;
  for (const RgbQuad& q : entries) out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
  return out;
}

// A stand-in for the screen's halftone palette: 256 distinct entries whose
// reserved byte is deliberately not 0, to show that the writer clears it.
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

TEST(BmpEncode, EightBitWithFullColourTable) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 8;
  image.palette = FakeHalftone();
  // Rows of 3 pixels padded to 4 bytes; bottom row first.
  image.pixels = {10, 11, 12, 0, 20, 21, 22, 0};
  const Bytes file = EncodeBmp(image);
  // 14 + 40 + 256 × 4 = 1078 bytes before the pixels, 8 bytes of pixels.
  ExpectHeader(file, 1086, 1078, 3, 2, 8, 8, 256);
  ExpectTableWritten(file, image.palette);
  EXPECT_EQ(Tail(file, 1078), (Bytes{10, 11, 12, 0, 20, 21, 22, 0}));
}

TEST(BmpEncode, SixteenBitWithAdditionalTable) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 16;
  image.palette = FakeHalftone();
  // 3 × 2 bytes padded to 8 per row.
  image.pixels = {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0, 0,
                  0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0};
  const Bytes file = EncodeBmp(image);
  ExpectHeader(file, 1078 + 16, 1078, 3, 2, 16, 16, 256);
  ExpectTableWritten(file, image.palette);
  EXPECT_EQ(Tail(file, 1078), image.pixels);
}

TEST(BmpEncode, TwentyFourBitWithAdditionalTable) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 24;
  image.palette = FakeHalftone();
  // 9 bytes padded to 12 per row.
  image.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0};
  const Bytes file = EncodeBmp(image);
  ExpectHeader(file, 1102, 1078, 3, 2, 24, 24, 256);
  ExpectTableWritten(file, image.palette);
  EXPECT_EQ(Tail(file, 1078), image.pixels);
}

TEST(BmpEncode, ThirtyTwoBitWithAdditionalTable) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 32;
  image.palette = FakeHalftone();
  image.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0};
  const Bytes file = EncodeBmp(image);
  ExpectHeader(file, 1102, 1078, 3, 2, 32, 24, 256);
  ExpectTableWritten(file, image.palette);
  EXPECT_EQ(Tail(file, 1078), image.pixels);
}

TEST(BmpEncode, ShortTableMovesThePixelOffset) {
  BmpImage image;
  image.width = 5;
  image.height = 3;
  image.bits_per_pixel = 24;
  image.palette.assign(20, RgbQuad{1, 2, 3, 0});
  image.pixels.assign(48, 0xAB);  // 15 bytes padded to 16, three rows
  const Bytes file = EncodeBmp(image);
  // 54 + 20 × 4 = 134; 134 + 48 = 182.
  ExpectHeader(file, 182, 134, 5, 3, 24, 48, 20);
}

TEST(BmpEncode, NoTableStartsPixelsAfterTheHeader) {
  BmpImage image;
  image.width = 1;
  image.height = 1;
  image.bits_per_pixel = 24;
  image.pixels = {7, 8, 9, 0};
  const Bytes file = EncodeBmp(image);
  ExpectHeader(file, 58, 54, 1, 1, 24, 4, 0);
  EXPECT_EQ(Tail(file, 54), (Bytes{7, 8, 9, 0}));
}

TEST(BmpEncode, OneBitRowsPadToFourBytes) {
  BmpImage image;
  image.width = 10;
  image.height = 2;
  image.bits_per_pixel = 1;
  image.palette = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
  image.pixels = {0xFF, 0xC0, 0, 0, 0x80, 0x40, 0, 0};
  const Bytes file = EncodeBmp(image);
  ExpectHeader(file, 70, 62, 10, 2, 1, 8, 2);
  EXPECT_EQ(Tail(file, 62), image.pixels);
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

TEST(BmpDecode, Rgb565BecomesThirtyTwoBit) {
  InfoFields f;
  f.width = 3;
  f.bits = 16;
  f.compression = 3;
  Builder masks;
  masks.U32(0xF800).U32(0x07E0).U32(0x001F);
  f.between = masks.bytes;
  f.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x10, 0x00, 0, 0};
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 32);
  EXPECT_FALSE(image.has_alpha);
  // Blue 16 of 31 scales to 132 (16 × 255 / 31 = 131.6, rounded).
  EXPECT_EQ(ToArgb(image), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF000084}));
}

TEST(BmpDecode, DefaultMasksKeepTheBiRgbLayout) {
  InfoFields f;
  f.width = 1;
  f.bits = 16;
  f.compression = 3;
  Builder masks;
  masks.U32(0x7C00).U32(0x03E0).U32(0x001F);
  f.between = masks.bytes;
  f.pixels = {0x34, 0x12, 0, 0};
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 16);
  EXPECT_EQ(image.pixels, f.pixels);
}

TEST(BmpDecode, AlphaBitfieldsKeepAlpha) {
  InfoFields f;
  f.width = 1;
  f.bits = 32;
  f.compression = 6;  // BI_ALPHABITFIELDS: four masks after the header
  Builder masks;
  masks.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF).U32(0xFF000000);
  f.between = masks.bytes;
  f.pixels = {1, 2, 3, 0x80};
  const BmpImage image = DecodeBmp(InfoFile(f));
  EXPECT_EQ(image.bits_per_pixel, 32);
  EXPECT_TRUE(image.has_alpha);
  EXPECT_EQ(ToArgb(image), (std::vector<uint32_t>{0x80030201}));
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

// --- Reader: malformed input -------------------------------------------------

Bytes ValidEightBit() {
  InfoFields f;
  f.width = 5;
  f.height = 3;
  f.bits = 8;
  f.colors_used = 2;
  f.between = Palette({{0, 0, 0, 0}, {255, 255, 255, 0}});
  f.pixels.assign(24, 1);
  return InfoFile(f);
}

TEST(BmpDecodeMalformed, EveryTruncationIsRejected) {
  const Bytes whole = ValidEightBit();
  ASSERT_NO_THROW(DecodeBmp(whole));
  for (size_t length = 1; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_THROW(DecodeBmp(Bytes(whole.begin(), whole.begin() + static_cast<long>(length))),
                 InvalidBitmap);
  }
}

TEST(BmpDecodeMalformed, BadSignatureAndHeaderSizes) {
  Bytes file = ValidEightBit();
  file[0] = 'X';
  EXPECT_THROW(DecodeBmp(file), InvalidBitmap);
  for (uint32_t size : {0u, 13u, 41u, 66u, 200u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    file = ValidEightBit();
    file[14] = static_cast<uint8_t>(size);
    file[15] = static_cast<uint8_t>(size >> 8);
    file[16] = static_cast<uint8_t>(size >> 16);
    file[17] = static_cast<uint8_t>(size >> 24);
    EXPECT_THROW(DecodeBmp(file), InvalidBitmap);
  }
}

TEST(BmpDecodeMalformed, BadGeometryAndFormat) {
  struct Case {
    const char* what;
    void (*change)(InfoFields&);
  };
  const Case cases[] = {
      {"zero width", [](InfoFields& f) { f.width = 0; }},
      {"negative width", [](InfoFields& f) { f.width = -5; }},
      {"zero height", [](InfoFields& f) { f.height = 0; }},
      {"most negative height", [](InfoFields& f) { f.height = std::numeric_limits<int32_t>::min(); }},
      {"no planes", [](InfoFields& f) { f.planes = 0; }},
      {"two planes", [](InfoFields& f) { f.planes = 2; }},
      {"zero bits", [](InfoFields& f) { f.bits = 0; }},
      {"three bits", [](InfoFields& f) { f.bits = 3; }},
      {"64 bits", [](InfoFields& f) { f.bits = 64; }},
      {"RLE8 at 24 bits", [](InfoFields& f) { f.bits = 24; f.compression = 1; }},
      {"RLE4 at 8 bits", [](InfoFields& f) { f.compression = 2; }},
      {"bit fields at 8 bits", [](InfoFields& f) { f.compression = 3; }},
      {"JPEG inside", [](InfoFields& f) { f.compression = 4; }},
      {"PNG inside", [](InfoFields& f) { f.compression = 5; }},
      {"unknown compression", [](InfoFields& f) { f.compression = 77; }},
      {"top-down RLE", [](InfoFields& f) { f.height = -3; f.compression = 1; }},
      {"table larger than the file", [](InfoFields& f) { f.colors_used = 0x40000000; }},
      {"table count that overflows", [](InfoFields& f) { f.colors_used = 0xFFFFFFFF; }},
      {"image size beyond the file", [](InfoFields& f) { f.size_image = 0x7FFFFFF0; }},
      {"pixel rows cut short", [](InfoFields& f) { f.pixels.resize(20); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InfoFields f;
    f.width = 5;
    f.height = 3;
    f.bits = 8;
    f.colors_used = 2;
    f.between = Palette({{0, 0, 0, 0}, {255, 255, 255, 0}});
    f.pixels.assign(24, 1);
    c.change(f);
    EXPECT_THROW(DecodeBmp(InfoFile(f)), InvalidBitmap);
  }
}

TEST(BmpDecodeMalformed, PixelOffsetOutsideTheFile) {
  const Bytes valid = ValidEightBit();
  for (uint32_t offset : {static_cast<uint32_t>(valid.size()), static_cast<uint32_t>(valid.size() - 23),
                          0xFFFFFFF0u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(offset);
    Bytes file = valid;
    for (int i = 0; i < 4; ++i) file[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
    EXPECT_THROW(DecodeBmp(file), InvalidBitmap);
  }
}

TEST(BmpDecodeMalformed, BadBitfieldMasks) {
  const std::initializer_list<uint32_t> cases[] = {
      {0xF0F0, 0x0F00, 0x000F},       // red not one run of bits
      {0xFC00, 0x07E0, 0x001F},       // red and green overlap
      {0x1F0000, 0x07E0, 0x001F},     // red outside 16 bits
  };
  for (const auto& masks : cases) {
    InfoFields f;
    f.width = 2;
    f.bits = 16;
    f.compression = 3;
    Builder b;
    for (uint32_t m : masks) b.U32(m);
    f.between = b.bytes;
    f.pixels = {0, 0, 0, 0};
    EXPECT_THROW(DecodeBmp(InfoFile(f)), InvalidBitmap);
  }
}

TEST(BmpDecodeMalformed, HugeClaimsAreRefusedBeforeAllocating) {
  struct Case {
    const char* what;
    InfoFields fields;
  };
  InfoFields uncompressed;
  uncompressed.width = 50000;
  uncompressed.height = 50000;
  uncompressed.bits = 32;
  uncompressed.pixels.assign(64, 0);
  InfoFields over_cap = uncompressed;
  over_cap.width = 1 << 15;
  over_cap.height = (1 << 13) + 1;  // one row over 2^28 pixels
  over_cap.bits = 8;
  over_cap.compression = 1;
  over_cap.colors_used = 1;
  over_cap.between = Bytes(4, 0);
  over_cap.pixels = {0, 1};
  InfoFields rle = over_cap;
  rle.width = 4096;
  rle.height = 4096;  // 2^24 pixels from two bytes of RLE
  InfoFields top_down = uncompressed;
  top_down.height = -50000;

  for (const Case& c : {Case{"uncompressed", uncompressed}, Case{"over the pixel cap", over_cap},
                        Case{"implausible RLE", rle}, Case{"top-down", top_down}}) {
    SCOPED_TRACE(c.what);
    const Bytes file = InfoFile(c.fields);
    kelvora_test::ResetLargestAllocation();
    EXPECT_THROW(DecodeBmp(file), InvalidBitmap);
    EXPECT_LT(kelvora_test::LargestAllocation(), 1u << 20);
  }
}

Bytes RleFile(int32_t width, int32_t height, uint32_t compression, const Bytes& data) {
  InfoFields f;
  f.width = width;
  f.height = height;
  f.bits = compression == 1 ? 8 : 4;
  f.compression = compression;
  f.colors_used = 2;
  f.between = Palette({{0, 0, 0, 0}, {255, 255, 255, 0}});
  f.pixels = data;
  return InfoFile(f);
}

TEST(BmpDecodeMalformed, RleThatLeavesThePicture) {
  struct Case {
    const char* what;
    Bytes data;
  };
  const Case cases[] = {
      {"run past the end of the row", {5, 1, 0, 1}},
      {"literal past the end of the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}},
      {"run after the last row", {0, 0, 0, 0, 1, 1, 0, 1}},
      {"end of line past the last row", {0, 0, 0, 0, 0, 0, 0, 1}},
      {"delta past the right edge", {0, 2, 5, 0, 0, 1}},
      {"delta past the top", {0, 2, 0, 3, 0, 1}},
      {"data stops inside a command", {1}},
      {"data stops inside a delta", {0, 2, 1}},
      {"literal data cut short", {0, 4, 1, 1}},
      {"no end of bitmap", {4, 1}},
  };
  for (uint32_t compression : {1u, 2u}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (compression == 1 ? " (RLE8)" : " (RLE4)"));
      EXPECT_THROW(DecodeBmp(RleFile(4, 2, compression, c.data)), InvalidBitmap);
    }
  }
}

TEST(BmpDecodeMalformed, RleImageSizeBeyondTheFile) {
  Bytes file = RleFile(4, 2, 1, {4, 1, 0, 1});
  file[34] = 0xFF;  // biSizeImage
  EXPECT_THROW(DecodeBmp(file), InvalidBitmap);
}

}  // namespace
