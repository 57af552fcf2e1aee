#include "toolkit/forms/panel.h"

#include "toolkit/win/handle.h"

void Frame3D(HDC dc, RECT& r, TColor top_left, TColor bottom_right, int width) {
  unique_hbrush tl(CreateSolidBrush(ColorToRGB(top_left)));
  unique_hbrush br(CreateSolidBrush(ColorToRGB(bottom_right)));
  for (int i = 0; i < width; ++i) {
    const RECT top{r.left, r.top, r.right - 1, r.top + 1};
    const RECT left{r.left, r.top, r.left + 1, r.bottom - 1};
    const RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
    const RECT right{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, tl.get());
    FillRect(dc, &left, tl.get());
    FillRect(dc, &bottom, br.get());
    FillRect(dc, &right, br.get());
    InflateRect(&r, -1, -1);
  }
}

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::CreateParams(CreateParamsData& params) {
  TWinControl::CreateParams(params);
  params.window_class.name = L"TPanel";
}

void TPanel::Changed() {
  AlignControls();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut cut) {
  bevel_inner_ = cut;
  Changed();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
  bevel_outer_ = cut;
  Changed();
}

void TPanel::ChangeScale(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  bevel_width_ = MulDivRound(bevel_width_, dpi, dpi_);
  TWinControl::ChangeScale(dpi);
}

void TPanel::SetBevelWidth(int width) {
  bevel_width_ = width;
  Changed();
}

RECT TPanel::AlignArea() const {
  RECT r = ClientRect();
  int inset = 0;
  if (bevel_outer_ != TBevelCut::bvNone) inset += bevel_width_;
  if (bevel_inner_ != TBevelCut::bvNone) inset += bevel_width_;
  InflateRect(&r, -inset, -inset);
  return r;
}

void TPanel::PaintWindow(HDC dc) {
  RECT r = ClientRect();
  const auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    const bool raised = cut == TBevelCut::bvRaised;
    Frame3D(dc, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, bevel_width_);
  };
  bevel(bevel_outer_);
  bevel(bevel_inner_);
  if (!caption_.empty()) {
    select_object font(dc, font_.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(font_.Color()));
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}
