#pragma once
// Device-independent bitmap headers, and the 32-bit DIB sections that menu
// glyphs, icons and screen copies are read and written through.
#include <windows.h>

#include <cstdint>

#include "toolkit/win/handle.h"

struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

// A BI_RGB header of that size and depth (a negative height: rows from the
// top), its colour table still empty.
DibInfo DibHeader(LONG width, LONG height, int bits);

// A 32-bit picture with its rows from the top, each pixel 4 bytes (B, G, R,
// A), in a DIB section. Bitmap and pixels are null when the system has no
// room for it.
struct Dib32 {
  BITMAPINFO info{};
  unique_hbitmap bitmap;
  uint32_t* pixels = nullptr;
};
Dib32 CreateDib32(int width, int height);
