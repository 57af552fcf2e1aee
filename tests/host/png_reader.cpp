#include "png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kelvora_test {
namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
  const int p = int{a} + int{b} - int{c};
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

std::optional<PngPicture> ReadPng(std::span<const uint8_t> file, std::string* why) {
  static constexpr std::array<uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
    *why = "not a PNG file";
    return std::nullopt;
  }
  uint32_t width = 0, height = 0;
  int depth = 0, colour = -1, interlace = 0;
  std::vector<uint8_t> compressed;
  std::vector<uint32_t> palette;  // 0xAARRGGBB
  std::vector<uint8_t> transparency;
  size_t pos = 8;
  while (pos + 12 <= file.size()) {
    const uint32_t length = Be32(&file[pos]);
    if (length > file.size() - pos - 12) break;
    const std::string type(reinterpret_cast<const char*>(&file[pos + 4]), 4);
    const uint8_t* data = &file[pos + 8];
    if (type == "IHDR" && length >= 13) {
      width = Be32(data);
      height = Be32(data + 4);
      depth = data[8];
      colour = data[9];
      interlace = data[12];
    } else if (type == "PLTE") {
      for (uint32_t i = 0; i + 3 <= length; i += 3) {
        palette.push_back(0xFF000000u | (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) |
                          data[i + 2]);
      }
    } else if (type == "tRNS") {
      transparency.assign(data, data + length);
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), data, data + length);
    } else if (type == "IEND") {
      break;
    }
    pos += 12 + length;
  }
  if (width == 0 || height == 0 || width > 65536 || height > 65536) {
    *why = "missing or unusable IHDR";
    return std::nullopt;
  }
  if (interlace != 0) {
    *why = "interlaced PNG";
    return std::nullopt;
  }
  int channels = 0;
  switch (colour) {
    case 0: channels = 1; break;
    case 2: channels = 3; break;
    case 3: channels = 1; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default:
      *why = "unknown colour type";
      return std::nullopt;
  }
  const bool depth_ok = (depth == 8 || depth == 16) ||
                        ((colour == 0 || colour == 3) && (depth == 1 || depth == 2 || depth == 4));
  if (!depth_ok || (colour == 3 && depth == 16)) {
    *why = "unsupported bit depth";
    return std::nullopt;
  }

  const size_t bits_per_pixel = static_cast<size_t>(channels) * static_cast<size_t>(depth);
  const size_t row_bytes = (width * bits_per_pixel + 7) / 8;
  const size_t step = std::max<size_t>(1, bits_per_pixel / 8);
  std::vector<uint8_t> raw(height * (row_bytes + 1));
  uLongf raw_size = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &raw_size, compressed.data(), static_cast<uLong>(compressed.size())) !=
          Z_OK ||
      raw_size != raw.size()) {
    *why = "bad compressed data";
    return std::nullopt;
  }

  std::vector<uint8_t> previous(row_bytes, 0);
  std::vector<uint8_t> row(row_bytes);
  PngPicture picture;
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.argb.resize(static_cast<size_t>(width) * height);
  const int max_sample = (1 << depth) - 1;
  auto sample = [&](size_t x, int channel) -> int {
    if (depth == 16) {
      const size_t at = (x * channels + channel) * 2;
      return ((row[at] << 8 | row[at + 1]) * 255 + 32767) / 65535;
    }
    if (depth == 8) return row[x * channels + channel];
    const size_t bit = x * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & max_sample;
  };
  auto full_sample = [&](size_t x, int channel) -> int {
    if (depth == 16) return (row[(x * channels + channel) * 2] << 8) | row[(x * channels + channel) * 2 + 1];
    return sample(x, channel);
  };
  auto key = [&](int i) -> int {
    return static_cast<size_t>(2 * i + 1) < transparency.size()
               ? (transparency[2 * i] << 8) | transparency[2 * i + 1]
               : -1;
  };
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = &raw[y * (row_bytes + 1)];
    const uint8_t filter = src[0];
    for (size_t i = 0; i < row_bytes; ++i) {
      const uint8_t a = i >= step ? row[i - step] : 0;
      const uint8_t b = previous[i];
      const uint8_t c = i >= step ? previous[i - step] : 0;
      uint8_t v = src[1 + i];
      switch (filter) {
        case 0: break;
        case 1: v = static_cast<uint8_t>(v + a); break;
        case 2: v = static_cast<uint8_t>(v + b); break;
        case 3: v = static_cast<uint8_t>(v + (a + b) / 2); break;
        case 4: v = static_cast<uint8_t>(v + Paeth(a, b, c)); break;
        default:
          *why = "bad filter type";
          return std::nullopt;
      }
      row[i] = v;
    }
    for (size_t x = 0; x < width; ++x) {
      uint32_t argb = 0;
      if (colour == 3) {
        const int index = sample(x, 0);
        if (static_cast<size_t>(index) >= palette.size()) {
          *why = "palette index out of range";
          return std::nullopt;
        }
        argb = palette[index];
        if (static_cast<size_t>(index) < transparency.size()) {
          argb = (argb & 0x00FFFFFFu) | (uint32_t{transparency[index]} << 24);
        }
      } else if (colour == 0 || colour == 4) {
        const int grey = depth < 8 ? sample(x, 0) * 255 / max_sample : sample(x, 0);
        const int alpha = colour == 4 ? sample(x, 1)
                          : full_sample(x, 0) == key(0) ? 0
                                                         : 255;
        argb = (uint32_t(alpha) << 24) | (uint32_t(grey) << 16) | (uint32_t(grey) << 8) | uint32_t(grey);
      } else {
        const bool keyed = colour == 2 && full_sample(x, 0) == key(0) &&
                           full_sample(x, 1) == key(1) && full_sample(x, 2) == key(2);
        const int alpha = colour == 6 ? sample(x, 3) : keyed ? 0 : 255;
        argb = (uint32_t(alpha) << 24) | (uint32_t(sample(x, 0)) << 16) |
               (uint32_t(sample(x, 1)) << 8) | uint32_t(sample(x, 2));
      }
      picture.argb[static_cast<size_t>(y) * width + x] = argb;
    }
    previous = row;
  }
  return picture;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kelvora_test
