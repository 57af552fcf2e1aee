#include "forms/capture/screen_capture.h"

#include <algorithm>
#include <vector>

#include "toolkit/core/exceptions.h"
#include "toolkit/forms/screen.h"

namespace {

// A 256-colour display: the capture takes its colours from the system palette.
bool PaletteDisplay(HDC screen) {
  return (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(screen, SIZEPALETTE) == 256;
}

HPALETTE SystemPalette(HDC screen) {
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  GetSystemPaletteEntries(screen, 0, 256, lp->palPalEntry);
  return CreatePalette(lp);
}

// Copies width × height screen pixels from (x, y) onto the canvas at 0, 0,
// in bands of rows of about a mebibyte. Wine fetches a screen copy as one X
// image of the whole area plus a converted copy of it: for a full screen that
// one large image costs several times what the same pixels cost in bands, and
// two full-screen buffers at once.
void CopyScreen(HDC canvas, int width, int height, HDC screen, int x, int y) {
  constexpr int kBandPixels = 1 << 18;
  const int band = std::max(1, kBandPixels / std::max(1, width));
  for (int top = 0; top < height; top += band)
    BitBlt(canvas, 0, top, width, std::min(band, height - top), screen, x, y + top, SRCCOPY);
}

}  // namespace

void CaptureScreenRect(HDC screen, const RECT& rect, TBitmap& bitmap) {
  // A drag up or to the left captures the area dragged over: the corners
  // are put in order here (the selector hands them over as dragged).
  const RECT area{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                  std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
  const int width = area.right - area.left, height = area.bottom - area.top;
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  // Nothing was dragged over: the capture is the empty picture.
  if (width == 0 || height == 0) return;
  HBITMAP pixels = CreateCompatibleBitmap(screen, width, height);
  if (!pixels) throw EOutOfResources(L"Out of system resources");
  bitmap.SetHandle(pixels);
  if (PaletteDisplay(screen)) bitmap.SetPalette(SystemPalette(screen));
  CopyScreen(bitmap.Canvas().Handle(), bitmap.Width(), bitmap.Height(), screen, area.left, area.top);
}

void CaptureDesktop(HDC screen, TBitmap& bitmap) {
  bitmap.SetWidth(Screen().Width());
  bitmap.SetHeight(Screen().Height());
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  CopyScreen(bitmap.Canvas().Handle(), Screen().Width(), Screen().Height(), screen, 0, 0);
}
