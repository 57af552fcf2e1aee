#pragma once
// Ownership of Win32 handles: one move-only owning template with a traits
// type per kind of handle, plus the few handles that must remember more than
// themselves (a window DC, a paint DC, a selection to restore).
#include <windows.h>

#include <utility>

template <class Traits>
class unique_handle {
 public:
  using pointer = typename Traits::pointer;

  unique_handle() noexcept = default;
  explicit unique_handle(pointer h) noexcept : h_(h) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept : h_(other.release()) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_handle() { reset(); }

  pointer get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
  pointer release() noexcept { return std::exchange(h_, Traits::invalid()); }
  void reset(pointer h = Traits::invalid()) noexcept {
    pointer old = std::exchange(h_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer h_ = Traits::invalid();
};

namespace handle_traits {
// Handles whose "none" is null, closed by one API function.
template <class H, auto Close>
struct null_is_none {
  using pointer = H;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { Close(h); }
};
template <class H>
using gdi_object = null_is_none<H, DeleteObject>;
using memory_dc = null_is_none<HDC, DeleteDC>;
using icon = null_is_none<HICON, DestroyIcon>;
using menu = null_is_none<HMENU, DestroyMenu>;
using reg_key = null_is_none<HKEY, RegCloseKey>;
using enh_metafile = null_is_none<HENHMETAFILE, DeleteEnhMetaFile>;
using metafile = null_is_none<HMETAFILE, DeleteMetaFile>;
// File handles are the exception: their "none" is INVALID_HANDLE_VALUE.
struct file {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { CloseHandle(h); }
};
}  // namespace handle_traits

using unique_hbitmap = unique_handle<handle_traits::gdi_object<HBITMAP>>;
using unique_hpalette = unique_handle<handle_traits::gdi_object<HPALETTE>>;
using unique_hbrush = unique_handle<handle_traits::gdi_object<HBRUSH>>;
using unique_hpen = unique_handle<handle_traits::gdi_object<HPEN>>;
using unique_hfont = unique_handle<handle_traits::gdi_object<HFONT>>;
using unique_hrgn = unique_handle<handle_traits::gdi_object<HRGN>>;
using unique_hdc = unique_handle<handle_traits::memory_dc>;
using unique_hicon = unique_handle<handle_traits::icon>;
using unique_hmenu = unique_handle<handle_traits::menu>;
using unique_hkey = unique_handle<handle_traits::reg_key>;
using unique_hfile = unique_handle<handle_traits::file>;
using unique_henhmetafile = unique_handle<handle_traits::enh_metafile>;
using unique_hmetafile = unique_handle<handle_traits::metafile>;

// A DC from GetDC/GetWindowDC, released for the same window it came from.
class window_dc {
 public:
  enum class Area { Client, Window };
  explicit window_dc(HWND wnd, Area area = Area::Client) noexcept
      : wnd_(wnd), dc_(area == Area::Client ? GetDC(wnd) : GetWindowDC(wnd)) {}
  window_dc(const window_dc&) = delete;
  window_dc& operator=(const window_dc&) = delete;
  ~window_dc() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND wnd_;
  HDC dc_;
};

// BeginPaint/EndPaint around one WM_PAINT.
class paint_dc {
 public:
  explicit paint_dc(HWND wnd) noexcept : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
  paint_dc(const paint_dc&) = delete;
  paint_dc& operator=(const paint_dc&) = delete;
  ~paint_dc() { EndPaint(wnd_, &ps_); }
  HDC get() const noexcept { return dc_; }
  const RECT& area() const noexcept { return ps_.rcPaint; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class select_object {
 public:
  select_object(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(SelectObject(dc, obj)) {}
  select_object(const select_object&) = delete;
  select_object& operator=(const select_object&) = delete;
  ~select_object() {
    if (selected()) SelectObject(dc_, old_);
  }
  // Whether the object went into the DC: drawing into a DC that kept its
  // previous object draws nowhere the program can see.
  bool selected() const noexcept { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
