#pragma once
// The toolkit's colour type: an RGB colour as 0x00BBGGRR, or, with the top
// bit set, a system colour by its index.
#include <cstdint>

using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }
constexpr TColor RgbColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }

constexpr TColor clBlack = RgbColor(0, 0, 0);
constexpr TColor clGreen = RgbColor(0, 128, 0);
constexpr TColor clOlive = RgbColor(128, 128, 0);
constexpr TColor clRed = RgbColor(255, 0, 0);
constexpr TColor clLime = RgbColor(0, 255, 0);
constexpr TColor clBlue = RgbColor(0, 0, 255);
constexpr TColor clFuchsia = RgbColor(255, 0, 255);
constexpr TColor clWhite = RgbColor(255, 255, 255);
constexpr TColor clSkyBlue = RgbColor(166, 202, 240);
constexpr TColor clNone = 0x1FFFFFFF;

// System colours (COLOR_* indexes).
constexpr TColor clBackground = SystemColor(1);  // the desktop
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
