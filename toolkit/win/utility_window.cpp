#include "toolkit/win/utility_window.h"

namespace {
constexpr wchar_t kUtilityClass[] = L"TPUtilWindow";
}

UtilityWindow::UtilityWindow(Procedure proc) : proc_(std::move(proc)) {
  EnsureWindowClass({kUtilityClass});
  WindowCreateParams params{kUtilityClass};
  params.style = WS_POPUP;
  params.ex_style = WS_EX_TOOLWINDOW;
  CreateTargetWindow(params);
}

UtilityWindow::~UtilityWindow() {
  if (HWND wnd = DetachWindow()) DestroyWindow(wnd);
}

LRESULT UtilityWindow::HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  bool handled = false;
  if (proc_) {
    const LRESULT result = proc_(msg, wp, lp, handled);
    if (handled) return result;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

std::unique_ptr<UtilityWindow> AllocateHWnd(UtilityWindow::Procedure proc) {
  return std::make_unique<UtilityWindow>(std::move(proc));
}

void DeallocateHWnd(std::unique_ptr<UtilityWindow>& window) noexcept {
  window.reset();
}
