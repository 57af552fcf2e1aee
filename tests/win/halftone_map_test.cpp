// Our halftone lookup against the platform's own mapping: every 5-5-5 colour
// and random 24-bit colours copied from a 32-bit DIB into an 8-bit DIB with
// the screen's halftone table, by BitBlt and by SetDIBits, must land on the
// index the lookup gives. And a desktop capture of a screen full of colours
// must hold exactly what the platform's own copy into the 8-bit picture does.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <vector>

#include "forms/capture/screen_capture.h"
#include "tests/win/screen_pixels.h"
#include "tests/win/win_test_support.h"
#include "toolkit/forms/screen.h"
#include "toolkit/graphics/halftone_map.h"
#include "toolkit/win/handle.h"

namespace {

using kelvora_image::HalftoneMap;
using kelvora_image::RgbQuad;

struct EightBitInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

std::vector<RgbQuad> HalftoneTable() {
  window_dc screen(nullptr);
  unique_hpalette palette(CreateHalftonePalette(screen.get()));
  PALETTEENTRY entries[256] = {};
  const UINT n = GetPaletteEntries(palette.get(), 0, 256, entries);
  std::vector<RgbQuad> table;
  for (UINT i = 0; i < n; ++i) table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  return table;
}

// The colours to check: every 5-5-5 colour (each channel widened by
// repeating its top bits, as the platform widens 5-bit colours), then
// 32,768 random 24-bit ones.
std::vector<Rgb> Colours() {
  std::vector<Rgb> colours;
  for (int i = 0; i < 32768; ++i) {
    const int r = i >> 10 & 31, g = i >> 5 & 31, b = i & 31;
    colours.push_back(MakeRgb(r << 3 | r >> 2, g << 3 | g >> 2, b << 3 | b >> 2));
  }
  std::mt19937 random(20240611);
  for (int i = 0; i < 32768; ++i) colours.push_back(random() & 0xFFFFFF);
  return colours;
}

// The index of the entry nearest to the colour itself (no cut to five bits),
// the first of equals.
int NearestOfTheColourItself(const std::vector<RgbQuad>& table, Rgb c) {
  const int r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
  int best = 0, best_distance = 1 << 30;
  for (size_t k = 0; k < table.size(); ++k) {
    const int dr = r - table[k].red, dg = g - table[k].green, db = b - table[k].blue;
    if (dr * dr + dg * dg + db * db < best_distance) {
      best_distance = dr * dr + dg * dg + db * db;
      best = static_cast<int>(k);
    }
  }
  return best;
}

enum class Route { BitBlt, SetDIBits };

// The platform's indices for `colours`, converted by `route` into an 8-bit
// DIB whose table is `table`.
std::vector<uint8_t> PlatformIndices(const std::vector<RgbQuad>& table, const std::vector<Rgb>& colours,
                                     Route route) {
  const int width = 256, height = static_cast<int>(colours.size() / width);
  BITMAPINFO source_info{};
  source_info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* source_bits = nullptr;
  unique_hbitmap source(CreateDIBSection(nullptr, &source_info, DIB_RGB_COLORS, &source_bits, nullptr, 0));
  EightBitInfo target_info{};
  target_info.header = {sizeof(BITMAPINFOHEADER), width, -height, 1, 8, BI_RGB, 0, 0, 0,
                        static_cast<DWORD>(table.size()), 0};
  for (size_t i = 0; i < table.size(); ++i)
    target_info.colors[i] = {table[i].blue, table[i].green, table[i].red, 0};
  void* target_bits = nullptr;
  unique_hbitmap target(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&target_info), DIB_RGB_COLORS,
                                         &target_bits, nullptr, 0));
  EXPECT_TRUE(source && target);
  std::copy(colours.begin(), colours.end(), static_cast<Rgb*>(source_bits));
  unique_hdc source_dc(CreateCompatibleDC(nullptr)), target_dc(CreateCompatibleDC(nullptr));
  {
    select_object target_selected(target_dc.get(), target.get());
    if (route == Route::BitBlt) {
      select_object source_selected(source_dc.get(), source.get());
      BitBlt(target_dc.get(), 0, 0, width, height, source_dc.get(), 0, 0, SRCCOPY);
    }
  }
  if (route == Route::SetDIBits)
    SetDIBits(target_dc.get(), target.get(), 0, static_cast<UINT>(height), source_bits, &source_info,
              DIB_RGB_COLORS);
  GdiFlush();
  const auto* indices = static_cast<const uint8_t*>(target_bits);
  return {indices, indices + colours.size()};
}

void ExpectSameAsPlatform(Route route) {
  const std::vector<RgbQuad> table = HalftoneTable();
  ASSERT_EQ(table.size(), 256u);
  const HalftoneMap map(table);
  const std::vector<Rgb> colours = Colours();
  const std::vector<uint8_t> platform = PlatformIndices(table, colours, route);
  int differ = 0, differ_from_colour_itself = 0;
  std::ostringstream first;
  for (size_t i = 0; i < colours.size(); ++i) {
    const Rgb c = colours[i];
    const uint8_t ours = map.Index(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    if (ours != platform[i] && ++differ <= 5)
      first << std::hex << " " << c << ": ours " << int{ours} << ", platform " << int{platform[i]} << std::dec;
    if (NearestOfTheColourItself(table, c) != platform[i]) ++differ_from_colour_itself;
  }
  EXPECT_EQ(differ, 0) << first.str();
  // Not a requirement: how far the platform is from the plain nearest colour
  // of the colour itself, which is why the lookup cuts to five bits first.
  std::printf("  %zu colours: %d differ from our lookup, %d from the nearest entry of the colour itself\n",
              colours.size(), differ, differ_from_colour_itself);
}

TEST(HalftoneMapAgainstPlatform, BitBltIntoAnEightBitPictureMapsEveryColourAsOurLookup) {
  ExpectSameAsPlatform(Route::BitBlt);
}

TEST(HalftoneMapAgainstPlatform, SetDIBitsIntoAnEightBitPictureMapsEveryColourAsOurLookup) {
  ExpectSameAsPlatform(Route::SetDIBits);
}

TEST(HalftoneMapAgainstPlatform, DesktopCaptureHoldsWhatThePlatformsOwnCopyGives) {
  const int width = Screen().Width(), height = Screen().Height();
  // The whole screen in colours that change at every pixel.
  const RECT everywhere{0, 0, width, height};
  PatternWindow pattern(everywhere, [](int x, int y) { return MakeRgb(x * 7 + y, y * 3 + x / 5, x ^ y); });
  TBitmap captured, platform;
  {
    window_dc screen(nullptr, window_dc::Area::Window);
    CaptureDesktop(screen.get(), captured);
    platform.SetWidth(width);
    platform.SetHeight(height);
    platform.SetPixelFormat(TPixelFormat::pf8bit);
    BitBlt(platform.Canvas().Handle(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
  }
  const std::vector<uint8_t> ours = captured.SaveToBytes(), theirs = platform.SaveToBytes();
  ASSERT_EQ(ours.size(), theirs.size());
  size_t differ = 0;
  for (size_t i = 0; i < ours.size(); ++i) differ += ours[i] != theirs[i];
  EXPECT_EQ(differ, 0u) << "bytes of the capture file that differ from the platform's own 8-bit copy";
}

}  // namespace
