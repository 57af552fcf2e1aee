#pragma once
// The one window procedure of the toolkit: it finds the object behind a
// window (handed over at WM_NCCREATE, kept in GWLP_USERDATA, forgotten at
// WM_NCDESTROY) and calls its handler. No C++ exception leaves it: whatever a
// handler throws goes to the callback exception handler (the application's
// error display).
#include <windows.h>

class MessageTarget;
LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

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

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // Called for every message; the default is the caller's to provide.
  virtual LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) = 0;

 protected:
  // Creates the window whose messages reach this target; throws
  // EOutOfResources when the system refuses.
  void CreateTargetWindow(const WindowCreateParams& params);
  // Detaches the target from its window before the object goes, so that the
  // messages of the window's destruction no longer reach a half-destroyed
  // object; answers the window, now the caller's to destroy.
  HWND DetachWindow() noexcept;

  // The window, from its WM_NCCREATE to its WM_NCDESTROY: the trampoline
  // sets and clears it.
  HWND handle_ = nullptr;

 private:
  friend LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
};

// The window procedure every toolkit window class is registered with.
LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
