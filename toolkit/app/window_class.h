#pragma once
// The one window procedure of the toolkit: it finds the object behind a
// window (handed over at WM_NCCREATE, kept in GWLP_USERDATA, forgotten at
// WM_NCDESTROY) and calls its handler. No C++ exception leaves it: whatever a
// handler throws goes to the application's error display.
#include <windows.h>

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // Called for every message; the default is the caller's to provide.
  virtual LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) = 0;
  // The window is going away: forget the handle.
  virtual void WindowDestroyed() noexcept {}
};

struct WindowClassParams {
  const wchar_t* name;
  UINT style = 0;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
};

// Registers the class once per process (later calls do nothing).
void EnsureWindowClass(const WindowClassParams& params);

struct WindowCreateParams {
  const wchar_t* class_name;
  const wchar_t* caption = L"";
  DWORD style = 0;
  DWORD ex_style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
};

// Creates a window whose messages reach `target`; throws EOutOfResources when
// the system refuses.
HWND CreateTargetWindow(MessageTarget* target, const WindowCreateParams& params);

// Detaches a target from its window before the object goes, so the messages
// of the window's destruction no longer reach a half-destroyed object.
void DetachTarget(HWND wnd) noexcept;

// The window procedure every toolkit window class is registered with.
LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
