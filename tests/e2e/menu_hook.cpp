// probehook.dll: loaded by Wine into the process that shows a popup menu when
// the probe sets a WH_CALLWNDPROC hook on that menu's thread. It reads the menu
// there and copies it into the probe's shared mapping; it changes nothing.
#include <windows.h>

#include <algorithm>

#include "menu_snapshot.h"

namespace {

void Record(HWND menuWindow, DWORD probePid) {
  const HANDLE mapping =
      OpenFileMappingW(FILE_MAP_WRITE, FALSE, menu_snapshot::MappingName(probePid).c_str());
  if (!mapping) return;
  auto* snapshot = static_cast<menu_snapshot::Snapshot*>(
      MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(menu_snapshot::Snapshot)));
  if (snapshot) {
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    snapshot->count = menu ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < std::min(snapshot->count, menu_snapshot::kMaxItems); ++i) {
      menu_snapshot::Item& item = snapshot->items[i];
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
      info.dwTypeData = item.text;
      info.cch = menu_snapshot::kTextChars;
      if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
      item.id = info.wID;
      item.type = info.fType;
      item.state = info.fState;
      item.submenu = info.hSubMenu != nullptr;
      item.placed = GetMenuItemRect(menuWindow, menu, static_cast<UINT>(i), &item.rect);
    }
    snapshot->filled = TRUE;
    UnmapViewOfFile(snapshot);
  }
  CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ReadMenuHook(int code, WPARAM wParam,
                                                               LPARAM lParam) {
  static const UINT message = RegisterWindowMessageW(menu_snapshot::kMessage);
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == message) {
    Record(call->hwnd, static_cast<DWORD>(call->wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
