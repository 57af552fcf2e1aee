// What the probe's hook library reads of an open popup menu inside the process
// that shows it (Wine keeps menus private to their process, so GetMenuItemInfoW
// fails from outside), laid out in a named shared mapping the probe creates.
#pragma once

#include <windows.h>

#include <string>

namespace menu_snapshot {

// Sent to a popup menu window ("#32768") with the probe's process id as wParam;
// the hook answers by filling the mapping named for that id.
inline constexpr wchar_t kMessage[] = L"KelvoraProbeReadMenu";
inline constexpr char kHookProc[] = "ReadMenuHook";
inline constexpr wchar_t kLibrary[] = L"probehook.dll";

inline constexpr int kMaxItems = 64;
inline constexpr int kTextChars = 256;

struct Item {
  UINT id;
  UINT type;
  UINT state;
  BOOL submenu;
  BOOL placed;
  RECT rect;
  wchar_t text[kTextChars];
};

struct Snapshot {
  BOOL filled;
  int count;  // items the menu has; at most kMaxItems of them are recorded
  Item items[kMaxItems];
};

inline std::wstring MappingName(DWORD probePid) {
  return L"KelvoraProbeMenu." + std::to_wstring(probePid);
}

}  // namespace menu_snapshot
