#include "toolkit/forms/image.h"

#include "toolkit/graphics/fit_rule.h"

TImage::TImage(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 105, 105);
}

void TImage::PictureChanged() {
  // An aligned image keeps the size its alignment gives it.
  if (auto_size_ && align_ == TAlign::alNone && picture_.Width() > 0 && picture_.Height() > 0)
    SetBounds(left_, top_, picture_.Width(), picture_.Height());
  Invalidate();
}

RECT TImage::DestRect() const {
  const int w = picture_.Width(), h = picture_.Height();
  if (stretch_ && !proportional_) return {0, 0, width_, height_};
  int dw = w, dh = h, x = 0, y = 0;
  if (proportional_) {
    const kelvora_image::FitRect fit = kelvora_image::FitPicture(w, h, width_, height_);
    dw = fit.width;
    dh = fit.height;
  }
  if (center_) {
    x = (width_ - dw) / 2;
    y = (height_ - dh) / 2;
  }
  return {x, y, x + dw, y + dh};
}

void TImage::ChangeScale(int dpi) {
  picture_.ChangeScale(dpi);
  TControl::ChangeScale(dpi);
}

void TImage::Paint(HDC dc) {
  if (TGraphic* g = picture_.Graphic(); g && !g->Empty()) g->Draw(dc, DestRect());
}
