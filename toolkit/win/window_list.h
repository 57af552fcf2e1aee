#pragma once
// Lists of windows. The system's enumerations call back through
// its own frames; an exception (no memory for the list) is carried out of
// the callback and thrown again once the enumeration has returned.
#include <windows.h>

#include <vector>

// The top-level windows of this thread.
std::vector<HWND> ThreadWindows();
// Every top-level window of the desktop, topmost first.
std::vector<HWND> DesktopWindows();
// Every window within `parent`, children's children too.
std::vector<HWND> ChildWindows(HWND parent);
