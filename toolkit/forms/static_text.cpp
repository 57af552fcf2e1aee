#include "toolkit/forms/static_text.h"

#include "toolkit/forms/label.h"
#include "toolkit/win/handle.h"

TStaticText::TStaticText(TComponent* owner) : TWinControl(owner) {
  // The background is painted with the text, in whichever colour applies.
  brush_.Style = TBrushStyle::bsClear;
  SetBounds(0, 0, 65, 17);
}

void TStaticText::CreateParams(CreateParamsData& params) {
  TWinControl::CreateParams(params);
  params.window_class.name = L"TStaticText";
}

void TStaticText::SetAutoSize(bool value) {
  auto_size_ = value;
  AdjustBounds();
}

void TStaticText::SetColor(TColor color) {
  parent_color_ = false;
  TWinControl::SetColor(color);
}

void TStaticText::SetCaption(const std::wstring& caption) {
  TWinControl::SetCaption(caption);
  AdjustBounds();
}

void TStaticText::Loaded() {
  TWinControl::Loaded();
  AdjustBounds();
}

void TStaticText::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TStaticText::AdjustBounds() {
  if (!auto_size_ || Loading()) return;
  const TextMeasure measure(font_);
  SetBounds(left_, top_, measure.Width(caption_), measure.LineHeight());
}

void TStaticText::PaintWindow(HDC dc) {
  RECT client;
  GetClientRect(handle_, &client);
  unique_hbrush back(CreateSolidBrush(ColorToRGB(parent_color_ && parent_ ? parent_->Color() : color_)));
  FillRect(dc, &client, back.get());
  select_object font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(enabled_ ? font_.Color() : clBtnShadow));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int y = 0;
  for (const std::wstring& line : TLabel::WrapLines(dc, caption_, client.right)) {
    TextOutW(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
    y += tm.tmHeight;
  }
}
