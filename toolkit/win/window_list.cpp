#include "toolkit/win/window_list.h"

#include "toolkit/win/gathered.h"

namespace {

BOOL CALLBACK Collect(HWND wnd, LPARAM out) noexcept {
  return reinterpret_cast<Gathered<HWND>*>(out)->Add(wnd);
}

}  // namespace

std::vector<HWND> ThreadWindows() {
  Gathered<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
  return windows.Take();
}

std::vector<HWND> DesktopWindows() {
  Gathered<HWND> windows;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  return windows.Take();
}

std::vector<HWND> ChildWindows(HWND parent) {
  Gathered<HWND> windows;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&windows));
  return windows.Take();
}
