#pragma once
// Pictures: the graphic classes (bitmap, JPEG, icon, metafile) and TPicture,
// which picks the class from a file name's extension.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "toolkit/core/handle.h"
#include "toolkit/graphics/bmp_codec.h"

class TFileStream;

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Draws the picture stretched into `dest`.
  virtual void Draw(HDC dc, const RECT& dest) const = 0;
  virtual void LoadFromBytes(std::span<const uint8_t> data) = 0;
  // The picture in its own file format.
  virtual std::vector<uint8_t> SaveToBytes() const = 0;

  void LoadFromFile(const std::wstring& path);
  void SaveToFile(const std::wstring& path) const;

 protected:
  // Writes the picture's file into `stream`; by default all of SaveToBytes.
  virtual void SaveToStream(TFileStream& stream) const;
};

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

  // The picture as a device-independent bitmap: its own depth, its colour
  // table, or for deeper pictures its palette as the additional table.
  kelvora_image::BmpImage ToImage() const;
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

class TPicture {
 public:
  TGraphic* Graphic() const noexcept { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    layout_scaled_ = false;
    icon_resource_ = 0;
  }
  // The size the picture is shown at: a layout's picture at the layout's
  // dots per inch, any other at its own size in pixels.
  int Width() const;
  int Height() const;
  // A layout's pictures follow its scale: pictures drawn at their scaled
  // size, icons taken anew at the nearest size they have.
  void ChangeScale(int dpi);
  // The graphic class comes from the extension (any case): .bmp, .jpg,
  // .jpeg, .ico, .emf, .wmf. The current picture stays if loading fails.
  void LoadFromFile(const std::wstring& path);
  // Writes the picture in its own format; with no picture, writes nothing.
  void SaveToFile(const std::wstring& path) const;
  // A JPEG, metafile or icon from this program's resources.
  void LoadJpegResource(int id);
  void LoadMetafileResource(int id);
  void LoadIconResource(int id, int size);

 private:
  std::unique_ptr<TGraphic> graphic_;
  bool layout_scaled_ = false;  // a layout picture, drawn at dpi_
  int dpi_ = 96;
  int icon_resource_ = 0, icon_size_ = 0;
};

// The extension a file name ends with, lower case, with the dot ("" if none).
std::wstring LowerExtension(const std::wstring& path);
