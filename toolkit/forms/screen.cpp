#include "toolkit/forms/screen.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/forms/form.h"
#include "toolkit/win/gathered.h"

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

RECT TScreen::DesktopRect() const {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {
BOOL CALLBACK AddMonitor(HMONITOR, HDC, RECT* area, LPARAM monitors) noexcept {
  return reinterpret_cast<Gathered<RECT>*>(monitors)->Add(*area);
}
}  // namespace

std::vector<RECT> TScreen::MonitorRects() const {
  Gathered<RECT> gathered;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&gathered));
  std::vector<RECT> monitors = gathered.Take();
  // A system that cannot list its monitors has the primary one.
  if (monitors.empty()) monitors.push_back(RECT{0, 0, Width(), Height()});
  return monitors;
}

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (active_form_ == form) active_form_ = nullptr;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
