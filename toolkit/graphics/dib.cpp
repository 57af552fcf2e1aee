#include "toolkit/graphics/dib.h"

DibInfo DibHeader(LONG width, LONG height, int bits) {
  DibInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  return info;
}

Dib32 CreateDib32(int width, int height) {
  Dib32 dib;
  dib.info.bmiHeader = DibHeader(width, -height, 32).header;
  void* bits = nullptr;
  dib.bitmap.reset(CreateDIBSection(nullptr, &dib.info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib.bitmap || !bits) return {};
  dib.pixels = static_cast<uint32_t*>(bits);
  return dib;
}
