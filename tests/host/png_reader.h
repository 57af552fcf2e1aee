#pragma once
// A small PNG reader for comparing decoded bitmaps with reference renderings:
// non-interlaced greyscale, RGB, palette, grey+alpha and RGBA pictures at the
// bit depths PNG allows, with tRNS. Anything else is reported as unreadable.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvora_test {

struct PngPicture {
  int32_t width = 0;
  int32_t height = 0;
  // 0xAARRGGBB, top row first; 16-bit samples are scaled to 8 bits, rounded.
  std::vector<uint32_t> argb;
};

// The picture, or nullopt with the reason in *why.
std::optional<PngPicture> ReadPng(std::span<const uint8_t> file, std::string* why);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace kelvora_test
