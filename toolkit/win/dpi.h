#pragma once
// The dots per inch of monitors and windows. The per-monitor queries exist
// only on newer systems, so they are looked up at run time; older systems
// answer with the one system-wide value.
#include <windows.h>

// The monitor's dots per inch.
int MonitorDpi(HMONITOR monitor);
// The dots per inch of the monitor a window with its top-left corner at
// `point` opens on; the primary monitor when `point` is on none.
int DpiAtPoint(POINT point);
int PrimaryMonitorDpi();
