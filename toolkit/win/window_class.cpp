#include "toolkit/win/window_class.h"

#include <set>
#include <string>

#include "toolkit/core/exceptions.h"
#include "toolkit/win/callback_exception.h"

namespace {
std::set<std::wstring>& RegisteredClasses() {
  static std::set<std::wstring> classes;
  return classes;
}
}  // namespace

void EnsureWindowClass(const WindowClassParams& params) {
  if (RegisteredClasses().count(params.name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = params.style;
  wc.lpfnWndProc = WindowTrampoline;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = params.icon;
  wc.hCursor = params.cursor ? params.cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = params.name;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw EOutOfResources(L"Cannot register window class " + std::wstring(params.name));
  }
  RegisteredClasses().insert(params.name);
}

void MessageTarget::CreateTargetWindow(const WindowCreateParams& params) {
  CreateWindowExW(params.ex_style, params.class_name, params.caption, params.style, params.x, params.y, params.width,
                  params.height, params.parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!handle_) throw EOutOfResources(L"Error creating window");
}

HWND MessageTarget::DetachWindow() noexcept {
  HWND wnd = handle_;
  if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
  handle_ = nullptr;
  return wnd;
}

LRESULT CALLBACK WindowTrampoline(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  MessageTarget* target;
  if (msg == WM_NCCREATE) {
    target = static_cast<MessageTarget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    if (target) target->handle_ = wnd;
  } else {
    target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  }
  if (!target) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    target->handle_ = nullptr;
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  try {
    return target->HandleMessage(wnd, msg, wp, lp);
  } catch (...) {
    HandleCallbackException(std::current_exception());
    return 0;
  }
}
