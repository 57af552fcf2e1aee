#pragma once
// Icon pictures, from an .ico file or an icon handle.
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/graphics/graphic.h"
#include "toolkit/win/handle.h"

class TIcon : public TGraphic {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  HICON Handle() const noexcept { return icon_.get(); }
  // Takes ownership of the icon.
  void SetHandle(unique_hicon icon);
  void Draw(HDC dc, const RECT& dest) const override;
  void LoadFromBytes(std::span<const uint8_t> data) override;
  std::vector<uint8_t> SaveToBytes() const override { return bytes_; }

 private:
  unique_hicon icon_;
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> bytes_;
};
