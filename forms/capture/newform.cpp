#include "forms/capture/newform.h"

#include <windowsx.h>

#include "forms/capture/screen_capture.h"
#include "toolkit/core/handle.h"
#include "toolkit/forms/screen.h"

TNewform* Newform = nullptr;

namespace {
// A press has been seen on the selector and its release has not.
bool Dragging = false;
// Set at the press, cleared once the drag's first band is drawn: until then
// there is no band on the screen to erase.
bool FirstMove = false;
}  // namespace

TNewform::TNewform(TComponent* owner) : TForm(owner) {
  LoadNewformLayout(*this);
  SetBorderStyle(TBorderStyle::bsNone);
  Brush().Style = TBrushStyle::bsClear;
  // It covers the screen pixel for pixel, whatever its scale.
  SetScaled(false);
  SetBounds(0, 0, Screen().Width(), Screen().Height());
  FinishConstruction();
}

void TNewform::GetSelRect(RECT& rect) const {
  CopyRect(&rect, &SelRect);
}

void TNewform::DoShow() {
  still_ = std::make_unique<TBitmap>();
  window_dc screen(nullptr);
  CaptureStill(screen.get(), *still_);
  TForm::DoShow();
}

void TNewform::DoHide() {
  still_.reset();
  TForm::DoHide();
}

void TNewform::ButtonDown(int x, int y) {
  SetCapture(Handle());
  SelRect.left = SelRect.right = x;
  SelRect.top = SelRect.bottom = y;
  FirstMove = true;
  Dragging = true;
}

void TNewform::Move(int x, int y) {
  if (!Dragging) return;
  window_dc dc(Handle());
  const int old_rop = SetROP2(dc.get(), R2_NOT);
  {
    select_object brush(dc.get(), GetStockObject(NULL_BRUSH));
    // Inverting the same outline twice restores the pixels: this erases
    // the previous band.
    if (!FirstMove) Rectangle(dc.get(), SelRect.left, SelRect.top, SelRect.right, SelRect.bottom);
    SelRect.right = x;
    SelRect.bottom = y;
    Rectangle(dc.get(), SelRect.left, SelRect.top, SelRect.right, SelRect.bottom);
    FirstMove = false;
  }
  SetROP2(dc.get(), old_rop);
}

void TNewform::ButtonUp() {
  ReleaseCapture();
  FirstMove = false;
  Dragging = false;
  Close();
}

LRESULT TNewform::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    // Read signed: under mouse capture a point left of or above the screen
    // is negative, not a large positive number.
    case WM_LBUTTONDOWN:
      ButtonDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_MOUSEMOVE:
      Move(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_LBUTTONUP:
      ButtonUp();
      return 0;
    case WM_PAINT:
      if (still_) {
        paint_dc paint(Handle());
        const RECT& r = paint.area();
        BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, still_->Canvas().Handle(), r.left,
               r.top, SRCCOPY);
        return 0;
      }
      break;
  }
  return TForm::WndProc(msg, wp, lp);
}
