#pragma once
// JPEG pictures: decoded into a bitmap for drawing, the file's bytes kept
// as they came for saving.
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphic.h"

class TJPEGImage : public TGraphic {
 public:
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  void Draw(HDC dc, const RECT& dest) const override { bitmap_.Draw(dc, dest); }
  void LoadFromBytes(std::span<const uint8_t> data) override;
  std::vector<uint8_t> SaveToBytes() const override { return bytes_; }

 private:
  TBitmap bitmap_;
  std::vector<uint8_t> bytes_;
};
