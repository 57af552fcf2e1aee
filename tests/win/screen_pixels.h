#pragma once
// Pixels on the screen for the capture and selector tests: a window that
// shows a known picture, and the pixels a window shows read back.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/win/win_test_support.h"
#include "toolkit/graphics/dib.h"
#include "toolkit/win/handle.h"

// 0x00RRGGBB, as a 32-bit DIB stores a pixel.
using Rgb = uint32_t;

inline Rgb MakeRgb(int r, int g, int b) {
  return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) | static_cast<Rgb>(b & 0xFF);
}

// A borderless topmost window at `where` showing colour(x, y) at each of its
// pixels (window coordinates), painted from a 32-bit DIB.
class PatternWindow {
 public:
  PatternWindow(const RECT& where, const std::function<Rgb(int x, int y)>& colour)
      : width_(where.right - where.left), height_(where.bottom - where.top) {
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) pixels_[static_cast<size_t>(y) * width_ + x] = colour(x, y);
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &PatternWindow::Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KelvoraTestPattern";
      return RegisterClassW(&wc);
    }();
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, MAKEINTATOM(atom), L"pattern", WS_POPUP, where.left,
                            where.top, width_, height_, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    // Until Wine has put the painted window on the screen, a screen read
    // may still see what was there before.
    PumpFor(300);
  }
  ~PatternWindow() { DestroyWindow(hwnd_); }
  PatternWindow(const PatternWindow&) = delete;
  PatternWindow& operator=(const PatternWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  // New colours, painted at the window's next paint: until then the screen
  // shows the old ones.
  void Change(const std::function<Rgb(int x, int y)>& colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) pixels_[static_cast<size_t>(y) * width_ + x] = colour(x, y);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrW(wnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT && self) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = self->width_;
      info.bmiHeader.biHeight = -self->height_;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetDIBitsToDevice(dc, 0, 0, self->width_, self->height_, 0, 0, 0, self->height_, self->pixels_.data(), &info,
                        DIB_RGB_COLORS);
      EndPaint(wnd, &ps);
      return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
  }

  int width_, height_;
  std::vector<Rgb> pixels_;
  HWND hwnd_ = nullptr;
};

// What a window's client area shows, top row first, `width` × `height`
// pixels as 0x00RRGGBB.
inline std::vector<Rgb> ReadWindowPixels(HWND wnd, int width, int height) {
  Dib32 copy = CreateDib32(width, height);
  unique_hdc memory(CreateCompatibleDC(nullptr));
  if (!copy.bitmap || !memory) return {};
  {
    select_object picked(memory.get(), copy.bitmap.get());
    window_dc source(wnd);
    BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  std::vector<Rgb> out(copy.pixels, copy.pixels + static_cast<size_t>(width) * height);
  for (Rgb& p : out) p &= 0xFFFFFF;
  return out;
}
