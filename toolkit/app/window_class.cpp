#include "toolkit/app/window_class.h"

#include <set>
#include <string>

#include "toolkit/app/application.h"
#include "toolkit/core/exceptions.h"

namespace {
std::set<std::wstring>& RegisteredClasses() {
  static std::set<std::wstring> classes;
  return classes;
}
}  // namespace

void EnsureWindowClass(const WindowClassSpec& spec) {
  if (RegisteredClasses().count(spec.name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = spec.style;
  wc.lpfnWndProc = WindowTrampoline;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = spec.icon;
  wc.hCursor = spec.cursor ? spec.cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = spec.name;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw EOutOfResources(L"Cannot register window class " + std::wstring(spec.name));
  }
  RegisteredClasses().insert(spec.name);
}

HWND CreateTargetWindow(MessageTarget* target, const WindowCreateSpec& spec) {
  HWND wnd = CreateWindowExW(spec.ex_style, spec.class_name, spec.caption, spec.style, spec.x, spec.y,
                             spec.width, spec.height, spec.parent, nullptr, GetModuleHandleW(nullptr), target);
  if (!wnd) throw EOutOfResources(L"Error creating window");
  return wnd;
}

void DetachTarget(HWND wnd) noexcept {
  if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
}

LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  MessageTarget* target;
  if (msg == WM_NCCREATE) {
    target = static_cast<MessageTarget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  } else {
    target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  }
  if (!target) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    target->WindowDestroyed();
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  try {
    return target->HandleMessage(wnd, msg, wp, lp);
  } catch (...) {
    HandleCallbackException(std::current_exception());
    return 0;
  }
}
