// Writes BMP files in every form the captures produce, through the same code
// kelvora.exe saves pictures with, so that other programs' readers can be
// checked against them (tests/e2e/test_capture_files.py):
//
//   s8.bmp    8 bits, the 256-entry halftone table (the desktop capture)
//   s16.bmp   16 bits 5-5-5 with the halftone table as the additional table
//   s24.bmp   24 bits, the same additional table
//   s32.bmp   32 bits, the same additional table (the region captures)
//
// Each is written twice, by TBitmap::SaveToFile (as the commands do) and by
// EncodeBmp of TBitmap::ToImage (the names get an "e" before ".bmp"). Beside
// them go <name>.rgb, the colours drawn (red, green, blue bytes, top row
// first), worked out from the drawing formula, not read back, and
// samples.txt with a line "name width height bits table_entries" for each.
//
//   write_samples [folder]       (default: the current directory)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/app/application.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/core/file_stream.h"
#include "toolkit/graphics/bmp_codec.h"
#include "toolkit/graphics/graphic.h"

namespace {

// Odd sizes, so that every depth pads its rows.
constexpr int kWidth = 37;
constexpr int kHeight = 23;

struct Sample {
  const char* name;
  TPixelFormat format;
  int bits;
};

std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
  std::vector<PALETTEENTRY> out(256);
  out.resize(GetPaletteEntries(palette, 0, 256, out.data()));
  return out;
}

// The colour drawn at (x, y): for 8 bits an entry of the table, for 16 bits
// a colour that 5 bits a channel hold exactly, else any colour.
COLORREF Colour(int bits, int x, int y, const std::vector<PALETTEENTRY>& table) {
  if (bits == 8) {
    const PALETTEENTRY& e = table[(x * 7 + y * 13) % table.size()];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  if (bits == 16) return RGB(((x * 5 + y) % 32) << 3, ((y * 3 + x / 2) % 32) << 3, ((x + y * 7) % 32) << 3);
  return RGB(x * 7 + y, y * 11 + x / 3, (x * y) % 256);
}

std::wstring Join(const std::wstring& folder, const std::string& name) {
  return folder + L"\\" + std::wstring(name.begin(), name.end());
}

void Write(const std::wstring& folder, const Sample& s, FILE* manifest) {
  TBitmap bitmap;
  // As the region capture does: the 8-bit format first leaves the halftone
  // palette in the bitmap; a deeper format then keeps it as the additional
  // table.
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  bitmap.SetWidth(kWidth);
  bitmap.SetHeight(kHeight);
  bitmap.SetPixelFormat(s.format);
  const std::vector<PALETTEENTRY> table = Entries(bitmap.Palette());
  std::vector<uint8_t> rgb;
  HDC canvas = bitmap.Canvas().Handle();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = Colour(s.bits, x, y, table);
      SetPixelV(canvas, x, y, c);
      rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  GdiFlush();
  const std::string name = s.name;
  bitmap.SaveToFile(Join(folder, name + ".bmp"));
  WriteWholeFile(Join(folder, name + "e.bmp"), kelvora_image::EncodeBmp(bitmap.ToImage()));
  WriteWholeFile(Join(folder, name + ".rgb"), rgb);
  std::fprintf(manifest, "%s %d %d %d %zu\n", s.name, kWidth, kHeight, s.bits, table.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ToolkitScope toolkit;
  const std::wstring folder = argc > 1 ? argv[1] : L".";
  try {
    FILE* manifest = _wfopen(Join(folder, "samples.txt").c_str(), L"w");
    if (!manifest) throw EFCreateError(L"Cannot create file samples.txt");
    for (const Sample& s : {Sample{"s8", TPixelFormat::pf8bit, 8}, Sample{"s16", TPixelFormat::pf15bit, 16},
                            Sample{"s24", TPixelFormat::pf24bit, 24}, Sample{"s32", TPixelFormat::pf32bit, 32}})
      Write(folder, s, manifest);
    std::fclose(manifest);
  } catch (const Exception& e) {
    std::fwprintf(stderr, L"write_samples: %ls\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
