#include "toolkit/forms/hint_window.h"

#include "toolkit/forms/application.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/handle.h"

THintWindow::THintWindow() : TWinControl(nullptr) {
  visible_ = false;
  color_ = clInfoBk;
  // The system's status font, as the shell's own tool-tips use: on a
  // Chinese system it carries the ideographs.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font_.SetName(metrics.lfStatusFont.lfFaceName);
    font_.SetHeight(metrics.lfStatusFont.lfHeight);
    font_.SetCharset(metrics.lfStatusFont.lfCharSet);
  }
  font_.SetColor(clInfoText);
}

void THintWindow::CreateParams(CreateParamsData& params) {
  TWinControl::CreateParams(params);
  params.window_class.name = L"THintWindow";
  params.window_class.style = CS_SAVEBITS;
  params.window.style = WS_POPUP | WS_BORDER;
  params.window.ex_style = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.window.parent = Application->Handle();
}

RECT THintWindow::CalcHintRect(int max_width, const std::wstring& hint) {
  RECT r{0, 0, max_width, 0};
  window_dc screen(nullptr);
  select_object font(screen.get(), font_.Handle());
  DrawTextW(screen.get(), hint.c_str(), static_cast<int>(hint.size()), &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT r, const std::wstring& hint) {
  SetCaption(hint);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (r.right > Screen().Width()) OffsetRect(&r, Screen().Width() - r.right, 0);
  if (r.left < 0) OffsetRect(&r, -r.left, 0);
  if (r.bottom > Screen().Height()) OffsetRect(&r, 0, Screen().Height() - r.bottom);
  if (r.top < 0) OffsetRect(&r, 0, -r.top);
  left_ = r.left;
  top_ = r.top;
  width_ = w;
  height_ = h;
  HWND wnd = Handle();
  SetWindowPos(wnd, HWND_TOPMOST, r.left, r.top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  visible_ = true;
  InvalidateRect(wnd, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

bool THintWindow::Showing() const {
  return handle_ && IsWindowVisible(handle_);
}

void THintWindow::PaintWindow(HDC dc) {
  RECT r = ClientRect();
  InflateRect(&r, -2, -2);
  r.left += 1;
  select_object font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(font_.Color()));
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT THintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The hint never takes the mouse: clicks fall through to what is below.
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return TWinControl::WndProc(msg, wp, lp);
}
