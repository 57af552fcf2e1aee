// ghostmenu: a tray program of the tests' own, to tell whether a closed tray
// menu that stays on the screen is the platform's doing or the capture's
// wait. A hidden window and a notification-area icon (tip "ghost menu"); a
// right click on the icon shows a menu, and the item chosen is shown in a
// message box ("ghost menu"). In between, by the mode:
//   none   nothing
//   wait   the captures' wait for the menu to leave the screen
//   copy   that wait and the desktop capture's copy of the screen
//
//   ghostmenu none|wait|copy
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "forms/capture/screen_capture.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/win/handle.h"

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
const wchar_t* const kItems[] = {L"First item", L"Second item", L"Third item", L"Fourth item"};
std::wstring mode;

void Between() {
  if (mode == L"none") return;
  // As the desktop capture: the screen DC taken first, the wait, the copy.
  window_dc screen(nullptr, window_dc::Area::Window);
  WaitForMenuToLeaveScreen();
  if (mode != L"copy") return;
  TBitmap bitmap;
  CaptureDesktop(screen.get(), bitmap);
}

void ShowMenu(HWND wnd) {
  POINT at{};
  GetCursorPos(&at);
  HMENU menu = CreatePopupMenu();
  for (UINT i = 0; i < 4; ++i) AppendMenuW(menu, MF_STRING, i + 1, kItems[i]);
  SetForegroundWindow(wnd);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, wnd, nullptr));
  DestroyMenu(menu);
  if (chosen < 1 || chosen > 4) return;
  Between();
  MessageBoxW(wnd, kItems[chosen - 1], L"ghost menu", MB_OK);
}

LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTrayMessage && lp == WM_RBUTTONUP) {
    ShowMenu(wnd);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  mode = argv[1];
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelvoraGhostMenu";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"ghost menu", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
  if (!wnd) return 1;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = wnd;
  icon.uID = 1;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wcscpy_s(icon.szTip, L"ghost menu");
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
