#include "forms/capture/newform.h"

#include <windowsx.h>

#include <utility>

#include "forms/capture/screen_capture.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/handle.h"

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
  CoverDesktop();
  FinishConstruction();
}

void TNewform::CoverDesktop() {
  desktop_ = Screen().DesktopRect();
  SetBounds(desktop_.left, desktop_.top, desktop_.right - desktop_.left, desktop_.bottom - desktop_.top);
}

void TNewform::GetSelRect(RECT& rect) const {
  CopyRect(&rect, &SelRect);
}

void TNewform::PrepareStill() {
  if (showing_) return;
  const RECT desktop = Screen().DesktopRect();
  if (!still_ || !EqualRect(&still_->Desktop(), &desktop)) still_ = std::make_unique<StillPicture>(desktop);
}

void TNewform::DropStill() {
  if (!showing_) still_.reset();
  menu_area_ = {};
}

void TNewform::DoShow() {
  // Measured at every showing: monitors come and go and resolutions change
  // while the program runs, and a size fixed at start-up would cover a
  // screen that no longer exists. A picture prepared for another size is
  // made anew.
  CoverDesktop();
  PrepareStill();
  showing_ = true;
  window_dc screen(nullptr);
  const RECT menu = std::exchange(menu_area_, RECT{});
  still_->Capture(screen.get(), menu);
  TForm::DoShow();
}

void TNewform::DoHide() {
  showing_ = false;
  still_.reset();
  TForm::DoHide();
}

void TNewform::ButtonDown(int x, int y) {
  SetCapture(Handle());
  x += desktop_.left;
  y += desktop_.top;
  SelRect.left = SelRect.right = x;
  SelRect.top = SelRect.bottom = y;
  FirstMove = true;
  Dragging = true;
}

void TNewform::Move(int x, int y) {
  if (!Dragging) return;
  window_dc dc(Handle());
  // Inverting the same outline twice restores the pixels: this erases the
  // previous band.
  if (!FirstMove) InvertBand(dc.get());
  SelRect.right = x + desktop_.left;
  SelRect.bottom = y + desktop_.top;
  InvertBand(dc.get());
  FirstMove = false;
}

void TNewform::InvertBand(HDC dc) const {
  const int old_rop = SetROP2(dc, R2_NOT);
  {
    select_object brush(dc, GetStockObject(NULL_BRUSH));
    // SelRect is in screen pixels; the window's own pixels start at the
    // virtual screen's top-left corner.
    Rectangle(dc, SelRect.left - desktop_.left, SelRect.top - desktop_.top, SelRect.right - desktop_.left,
              SelRect.bottom - desktop_.top);
  }
  SetROP2(dc, old_rop);
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
    case WM_DISPLAYCHANGE:
      CoverDesktop();
      break;
    case WM_PAINT:
      if (still_ && showing_) {
        paint_dc paint(Handle());
        const RECT& r = paint.area();
        BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, still_->Bitmap().Canvas().Handle(),
               r.left, r.top, SRCCOPY);
        // Paint comes after every other message: a user who presses and
        // drags at once is already dragging when the first paint wipes the
        // band where it paints. It goes back there, and only there, by the
        // paint's clipping.
        if (Dragging && !FirstMove) InvertBand(paint.get());
        return 0;
      }
      break;
  }
  return TForm::WndProc(msg, wp, lp);
}
