#include "forms/capture/screen_capture.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "toolkit/core/exceptions.h"
#include "toolkit/forms/screen.h"
#include "toolkit/graphics/dib.h"
#include "toolkit/graphics/halftone_map.h"
#include "toolkit/win/window_list.h"

namespace {

// What the user reads when the screen cannot be copied (a locked
// workstation, the secure desktop of an elevation prompt, a minimised
// remote session, GDI out of resources): the capture stops before anything
// is written, and the files keep what they held.
const wchar_t kScreenCopyFailed[] = L"Cannot copy the screen";

void RequireScreen(HDC screen) {
  if (!screen) throw EOutOfResources(kScreenCopyFailed);
}

unique_hpalette SystemPalette(HDC screen) {
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  if (GetSystemPaletteEntries(screen, 0, 256, lp->palPalEntry) == 0) throw EOutOfResources(kScreenCopyFailed);
  unique_hpalette palette(CreatePalette(lp));
  if (!palette) throw EOutOfResources();
  return palette;
}

// Screen copies go in bands of rows of this many pixels (a quarter of a
// mebibyte at 32 bits). Wine fetches a screen copy as one X image of the
// whole area plus a converted copy of it: a full screen in one piece costs
// several times what the same pixels cost in bands, and holds two more
// full-screen buffers. Bands of a mebibyte were still three times slower in
// Wine's desktop than these; smaller ones cost more calls again. The band
// and its two copies are all a capture holds beside its picture, so that its
// memory grows with the file it writes.
constexpr int kBandPixels = 1 << 16;

// Copies width × height screen pixels from (x, y) onto the canvas at
// (to_x, to_y), in bands.
void CopyScreen(HDC canvas, int to_x, int to_y, int width, int height, HDC screen, int x, int y) {
  const int band = std::max(1, kBandPixels / std::max(1, width));
  for (int top = 0; top < height; top += band) {
    if (!BitBlt(canvas, to_x, to_y + top, width, std::min(band, height - top), screen, x, y + top, SRCCOPY))
      throw EOutOfResources(kScreenCopyFailed);
  }
}

// Copies the screen's `area` (virtual-screen pixels) onto the canvas with
// its top-left corner at `at`, monitor by monitor. What lies on no monitor
// is black: the screen DC would give whatever the system keeps there (on X,
// the root window's pixels).
void CopyMonitors(HDC canvas, const RECT& area, HDC screen, POINT at = {0, 0}) {
  const std::vector<RECT> monitors = Screen().MonitorRects();
  unique_hrgn outside(CreateRectRgnIndirect(&area));
  if (!outside) throw EOutOfResources();
  for (const RECT& monitor : monitors) {
    unique_hrgn on(CreateRectRgnIndirect(&monitor));
    if (!on || CombineRgn(outside.get(), outside.get(), on.get(), RGN_DIFF) == ERROR) throw EOutOfResources();
  }
  RECT bounds;
  if (GetRgnBox(outside.get(), &bounds) != NULLREGION) {
    OffsetRgn(outside.get(), at.x - area.left, at.y - area.top);
    if (!FillRgn(canvas, outside.get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) throw EOutOfResources();
  }
  for (const RECT& monitor : monitors) {
    RECT part;
    if (!IntersectRect(&part, &area, &monitor)) continue;
    CopyScreen(canvas, at.x + part.left - area.left, at.y + part.top - area.top, part.right - part.left,
               part.bottom - part.top, screen, part.left, part.top);
  }
}

// Where a DIB section's pixels are, and their layout.
DIBSECTION DibOf(HBITMAP picture) {
  DIBSECTION dib{};
  if (GetObjectW(picture, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits)
    throw EOutOfResources();
  return dib;
}

// The lookup for the 8-bit picture's table, kept for the next capture:
// building it costs more than mapping a whole screen with it.
const kelvora_image::HalftoneMap& MapFor(const std::vector<kelvora_image::RgbQuad>& table) {
  static std::unique_ptr<kelvora_image::HalftoneMap> map;
  if (!map || map->Table() != table) map = std::make_unique<kelvora_image::HalftoneMap>(table);
  return *map;
}

// Copies the screen onto the 8-bit `picture` (a bottom-up DIB section with
// the table `canvas` holds) through a 32-bit band in the screen's own
// format, mapping each band to the table ourselves: the platform's own
// conversion into 8 bits costs more than the copy itself.
void CopyScreenMapped(HDC canvas, HBITMAP picture, int width, int height, HDC screen) {
  const DIBSECTION target = DibOf(picture);
  RGBQUAD colours[256];
  const UINT count = GetDIBColorTable(canvas, 0, 256, colours);
  if (count == 0) throw EOutOfResources();
  std::vector<kelvora_image::RgbQuad> table;
  for (UINT i = 0; i < count; ++i) table.push_back({colours[i].rgbBlue, colours[i].rgbGreen, colours[i].rgbRed, 0});
  const kelvora_image::HalftoneMap& map = MapFor(table);

  const int band = std::min(height, std::max(1, kBandPixels / std::max(1, width)));
  // Row r of the band is r rows in.
  const Dib32 band_dib = CreateDib32(width, band);
  unique_hdc band_dc(CreateCompatibleDC(nullptr));
  if (!band_dib.bitmap || !band_dc) throw EOutOfResources();
  const void* band_bits = band_dib.pixels;
  select_object selected(band_dc.get(), band_dib.bitmap.get());
  if (!selected.selected()) throw EOutOfResources();
  auto* rows = static_cast<uint8_t*>(target.dsBm.bmBits);
  const size_t stride = static_cast<size_t>(target.dsBm.bmWidthBytes);
  for (int top = 0; top < height; top += band) {
    const int lines = std::min(band, height - top);
    if (!BitBlt(band_dc.get(), 0, 0, width, lines, screen, 0, top, SRCCOPY)) throw EOutOfResources(kScreenCopyFailed);
    GdiFlush();
    for (int r = 0; r < lines; ++r)
      map.MapRow(static_cast<const uint8_t*>(band_bits) + static_cast<size_t>(r) * width * 4,
                 static_cast<size_t>(width), rows + static_cast<size_t>(height - 1 - top - r) * stride);
  }
}

BOOL CALLBACK FindVisibleMenu(HWND wnd, LPARAM found) noexcept {
  wchar_t name[8];
  if (IsWindowVisible(wnd) && GetClassNameW(wnd, name, 8) && std::wstring_view(name) == L"#32768") {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

bool MenuShowing() {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Physical pixels around a menu that its shadow may cover: a few pixels at
// 100 %, more where the compositor draws a soft one, at every scale. Copying
// a wider frame again costs next to nothing.
constexpr int kMenuShadow = 48;

// The window in which Windows fades the chosen menu item out, by the class
// name it has there; Wine has none.
constexpr wchar_t kSelectionFadeClass[] = L"SysFadeWin";

void HideSelectionFade() {
  BOOL fade = FALSE;
  if (!SystemParametersInfoW(SPI_GETSELECTIONFADE, 0, &fade, 0) || !fade) return;
  for (HWND wnd : ThreadWindows()) {
    wchar_t name[16];
    if (IsWindowVisible(wnd) && GetClassNameW(wnd, name, 16) && std::wstring_view(name) == kSelectionFadeClass)
      ShowWindow(wnd, SW_HIDE);
  }
}

}  // namespace

StillPicture::StillPicture(const RECT& desktop) : desktop_(desktop) {
  bitmap_.SetPixelFormat(TPixelFormat::pf32bit);
  bitmap_.SetWidth(desktop.right - desktop.left);
  bitmap_.SetHeight(desktop.bottom - desktop.top);
  const DIBSECTION dib = DibOf(bitmap_.Handle());
  auto* rows = static_cast<uint8_t*>(dib.dsBm.bmBits);
  const size_t bytes = static_cast<size_t>(dib.dsBm.bmWidthBytes) * static_cast<size_t>(bitmap_.Height());
  try {
    // A picture given up (another command chosen) stops the worker at
    // once: the user's command must not wait for the rest of the memory.
    bring_in_ = std::jthread([rows, bytes](std::stop_token stop) {
      for (size_t at = 0; at < bytes && !stop.stop_requested(); at += 4096) rows[at] = 0;
    });
  } catch (const std::system_error&) {
    // Without a worker the copy brings the memory in itself: slower, the same picture.
  }
}

StillPicture::~StillPicture() = default;

void StillPicture::Capture(HDC screen, const RECT& menu) {
  RequireScreen(screen);
  // The worker writes into the picture: it must be done before the copy.
  if (bring_in_.joinable()) bring_in_.join();
  HDC canvas = bitmap_.Canvas().Handle();
  RECT again = desktop_, shadowed = menu;
  if (!IsRectEmpty(&menu)) {
    InflateRect(&shadowed, kMenuShadow, kMenuShadow);
    // Outside the menu the screen is as the user left it: it is copied
    // now, while the windows under the menu repaint in their own threads,
    // and only the menu's place waits for them. The margin takes in the
    // shadow the system draws around a menu without windows of its own.
    CopyMonitors(canvas, desktop_, screen);
    if (!IntersectRect(&again, &shadowed, &desktop_)) return;
  }
  WaitForMenuToLeaveScreen(shadowed);
  CopyMonitors(canvas, again, screen, {again.left - desktop_.left, again.top - desktop_.top});
}

void WaitForMenuToLeaveScreen(const RECT& menu) {
  const DWORD start = GetTickCount();
  constexpr DWORD kBound = 250;
  const auto left = [start]() -> DWORD {
    const DWORD spent = GetTickCount() - start;
    return spent < kBound ? kBound - spent : 0;
  };
  while (MenuShowing() && left()) Sleep(1);
  // With "fade out menu items after clicking" on (Windows' default), the
  // chosen item fades in a window of its own after the menu has closed.
  // One of this thread's is hidden at once: whatever drives its fade may
  // need this thread's messages, which do not run while the command waits
  // and copies. One of another thread's is waited for, within the bound.
  HideSelectionFade();
  // The windows that were under the menu belong to other threads (the
  // shell's desktop and taskbar) or to this one. A message answered by each
  // other thread means it has read the exposure the server sent it; the
  // second answer comes after it has gone idle once. The desktop window,
  // which EnumWindows does not list, paints the background (in its own
  // thread under Wine 10).
  std::vector<HWND> windows{GetDesktopWindow()}, others;
  for (HWND wnd : DesktopWindows()) {
    if (IsWindowVisible(wnd)) windows.push_back(wnd);
  }
  // Where the menu was is known, only what lay under it has to repaint.
  if (!IsRectEmpty(&menu)) {
    std::erase_if(windows, [&menu](HWND wnd) {
      RECT rect;
      return !GetWindowRect(wnd, &rect) || !IntersectRect(&rect, &rect, &menu);
    });
  }
  for (HWND wnd : windows) {
    // This thread's windows paint now, here: nothing else would paint them
    // before the copy.
    if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId())
      RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    else
      others.push_back(wnd);
  }
  // A window that does not answer in time is left as it is: the wait is
  // bounded, and a hung window would not repaint anyway.
  const auto answers = [&left](HWND wnd) {
    DWORD_PTR ignored;
    return left() && SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, left(), &ignored) != 0;
  };
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<HWND> answered;
    for (HWND wnd : others) {
      if (answers(wnd)) answered.push_back(wnd);
    }
    others = std::move(answered);
  }
  // Another program's window is never made to paint from here: a paint
  // sent to it has no time limit, and one slow or hung painter would hold
  // the capture as long as it likes. Each paints in its own time, which is
  // waited for within the bound.
  // A window's children have update regions of their own: the icons in the
  // taskbar's notification area repaint after the taskbar (seen under
  // Wine 10, whose picture then lacked the tray icon).
  std::vector<HWND> painters = others;
  for (HWND wnd : others) {
    for (HWND child : ChildWindows(wnd)) {
      RECT rect;
      if (IsWindowVisible(child) && GetWindowRect(child, &rect) &&
          (IsRectEmpty(&menu) || IntersectRect(&rect, &rect, &menu)))
        painters.push_back(child);
    }
  }
  const auto painted = [&painters] {
    return std::none_of(painters.begin(), painters.end(),
                        [](HWND wnd) { return GetUpdateRect(wnd, nullptr, FALSE) != FALSE; });
  };
  // A fade window of another thread fades by itself.
  const auto faded = [] {
    HWND fade = FindWindowW(kSelectionFadeClass, nullptr);
    return !fade || !IsWindowVisible(fade);
  };
  while (left() && !(painted() && faded())) Sleep(1);
  // A window's update region empties when its paint begins, not when it
  // ends: one more message answered by each means its paint is over (a
  // thread answers a sent message only between the messages it handles).
  for (HWND wnd : others) answers(wnd);
  GdiFlush();
}

void CaptureScreenRect(HDC screen, const RECT& rect, TBitmap& bitmap) {
  // A drag up or to the left captures the area dragged over: the corners
  // are put in order here (the selector hands them over as dragged).
  const RECT area{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                  std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
  const int width = area.right - area.left, height = area.bottom - area.top;
  RequireScreen(screen);
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  // Nothing was dragged over: the capture is the empty picture.
  if (width == 0 || height == 0) return;
  if (PaletteDisplay(screen)) {
    // An 8-bit picture whose table is the system palette, whatever depth
    // the driver reports beside its palette: a compatible bitmap would take
    // that depth (16 bits under Wine 10 on an 8-bit display).
    bitmap.SetPalette(SystemPalette(screen));
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
  } else {
    unique_hbitmap pixels(CreateCompatibleBitmap(screen, width, height));
    if (!pixels) throw EOutOfResources();
    bitmap.SetHandle(std::move(pixels));
  }
  CopyMonitors(bitmap.Canvas().Handle(), area, screen);
}

void CaptureDesktop(HDC screen, TBitmap& bitmap) {
  RequireScreen(screen);
  bitmap.SetWidth(Screen().Width());
  bitmap.SetHeight(Screen().Height());
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  HDC canvas = bitmap.Canvas().Handle();
  // On a palette display the screen has no more colours than the table; the
  // platform's own copy is cheap there.
  if (PaletteDisplay(screen))
    CopyScreen(canvas, 0, 0, Screen().Width(), Screen().Height(), screen, 0, 0);
  else
    CopyScreenMapped(canvas, bitmap.Handle(), Screen().Width(), Screen().Height(), screen);
}
