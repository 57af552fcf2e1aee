// pattern: a borderless window showing a known picture, for the capture tests
// to capture and compare with. It runs under Wine in the same desktop as
// kelvora.exe, as an ordinary (not topmost) window, so that the region
// selector opens above it.
//
//   pattern pixels <x> <y> <w> <h>     a different colour at each pixel
//   pattern halftone <x> <y> <w> <h>   8 x 8 blocks of the screen's halftone colours
//
// Once the window is on the screen it prints one JSON line on stdout:
// {"hwnd": N, "palette": [[r, g, b], ...]} (the halftone palette of the
// screen DC, as CreateHalftonePalette gives it). It closes when stdin ends.
// The colour formulas are repeated in test_capture.py.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/win_support.h"
#include "toolkit/graphics/dib.h"

namespace {

int width = 0, height = 0;
std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

DWORD Rgb(int r, int g, int b) {
  return (static_cast<DWORD>(r & 0xFF) << 16) | (static_cast<DWORD>(g & 0xFF) << 8) | static_cast<DWORD>(b & 0xFF);
}

DWORD PixelColour(int x, int y) { return Rgb(x * 37 + y, y * 59 + x / 3, (x / 7) * 23 + (y / 5) * 11); }

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      const DibInfo info = DibHeader(width, -height, 32);
      SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(),
                        reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

// Ends the program when the test closes our stdin.
DWORD WINAPI WatchStdin(void* window) {
  char buffer[64];
  while (std::fgets(buffer, sizeof buffer, stdin)) {
  }
  PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Physical pixels on a scaled display, as the program under test sees them.
  SetProcessDPIAware();
  if (argc != 6) {
    std::fprintf(stderr, "usage: pattern pixels|halftone <x> <y> <w> <h>\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  const int x = _wtoi(argv[2]), y = _wtoi(argv[3]);
  width = _wtoi(argv[4]);
  height = _wtoi(argv[5]);
  if ((mode != L"pixels" && mode != L"halftone") || width <= 0 || height <= 0) return 2;

  const std::vector<PALETTEENTRY> entries = ScreenHalftoneEntries();
  const size_t count = entries.size();
  if (count == 0) return 1;

  pixels.resize(static_cast<size_t>(width) * height);
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const PALETTEENTRY& e = entries[(px / 8 + (py / 8) * 7) % count];
      pixels[static_cast<size_t>(py) * width + px] =
          mode == L"pixels" ? PixelColour(px, py) : Rgb(e.peRed, e.peGreen, e.peBlue);
    }

  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"KelvoraPattern";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"pattern", WS_POPUP, x, y, width, height,
                             nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return 1;
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  UpdateWindow(wnd);

  std::string palette;
  for (size_t i = 0; i < count; ++i)
    palette += (i ? ", [" : "[") + std::to_string(entries[i].peRed) + ", " + std::to_string(entries[i].peGreen) +
               ", " + std::to_string(entries[i].peBlue) + "]";
  std::printf("{\"hwnd\": %llu, \"palette\": [%s]}\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(wnd)), palette.c_str());
  std::fflush(stdout);
  CloseHandle(CreateThread(nullptr, 0, WatchStdin, wnd, 0, nullptr));

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
