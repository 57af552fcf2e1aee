// The BMP reader against hand-made broken files: each must raise
// InvalidBitmap, and none may allocate what its header claims first.
#include "toolkit/graphics/bmp_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "allocation_probe.h"
#include "tests/support/bmp_test_files.h"

namespace {

using kelvora_image::DecodeBmp;
using kelvora_image::InvalidBitmap;
using kelvora_test::Builder;
using kelvora_test::Bytes;
using kelvora_test::InfoFields;
using kelvora_test::InfoFile;
using kelvora_test::Palette;

// A valid 5 x 3 picture of 8 bits with a two-entry table, each malformed
// file's starting point.
InfoFields ValidEightBitFields() {
  InfoFields f;
  f.width = 5;
  f.height = 3;
  f.bits = 8;
  f.colors_used = 2;
  f.between = Palette({{0, 0, 0, 0}, {255, 255, 255, 0}});
  f.pixels.assign(24, 1);
  return f;
}

Bytes ValidEightBit() { return InfoFile(ValidEightBitFields()); }

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
    InfoFields f = ValidEightBitFields();
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
