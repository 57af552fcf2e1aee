#pragma once
// Bitmaps: device-dependent or DIB sections of any depth, with a palette,
// a canvas to draw on, and BMP files read and written through the portable
// codec.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "toolkit/graphics/bmp_codec.h"
#include "toolkit/graphics/graphic.h"
#include "toolkit/win/handle.h"

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// A display whose colours come from a 256-entry palette (RC_PALETTE, with
// SIZEPALETTE 256). The palette decides, not the depth: Wine 10 reports 16
// bits per pixel beside the palette of an 8-bit X display. The captures and
// the drawing of pictures all ask this one question.
bool PaletteDisplay(HDC dc);

// A memory DC with the bitmap selected, for drawing on and copying from.
class TCanvas {
 public:
  HDC Handle() const noexcept { return dc_.get(); }

 private:
  friend class TBitmap;
  unique_hdc dc_;
  // The picture selected into the DC; the DC's own bitmap comes back when
  // it goes, before the DC.
  std::optional<select_object> selection_;
};

class TBitmap : public TGraphic {
 public:
  TBitmap() = default;
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int width);
  void SetHeight(int height);
  TPixelFormat PixelFormat() const;
  // pf8bit gives the bitmap the screen's halftone palette and, when it has a
  // size, 8-bit storage with that palette as its colour table.
  void SetPixelFormat(TPixelFormat format);

  HBITMAP Handle() const noexcept { return handle_.get(); }
  // The picture's storage from now on; the palette stays.
  void SetHandle(unique_hbitmap bitmap);
  HPALETTE Palette() const noexcept { return palette_.get(); }
  void SetPalette(unique_hpalette palette);
  TCanvas& Canvas();

  void Draw(HDC dc, const RECT& dest) const override;
  void LoadFromBytes(std::span<const uint8_t> data) override;
  std::vector<uint8_t> SaveToBytes() const override;

  void FromImage(const kelvora_image::BmpImage& image);

 private:
  void ReleaseCanvas() const;
  // The picture's size and depth, and for a deeper picture its palette as
  // the additional table.
  kelvora_image::BmpImage Shape() const;
  // Reads `count` rows from the bottom-up row `first` as a bottom-up BI_RGB
  // DIB of `shape`'s depth into `pixels` (RowStride × count bytes), and an
  // indexed picture's table into `shape`.
  void ReadRows(kelvora_image::BmpImage& shape, int first, int count, uint8_t* pixels) const;
  // Hands the picture's file to `put` in order: the headers, then the
  // pixel rows in bands, each read from the picture as it goes out.
  void WriteBands(const std::function<void(std::span<const uint8_t>)>& put) const;
  void SaveToStream(TFileStream& stream) const override;
  // An 8-bit picture with a palette is written with that palette as its
  // table, its pixels indexing it.
  void IndexIntoPalette(kelvora_image::BmpImage& shape, uint8_t* pixels, int rows) const;
  void CreateStorage(int bits);
  int Bits() const;

  unique_hbitmap handle_;
  unique_hpalette palette_;
  int width_ = 0, height_ = 0;
  TPixelFormat format_ = TPixelFormat::pfDevice;
  mutable TCanvas canvas_;
};
