#include "toolkit/graphics/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "allocation_probe.h"

namespace {

using kelvora_image::BmpImage;
using kelvora_image::DecodeJpeg;
using kelvora_image::InvalidJpeg;

using Bytes = std::vector<uint8_t>;

struct EncodeOptions {
  int width = 32;
  int height = 32;
  J_COLOR_SPACE colour = JCS_RGB;
  bool progressive = false;
  std::vector<jpeg_scan_info> scans;  // a progressive scan script of our own
};

// Test inputs come from libjpeg's own compressor. `pixel` fills one sample
// set (RGB, grey or CMYK, as `colour` says) for a given position.
Bytes EncodeJpeg(const EncodeOptions& options,
                 const std::function<void(int x, int y, JSAMPLE* out)>& pixel) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(options.width);
  info.image_height = static_cast<JDIMENSION>(options.height);
  info.in_color_space = options.colour;
  info.input_components = options.colour == JCS_GRAYSCALE ? 1 : options.colour == JCS_CMYK ? 4 : 3;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  if (!options.scans.empty()) {
    info.scan_info = options.scans.data();
    info.num_scans = static_cast<int>(options.scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(options.width * info.input_components));
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < options.width; ++x) {
      pixel(x, static_cast<int>(info.next_scanline), &row[static_cast<size_t>(x * info.input_components)]);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Top half red, bottom half blue.
Bytes RedOverBlue(const EncodeOptions& options = {}) {
  return EncodeJpeg(options, [&](int, int y, JSAMPLE* out) {
    const bool top = y < options.height / 2;
    out[0] = top ? 255 : 0;
    out[1] = 0;
    out[2] = top ? 0 : 255;
  });
}

// Blue, green, red of the pixel at (x, y) counted from the top.
struct Bgr {
  int blue, green, red;
};
Bgr PixelAt(const BmpImage& image, int x, int y) {
  const size_t stride = kelvora_image::RowStride(image.width, 24);
  const uint8_t* p = image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * stride + 3 * x;
  return {p[0], p[1], p[2]};
}

void ExpectNear(Bgr got, Bgr want) {
  constexpr int kTolerance = 12;  // JPEG is lossy even at quality 100
  EXPECT_NEAR(got.blue, want.blue, kTolerance);
  EXPECT_NEAR(got.green, want.green, kTolerance);
  EXPECT_NEAR(got.red, want.red, kTolerance);
}

size_t FindMarker(const Bytes& file, uint8_t marker) {
  for (size_t i = 0; i + 1 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == marker) return i;
  }
  ADD_FAILURE() << "marker not found";
  return file.size();
}

TEST(JpegDecoder, DecodesColourIntoBottomUpBgrRows) {
  const BmpImage image = DecodeJpeg(RedOverBlue());
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_TRUE(image.palette.empty());
  ASSERT_EQ(image.pixels.size(), 32u * 96u);
  ExpectNear(PixelAt(image, 3, 2), {0, 0, 255});
  ExpectNear(PixelAt(image, 28, 29), {255, 0, 0});
  // The first stored row is the bottom one, blue.
  ExpectNear(Bgr{image.pixels[0], image.pixels[1], image.pixels[2]}, {255, 0, 0});
}

TEST(JpegDecoder, RowsArePaddedToFourBytes) {
  EncodeOptions options;
  options.width = 13;
  options.height = 7;
  const BmpImage image = DecodeJpeg(RedOverBlue(options));
  EXPECT_EQ(image.width, 13);
  EXPECT_EQ(image.height, 7);
  ASSERT_EQ(image.pixels.size(), 7u * 40u);  // 39 bytes padded to 40
  for (int y = 0; y < 7; ++y) EXPECT_EQ(image.pixels[static_cast<size_t>(y) * 40 + 39], 0);
}

TEST(JpegDecoder, GreyscaleComesOutAsGreyPixels) {
  EncodeOptions options;
  options.colour = JCS_GRAYSCALE;
  const BmpImage image =
      DecodeJpeg(EncodeJpeg(options, [](int x, int, JSAMPLE* out) { out[0] = x < 16 ? 40 : 200; }));
  EXPECT_EQ(image.bits_per_pixel, 24);
  ExpectNear(PixelAt(image, 4, 10), {40, 40, 40});
  ExpectNear(PixelAt(image, 27, 10), {200, 200, 200});
  const Bgr p = PixelAt(image, 27, 10);
  EXPECT_EQ(p.blue, p.green);
  EXPECT_EQ(p.green, p.red);
}

TEST(JpegDecoder, DecodesProgressiveFiles) {
  EncodeOptions options;
  options.progressive = true;
  const BmpImage image = DecodeJpeg(RedOverBlue(options));
  EXPECT_EQ(image.width, 32);
  ExpectNear(PixelAt(image, 3, 2), {0, 0, 255});
  ExpectNear(PixelAt(image, 28, 29), {255, 0, 0});
}

// A greyscale progressive file that sends each AC coefficient on its own in
// `steps` successive-approximation scans: 1 + 63 × steps scans, all valid.
Bytes ManyScans(int steps) {
  EncodeOptions options;
  options.width = 16;
  options.height = 16;
  options.colour = JCS_GRAYSCALE;
  options.scans.push_back(jpeg_scan_info{1, {0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    options.scans.push_back(jpeg_scan_info{1, {0}, k, k, 0, steps - 1});
    for (int al = steps - 2; al >= 0; --al) {
      options.scans.push_back(jpeg_scan_info{1, {0}, k, k, al + 1, al});
    }
  }
  return EncodeJpeg(options, [](int x, int y, JSAMPLE* out) { out[0] = static_cast<JSAMPLE>(x * 16 + y); });
}

TEST(JpegDecoder, RefusesFilesWithHundredsOfScans) {
  EXPECT_EQ(DecodeJpeg(ManyScans(1)).width, 16);  // 64 scans
  EXPECT_THROW(DecodeJpeg(ManyScans(9)), InvalidJpeg);  // 568 scans
}

TEST(JpegDecoder, RejectsWhatIsNotAJpeg) {
  EXPECT_THROW(DecodeJpeg({}), InvalidJpeg);
  EXPECT_THROW(DecodeJpeg(Bytes{'B', 'M', 0, 0, 0, 0}), InvalidJpeg);
  EXPECT_THROW(DecodeJpeg(Bytes(1000, 0xFF)), InvalidJpeg);
}

TEST(JpegDecoder, EveryCutBeforeTheScanIsRejected) {
  const Bytes whole = RedOverBlue();
  const size_t scan = FindMarker(whole, 0xDA);
  for (size_t length = 0; length <= scan; ++length) {
    SCOPED_TRACE(length);
    EXPECT_THROW(DecodeJpeg(Bytes(whole.begin(), whole.begin() + static_cast<long>(length))),
                 InvalidJpeg);
  }
}

TEST(JpegDecoder, ScanDataCutShortStillGivesTheWholePicture) {
  const Bytes whole = RedOverBlue();
  const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(FindMarker(whole, 0xDA) + 40));
  const BmpImage image = DecodeJpeg(cut);
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
}

TEST(JpegDecoder, RejectsBrokenFrameHeaders) {
  const Bytes whole = RedOverBlue();
  const size_t frame = FindMarker(whole, 0xC0);  // baseline SOF0
  // SOF0: marker, length (2), precision, height (2), width (2), components.
  Bytes zero_width = whole;
  zero_width[frame + 7] = 0;
  zero_width[frame + 8] = 0;
  EXPECT_THROW(DecodeJpeg(zero_width), InvalidJpeg);

  Bytes no_components = whole;
  no_components[frame + 9] = 0;
  EXPECT_THROW(DecodeJpeg(no_components), InvalidJpeg);

  Bytes bad_huffman = whole;
  const size_t table = FindMarker(whole, 0xC4);
  // Table class/index byte, then sixteen code counts: make them claim more
  // codes than a Huffman table can hold.
  for (size_t i = 0; i < 16; ++i) bad_huffman[table + 5 + i] = 0xFF;
  EXPECT_THROW(DecodeJpeg(bad_huffman), InvalidJpeg);
}

TEST(JpegDecoder, RefusesHugePicturesBeforeAllocating) {
  Bytes huge = RedOverBlue();
  const size_t frame = FindMarker(huge, 0xC0);
  // 65000 × 65000 pixels, far over the cap.
  huge[frame + 5] = 0xFD;
  huge[frame + 6] = 0xE8;
  huge[frame + 7] = 0xFD;
  huge[frame + 8] = 0xE8;
  kelvora_test::ResetLargestAllocation();
  EXPECT_THROW(DecodeJpeg(huge), InvalidJpeg);
  EXPECT_LT(kelvora_test::LargestAllocation(), 1u << 20);
}

TEST(JpegDecoder, CallerCanLowerThePixelCap) {
  const Bytes file = RedOverBlue();
  EXPECT_THROW(DecodeJpeg(file, 32 * 32 - 1), InvalidJpeg);
  EXPECT_NO_THROW(DecodeJpeg(file, 32 * 32));
}

TEST(JpegDecoder, CmykIsReportedNotMisdrawn) {
  EncodeOptions options;
  options.colour = JCS_CMYK;
  const Bytes file = EncodeJpeg(options, [](int, int, JSAMPLE* out) {
    out[0] = 10;
    out[1] = 20;
    out[2] = 30;
    out[3] = 40;
  });
  EXPECT_THROW(DecodeJpeg(file), InvalidJpeg);
}

}  // namespace
