#include "tests/support/win_support.h"

#include "toolkit/graphics/dib.h"
#include "toolkit/win/file_stream.h"
#include "toolkit/win/handle.h"

std::string NarrowToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

void WriteWholeFile(const std::wstring& path, std::span<const uint8_t> data) {
  TFileStream stream(path);
  stream.Write(data);
  stream.Commit();
}

kelvora_image::BmpImage WholeImage(const TBitmap& bitmap) {
  kelvora_image::BmpImage image;
  BITMAP bm{};
  if (!bitmap.Handle() || !GetObjectW(bitmap.Handle(), sizeof(bm), &bm)) return image;
  const int bits = bm.bmBitsPixel * bm.bmPlanes;
  image.width = bitmap.Width();
  image.height = bitmap.Height();
  image.bits_per_pixel = static_cast<uint16_t>(bits == 15 ? 16 : bits);
  DibInfo info = DibHeader(image.width, image.height, image.bits_per_pixel);
  image.pixels.resize(kelvora_image::RowStride(image.width, image.bits_per_pixel) *
                      static_cast<size_t>(image.height));
  unique_hdc dc(CreateCompatibleDC(nullptr));
  HPALETTE palette = bitmap.Palette();
  HPALETTE old = palette ? SelectPalette(dc.get(), palette, FALSE) : nullptr;
  GetDIBits(dc.get(), bitmap.Handle(), 0, static_cast<UINT>(image.height), image.pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  if (old) SelectPalette(dc.get(), old, FALSE);
  if (image.bits_per_pixel <= 8) {
    for (size_t i = 0; i < (size_t{1} << image.bits_per_pixel); ++i)
      image.palette.push_back({info.colors[i].rgbBlue, info.colors[i].rgbGreen, info.colors[i].rgbRed, 0});
  } else if (palette) {
    PALETTEENTRY entries[256] = {};
    const UINT n = GetPaletteEntries(palette, 0, 256, entries);
    for (UINT i = 0; i < n; ++i) image.palette.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  }
  return image;
}

std::vector<PALETTEENTRY> ScreenHalftoneEntries() {
  window_dc screen(nullptr);
  unique_hpalette halftone(CreateHalftonePalette(screen.get()));
  std::vector<PALETTEENTRY> entries(256);
  entries.resize(halftone ? GetPaletteEntries(halftone.get(), 0, 256, entries.data()) : 0);
  return entries;
}
