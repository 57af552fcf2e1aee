// slowpainter: another program's window, for the captures' wait for the menu
// to leave the screen. It answers every message at once and paints at once
// when its own loop asks, but a paint sent from another thread (RedrawWindow
// with RDW_UPDATENOW from outside) never returns: a capture that makes it
// paint from outside hangs with it.
//
//   slowpainter <left> <top> <width> <height>
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    if (InSendMessage()) Sleep(INFINITE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EndPaint(wnd, &ps);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelvoraSlowPainter";
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"slow painter", WS_POPUP | WS_VISIBLE,
                             _wtoi(argv[1]), _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (!wnd) return 1;
  std::printf("{\"hwnd\": %llu}\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)));
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
