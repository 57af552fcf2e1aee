#include "toolkit/win/dpi.h"

#include "toolkit/core/dpi_scale.h"
#include "toolkit/win/handle.h"

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Once per process; the library stays loaded for the process's life.
GetDpiForMonitorFn DpiForMonitorFunction() {
  static const auto function = [] {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return function;
}

int SystemDpi() {
  window_dc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int MonitorDpi(HMONITOR monitor) {
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0, y = 0;
  if (GetDpiForMonitorFn query = DpiForMonitorFunction();
      query && monitor && SUCCEEDED(query(monitor, kEffectiveDpi, &x, &y)) && y > 0)
    return static_cast<int>(y);
  return SystemDpi();
}

int DpiAtPoint(POINT point) { return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY)); }

int PrimaryMonitorDpi() { return DpiAtPoint(POINT{0, 0}); }
