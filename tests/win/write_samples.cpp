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
// EncodeBmp of the picture read whole (the names get an "e" before ".bmp"). Beside
// them go <name>.rgb, the colours drawn (red, green, blue bytes, top row
// first), worked out from the drawing formula, not read back, and
// samples.txt with a line "name width height bits table_entries" for each.
//
// With "capture", it captures instead, as the two commands do, on whatever
// display it runs on (the tests start 8-bit palette and 16-bit X screens for
// it): a window showing colours the display holds exactly is captured as a
// region dragged up and to the left (region.bmp, region.rgb the colours
// shown), the whole screen as a desktop capture (desktop.bmp), and beside
// them the system palette (syspal.rgb), the screen's halftone palette
// (halftone.rgb) and capture.txt: "screen_bits N palette_display 0|1".
//
//   write_samples [folder]            (default: the current directory)
//   write_samples capture [folder]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "forms/capture/screen_capture.h"
#include "tests/support/bmp_reference.h"
#include "tests/support/win_support.h"
#include "tests/win/screen_pixels.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/application.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/bmp_codec.h"

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
  WriteWholeFile(Join(folder, name + "e.bmp"), kelvora_image::EncodeBmp(WholeImage(bitmap)));
  WriteWholeFile(Join(folder, name + ".rgb"), rgb);
  std::fprintf(manifest, "%s %d %d %d %zu\n", s.name, kWidth, kHeight, s.bits, table.size());
}

std::vector<uint8_t> EntriesRgb(const PALETTEENTRY* entries, size_t count) {
  std::vector<uint8_t> rgb;
  for (size_t i = 0; i < count; ++i) rgb.insert(rgb.end(), {entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
  return rgb;
}

void Capture(const std::wstring& folder) {
  HDC dc = GetDC(nullptr);
  const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  const bool palette_display = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(dc, SIZEPALETTE) == 256;
  PALETTEENTRY system[256] = {};
  GetSystemPaletteEntries(dc, 0, 256, system);
  ReleaseDC(nullptr, dc);
  const std::vector<PALETTEENTRY> halftone = ScreenHalftoneEntries();

  // Colours the display shows exactly: the twenty static colours of a
  // palette display, 5 bits a channel on a 16-bit one.
  std::vector<PALETTEENTRY> statics(system, system + 10);
  statics.insert(statics.end(), system + 246, system + 256);
  auto colour = [&](int x, int y) -> Rgb {
    if (palette_display) {
      const PALETTEENTRY& e = statics[(x / 4 + (y / 4) * 3) % statics.size()];
      return MakeRgb(e.peRed, e.peGreen, e.peBlue);
    }
    const COLORREF c = Colour(bits <= 16 ? 16 : 32, x, y, {});
    return MakeRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  };
  const RECT place{20, 20, 20 + kWidth, 20 + kHeight};
  PatternWindow pattern(place, colour);
  TBitmap region;
  {
    window_dc screen(nullptr);
    CaptureScreenRect(screen.get(), RECT{place.right, place.bottom, place.left, place.top}, region);
  }
  // The region capture's table is the system palette as it is at the
  // moment of capture; it is read again here, right after it.
  dc = GetDC(nullptr);
  GetSystemPaletteEntries(dc, 0, 256, system);
  ReleaseDC(nullptr, dc);
  region.SaveToFile(Join(folder, "region.bmp"));
  std::vector<uint8_t> shown;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = colour(x, y);
      shown.insert(shown.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
    }
  WriteWholeFile(Join(folder, "region.rgb"), shown);
  TBitmap desktop;
  {
    window_dc screen(nullptr, window_dc::Area::Window);
    CaptureDesktop(screen.get(), desktop);
  }
  desktop.SaveToFile(Join(folder, "desktop.bmp"));
  WriteWholeFile(Join(folder, "syspal.rgb"), EntriesRgb(system, 256));
  WriteWholeFile(Join(folder, "halftone.rgb"), EntriesRgb(halftone.data(), halftone.size()));
  const std::string info =
      "screen_bits " + std::to_string(bits) + " palette_display " + (palette_display ? "1" : "0") + "\n";
  WriteWholeFile(Join(folder, "capture.txt"), std::vector<uint8_t>(info.begin(), info.end()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ToolkitScope toolkit;
  if (argc > 1 && std::wstring(argv[1]) == L"capture") {
    try {
      Capture(argc > 2 ? argv[2] : L".");
    } catch (const Exception& e) {
      std::fwprintf(stderr, L"write_samples: %ls\n", e.Message().c_str());
      return 1;
    }
    return 0;
  }
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
