#include "toolkit/graphics/bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "toolkit/core/exceptions.h"
#include "toolkit/graphics/dib.h"
#include "toolkit/win/file_stream.h"

using kelvora_image::BmpImage;
using kelvora_image::RgbQuad;

namespace {

const wchar_t kBitmapInvalid[] = L"Bitmap image is not valid";

// The screen's halftone palette, as the toolkit gives 8-bit pictures.
unique_hpalette ScreenHalftonePalette() {
  window_dc screen(nullptr);
  unique_hpalette palette(screen ? CreateHalftonePalette(screen.get()) : nullptr);
  // Without it the picture's colour table would be all black.
  if (!palette) throw EOutOfResources();
  return palette;
}

std::vector<RgbQuad> PaletteEntries(HPALETTE palette) {
  std::vector<RgbQuad> out;
  if (!palette) return out;
  WORD count = 0;
  // A palette that cannot be read would leave the picture's table black.
  if (!GetObjectW(palette, sizeof(count), &count)) throw EOutOfResources();
  std::vector<PALETTEENTRY> entries(count);
  if (count && GetPaletteEntries(palette, 0, count, entries.data()) != count) throw EOutOfResources();
  for (const PALETTEENTRY& e : entries) out.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return out;
}

unique_hpalette PaletteFrom(const std::vector<RgbQuad>& table) {
  if (table.empty() || table.size() > 256) return {};
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(table.size());
  for (size_t i = 0; i < table.size(); ++i)
    lp->palPalEntry[i] = {table[i].red, table[i].green, table[i].blue, 0};
  return unique_hpalette(CreatePalette(lp));
}

int FormatBits(TPixelFormat f) {
  switch (f) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    default: return 0;
  }
}

TPixelFormat BitsFormat(int bits) {
  switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16: return TPixelFormat::pf15bit;
    case 24: return TPixelFormat::pf24bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pfDevice;
  }
}

}  // namespace

bool PaletteDisplay(HDC dc) {
  return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(dc, SIZEPALETTE) == 256;
}

TBitmap::~TBitmap() { ReleaseCanvas(); }

void TBitmap::ReleaseCanvas() const {
  canvas_.selection_.reset();
  canvas_.dc_.reset();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_.dc_) {
    canvas_.dc_.reset(CreateCompatibleDC(nullptr));
    if (!canvas_.dc_) throw EOutOfResources();
    // A canvas that did not take the picture would draw nowhere: it is
    // given up, and the drawing fails with it.
    if (handle_ && !canvas_.selection_.emplace(canvas_.dc_.get(), handle_.get()).selected()) {
      ReleaseCanvas();
      throw EOutOfResources();
    }
    if (palette_ && !SelectPalette(canvas_.dc_.get(), palette_.get(), TRUE)) {
      ReleaseCanvas();
      throw EOutOfResources();
    }
  }
  return canvas_;
}

int TBitmap::Bits() const {
  if (!handle_) return FormatBits(format_);
  DIBSECTION ds{};
  const int got = GetObjectW(handle_.get(), sizeof(ds), &ds);
  if (got == sizeof(DIBSECTION)) return ds.dsBmih.biBitCount;
  BITMAP bm{};
  GetObjectW(handle_.get(), sizeof(bm), &bm);
  return bm.bmBitsPixel * bm.bmPlanes;
}

TPixelFormat TBitmap::PixelFormat() const { return format_; }

void TBitmap::CreateStorage(int bits) {
  ReleaseCanvas();
  handle_.reset();
  if (width_ <= 0 || height_ <= 0) return;
  if (bits == 0) {
    window_dc screen(nullptr);
    handle_.reset(CreateCompatibleBitmap(screen.get(), width_, height_));
  } else {
    DibInfo info = DibHeader(width_, height_, bits);
    if (bits <= 8) {
      const std::vector<RgbQuad> table = PaletteEntries(palette_.get());
      const size_t n = std::min<size_t>(table.size(), size_t{1} << bits);
      for (size_t i = 0; i < n; ++i)
        info.colors[i] = {table[i].blue, table[i].green, table[i].red, 0};
      info.header.biClrUsed = static_cast<DWORD>(n);
    }
    void* bits_ptr = nullptr;
    handle_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits_ptr,
                                   nullptr, 0));
  }
  if (!handle_) throw EOutOfResources();
}

void TBitmap::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  CreateStorage(FormatBits(format_));
}

void TBitmap::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  CreateStorage(FormatBits(format_));
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == TPixelFormat::pf8bit) SetPalette(ScreenHalftonePalette());
  format_ = format;
  CreateStorage(FormatBits(format));
}

void TBitmap::SetHandle(unique_hbitmap bitmap_owned) {
  ReleaseCanvas();
  handle_ = std::move(bitmap_owned);
  width_ = height_ = 0;
  if (HBITMAP bitmap = handle_.get()) {
    BITMAP bm{};
    if (GetObjectW(bitmap, sizeof(bm), &bm)) {
      width_ = bm.bmWidth;
      height_ = std::abs(bm.bmHeight);
    }
    DIBSECTION ds{};
    format_ = GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(DIBSECTION) ? BitsFormat(ds.dsBmih.biBitCount)
                                                                        : TPixelFormat::pfDevice;
  }
}

void TBitmap::SetPalette(unique_hpalette palette) {
  if (canvas_.dc_) SelectPalette(canvas_.dc_.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), TRUE);
  palette_ = std::move(palette);
  if (canvas_.dc_ && palette_) SelectPalette(canvas_.dc_.get(), palette_.get(), TRUE);
}

void TBitmap::Draw(HDC dc, const RECT& dest) const {
  if (!handle_ || Empty()) return;
  auto& self = const_cast<TBitmap&>(*this);
  HDC src = self.Canvas().Handle();
  // On a display of 8 bits per pixel or fewer (with a palette or without) a
  // deeper picture is shrunk with halftoning, as the plain copy would lose
  // most of its colours there. A picture enlarged for a scaled layout is
  // smoothed the same way.
  const bool enlarged = dest.right - dest.left > width_ || dest.bottom - dest.top > height_;
  const int display_bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  const bool halftone = (display_bits <= 8 && Bits() > display_bits) || enlarged;
  const int old_mode = SetStretchBltMode(dc, halftone ? HALFTONE : COLORONCOLOR);
  if (halftone) SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src, 0, 0, width_,
             height_, SRCCOPY);
  SetStretchBltMode(dc, old_mode);
}

BmpImage TBitmap::Shape() const {
  BmpImage shape;
  const int bits = Bits();
  shape.width = width_;
  shape.height = height_;
  shape.bits_per_pixel = static_cast<uint16_t>(bits == 15 ? 16 : bits);
  if (shape.bits_per_pixel > 8) shape.palette = PaletteEntries(palette_.get());
  return shape;
}

void TBitmap::ReadRows(BmpImage& shape, int first, int count, uint8_t* pixels) const {
  DibInfo info = DibHeader(shape.width, shape.height, shape.bits_per_pixel);
  unique_hdc dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old_palette = nullptr;
  if (palette_) old_palette = SelectPalette(dc.get(), palette_.get(), FALSE);
  // The canvas may hold the bitmap; GetDIBits wants it selected nowhere.
  ReleaseCanvas();
  const int rows = GetDIBits(dc.get(), handle_.get(), static_cast<UINT>(first), static_cast<UINT>(count), pixels,
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  if (old_palette) SelectPalette(dc.get(), static_cast<HPALETTE>(old_palette), FALSE);
  if (rows != count) throw EInvalidGraphic(kBitmapInvalid);
  if (shape.bits_per_pixel <= 8) {
    const size_t n = size_t{1} << shape.bits_per_pixel;
    shape.palette.clear();
    for (size_t i = 0; i < n; ++i)
      shape.palette.push_back({info.colors[i].rgbBlue, info.colors[i].rgbGreen, info.colors[i].rgbRed, 0});
    if (shape.bits_per_pixel == 8 && palette_) IndexIntoPalette(shape, pixels, count);
  }
}

void TBitmap::IndexIntoPalette(BmpImage& shape, uint8_t* pixels, int rows) const {
  // Wine keeps a colour table of its own in a device-dependent bitmap and
  // reads it out whatever palette the DC has: on a palette display the
  // region capture's pixels then index that table, not the system palette
  // the picture carries. Each colour is moved to its index in the palette.
  std::vector<RgbQuad> table = PaletteEntries(palette_.get());
  if (table.empty() || table.size() > 256) return;
  table.resize(256);
  if (table == shape.palette) return;
  uint8_t map[256];
  for (size_t i = 0; i < 256; ++i) {
    const RgbQuad& c = shape.palette[i];
    size_t best = 0;
    int best_distance = std::numeric_limits<int>::max();
    for (size_t k = 0; k < table.size() && best_distance > 0; ++k) {
      const int dr = c.red - table[k].red, dg = c.green - table[k].green, db = c.blue - table[k].blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < best_distance) {
        best = k;
        best_distance = distance;
      }
    }
    map[i] = static_cast<uint8_t>(best);
  }
  const size_t bytes = kelvora_image::RowStride(shape.width, 8) * static_cast<size_t>(rows);
  for (size_t i = 0; i < bytes; ++i) pixels[i] = map[pixels[i]];
  shape.palette = table;
}

void TBitmap::FromImage(const BmpImage& image) {
  ReleaseCanvas();
  handle_.reset();
  palette_.reset();
  width_ = image.width;
  height_ = image.height;
  format_ = BitsFormat(image.bits_per_pixel);
  if (image.Empty()) {
    width_ = height_ = 0;
    return;
  }
  DibInfo info = DibHeader(image.width, image.height, image.bits_per_pixel);
  const size_t n = std::min<size_t>(image.palette.size(), 256);
  if (image.bits_per_pixel <= 8) {
    for (size_t i = 0; i < n; ++i)
      info.colors[i] = {image.palette[i].blue, image.palette[i].green, image.palette[i].red, 0};
    info.header.biClrUsed = static_cast<DWORD>(n);
  }
  void* bits = nullptr;
  unique_hbitmap dib(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) throw EOutOfResources();
  const size_t size = kelvora_image::RowStride(image.width, image.bits_per_pixel) * static_cast<size_t>(image.height);
  std::memcpy(bits, image.pixels.data(), std::min(size, image.pixels.size()));
  handle_ = std::move(dib);
  palette_ = PaletteFrom(image.palette);
}

void TBitmap::LoadFromBytes(std::span<const uint8_t> data) {
  BmpImage image;
  try {
    image = kelvora_image::DecodeBmp(data);
  } catch (const kelvora_image::InvalidBitmap&) {
    throw EInvalidGraphic(kBitmapInvalid);
  }
  FromImage(image);
}

void TBitmap::WriteBands(const std::function<void(std::span<const uint8_t>)>& put) const {
  if (!handle_ || Empty()) return;
  // A screen capture goes out a band of rows at a time: the file never
  // exists whole in memory beside the picture. The first band is read
  // before the headers are made, because reading it gives an indexed
  // picture its table.
  BmpImage shape = Shape();
  const size_t stride = kelvora_image::RowStride(shape.width, shape.bits_per_pixel);
  constexpr size_t kBandBytes = 256 * 1024;
  const int band = static_cast<int>(std::clamp<size_t>(kBandBytes / stride, 1, static_cast<size_t>(shape.height)));
  std::vector<uint8_t> rows(stride * static_cast<size_t>(band));
  for (int first = 0; first < shape.height; first += band) {
    const int count = std::min(band, shape.height - first);
    ReadRows(shape, first, count, rows.data());
    if (first == 0) put(kelvora_image::EncodeBmpHeaders(shape));
    put(std::span<const uint8_t>(rows.data(), stride * static_cast<size_t>(count)));
  }
}

void TBitmap::SaveToStream(TFileStream& stream) const {
  WriteBands([&](std::span<const uint8_t> piece) { stream.Write(piece); });
}

std::vector<uint8_t> TBitmap::SaveToBytes() const {
  std::vector<uint8_t> file;
  WriteBands([&](std::span<const uint8_t> piece) { file.insert(file.end(), piece.begin(), piece.end()); });
  return file;
}
