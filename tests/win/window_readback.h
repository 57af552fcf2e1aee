#pragma once
// Reading a built window back through Win32 only, as any other program
// could: child windows found by caption, their rectangles in their parent's
// client coordinates, the fonts their controls draw with, and the pixels
// their window surfaces hold. Layout tests compare these against the
// numbers the window must have, never against the toolkit's own fields.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/screen_pixels.h"

namespace readback {

inline std::wstring Text(HWND w) {
  wchar_t buf[1024] = {};
  GetWindowTextW(w, buf, 1024);
  return buf;
}

// The direct child of `parent` with exactly this caption, or null.
inline HWND Child(HWND parent, const wchar_t* caption) {
  return FindWindowExW(parent, nullptr, nullptr, caption);
}

inline std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) found.push_back(w);
  return found;
}

// Left, top, width and height of `w` in its parent's client coordinates, as
// text so that a failure shows all four.
inline std::string Bounds(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top);
}

inline std::string ClientSize(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return std::to_string(r.right) + "x" + std::to_string(r.bottom);
}

// The outer size a window of this style must have for the given client
// size: the frame is whatever the running system draws.
inline SIZE OuterForClient(HWND w, int client_width, int client_height) {
  RECT r{0, 0, client_width, client_height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(w, GWL_EXSTYLE)));
  return {r.right - r.left, r.bottom - r.top};
}

// The window is as large as its frame makes a client area of that size,
// and stands centred on the primary screen.
inline void ExpectCentredWithClient(HWND w, int client_width, int client_height) {
  RECT where{};
  GetWindowRect(w, &where);
  const SIZE outer = OuterForClient(w, client_width, client_height);
  EXPECT_EQ(where.right - where.left, outer.cx) << "outer width";
  EXPECT_EQ(where.bottom - where.top, outer.cy) << "outer height";
  EXPECT_EQ(where.left, (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2) << "centred across";
  EXPECT_EQ(where.top, (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2) << "centred down";
}

// The logical font a GDI font object was made from: face, height, weight,
// character set, as "宋体/-13/700/0".
inline std::wstring FontOf(HFONT font) {
  LOGFONTW lf{};
  if (!font || GetObjectW(font, sizeof(lf), &lf) != sizeof(lf)) return L"(no font)";
  return std::wstring(lf.lfFaceName) + L"/" + std::to_wstring(lf.lfHeight) + L"/" + std::to_wstring(lf.lfWeight) +
         L"/" + std::to_wstring(lf.lfCharSet);
}

// What the client area of `w` holds, pixel by pixel, copied from its window
// surface after it has painted.
class Pixels {
 public:
  explicit Pixels(HWND w) {
    UpdateWindow(w);
    RECT r{};
    GetClientRect(w, &r);
    width_ = r.right;
    height_ = r.bottom;
    pixels_ = ReadWindowPixels(w, width_, height_);
  }

  // As a COLORREF, so that it compares with RGB() and GetSysColor().
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const Rgb p = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

  int Count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += At(x, y) == colour;
    return n;
  }

  // The smallest rectangle of `area` holding every pixel that is (or, with
  // `equal` false, is not) `colour`; empty when there is none.
  RECT Extent(const RECT& area, COLORREF colour, bool equal = true) const {
    RECT e{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if ((At(x, y) == colour) == equal) {
          if (x < e.left) e.left = x;
          if (y < e.top) e.top = y;
          if (x + 1 > e.right) e.right = x + 1;
          if (y + 1 > e.bottom) e.bottom = y + 1;
        }
    if (e.left >= e.right) return RECT{};
    return e;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgb> pixels_;
};

inline std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

}  // namespace readback
