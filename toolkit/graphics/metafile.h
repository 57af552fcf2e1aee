#pragma once
// Metafile pictures: placeable Windows metafiles and enhanced metafiles.
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/graphics/graphic.h"
#include "toolkit/win/handle.h"

// A metafile picture. Its size is that of its frame at 96 dots per inch: a
// placeable Windows metafile's extent in its own units per inch, an enhanced
// metafile's frame. Drawn into a rectangle of that size it is unstretched.
// A placeable metafile is played as it is, its extent mapped onto the
// rectangle; any other is held as an enhanced metafile.
class TMetafile : public TGraphic {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Draw(HDC dc, const RECT& dest) const override;
  void LoadFromBytes(std::span<const uint8_t> data) override;
  std::vector<uint8_t> SaveToBytes() const override { return bytes_; }

 private:
  unique_henhmetafile emf_;
  unique_hmetafile wmf_;
  RECT extent_{};  // the placeable metafile's extent, in its own units
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> bytes_;
};
