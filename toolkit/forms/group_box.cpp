#include "toolkit/forms/group_box.h"

#include "toolkit/win/handle.h"

namespace {
// Where the caption starts along the top edge.
constexpr int kCaptionIndent = 8;
}  // namespace

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(CreateParamsData& params) {
  TWinControl::CreateParams(params);
  params.window_class.name = L"TGroupBox";
}

void TGroupBox::PaintWindow(HDC dc) {
  select_object font(dc, font_.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  // The frame's top edge runs through the middle of the caption.
  RECT frame = ClientRect();
  frame.top = tm.tmHeight / 2 - 1;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (caption_.empty()) return;
  RECT text{Scaled(kCaptionIndent), 0, Scaled(kCaptionIndent), tm.tmHeight};
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text, DT_SINGLELINE | DT_CALCRECT);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ColorToRGB(color_));
  SetTextColor(dc, ColorToRGB(font_.Color()));
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text, DT_SINGLELINE);
}
