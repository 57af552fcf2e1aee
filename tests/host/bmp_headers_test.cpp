// The bytes before the pixels, for callers that read the pixels straight into
// the file: they must be exactly what EncodeBmp writes before them.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "tests/support/bmp_reference.h"
#include "toolkit/graphics/bmp_codec.h"

namespace {

using kelvora_image::BmpImage;
using kelvora_image::EncodeBmp;
using kelvora_image::EncodeBmpHeaders;
using kelvora_image::RgbQuad;
using kelvora_image::RowStride;

BmpImage Picture(int32_t width, int32_t height, uint16_t bits, size_t table) {
  BmpImage image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  for (size_t i = 0; i < table; ++i)
    image.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(~i), 0});
  image.pixels.resize(RowStride(width, bits) * static_cast<size_t>(height));
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
  return image;
}

TEST(BmpHeaders, AreWhatEncodeBmpWritesBeforeThePixels) {
  for (const BmpImage& image : {Picture(37, 23, 8, 256), Picture(37, 23, 16, 256), Picture(37, 23, 24, 256),
                                Picture(37, 23, 32, 256), Picture(5, 3, 32, 0), Picture(9, 2, 4, 16),
                                Picture(3, 3, 1, 2), Picture(6, 1, 8, 20)}) {
    SCOPED_TRACE(image.bits_per_pixel);
    std::vector<uint8_t> file = EncodeBmpHeaders(image);
    EXPECT_EQ(file.size(), 54 + 4 * image.palette.size());
    file.insert(file.end(), image.pixels.begin(), image.pixels.end());
    EXPECT_EQ(file, EncodeBmp(image));
  }
}

TEST(BmpHeaders, DoNotLookAtThePixelBuffer) {
  BmpImage image = Picture(37, 23, 24, 256);
  const std::vector<uint8_t> full = EncodeBmpHeaders(image);
  image.pixels.clear();
  EXPECT_EQ(EncodeBmpHeaders(image), full);
  EXPECT_THROW(EncodeBmp(image), std::invalid_argument);
}

TEST(BmpHeaders, RejectWhatEncodeBmpRejects) {
  BmpImage no_table = Picture(4, 4, 8, 0);
  EXPECT_THROW(EncodeBmpHeaders(no_table), std::invalid_argument);
  BmpImage odd_depth = Picture(4, 4, 8, 256);
  odd_depth.bits_per_pixel = 12;
  EXPECT_THROW(EncodeBmpHeaders(odd_depth), std::invalid_argument);
  BmpImage big_table = Picture(4, 4, 24, 257);
  EXPECT_THROW(EncodeBmpHeaders(big_table), std::invalid_argument);
  EXPECT_TRUE(EncodeBmpHeaders(BmpImage{}).empty());
}

}  // namespace
