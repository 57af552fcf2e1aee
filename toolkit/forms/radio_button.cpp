#include "toolkit/forms/radio_button.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "toolkit/win/handle.h"

namespace {
// The system's radio glyph at 96 dots per inch, and the gap before the caption.
constexpr int kGlyphSize = 13;
constexpr int kCaptionGap = 4;
}  // namespace

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(CreateParamsData& params) {
  TWinControl::CreateParams(params);
  params.window_class.name = L"TRadioButton";
}

void TRadioButton::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  Invalidate();
  NotifyAccessible(EVENT_OBJECT_STATECHANGE);
  if (!value) return;
  if (parent_) {
    for (TControl* sibling : parent_->Controls()) {
      if (sibling == this) continue;
      if (auto* radio = dynamic_cast<TRadioButton*>(sibling)) radio->SetChecked(false);
    }
  }
  TControl::Click();
}

void TRadioButton::Click() {
  if (!checked_) SetChecked(true);
}

std::vector<TRadioButton*> TRadioButton::Group() const {
  if (!parent_) return {const_cast<TRadioButton*>(this)};
  std::vector<TRadioButton*> group;
  for (TWinControl* c : parent_->TabList()) {
    if (auto* radio = dynamic_cast<TRadioButton*>(c)) group.push_back(radio);
  }
  return group;
}

bool TRadioButton::TabStop() const {
  if (checked_) return true;
  const auto group = Group();
  const bool any_checked = std::any_of(group.begin(), group.end(), [](const TRadioButton* r) { return r->checked_; });
  return !any_checked && group.front() == this;
}

bool TRadioButton::SelectInGroup(bool forward) {
  auto group = Group();
  if (!forward) std::reverse(group.begin(), group.end());
  const auto at = std::find(group.begin(), group.end(), this);
  const size_t n = group.size();
  for (size_t i = 1; i <= n; ++i) {
    TRadioButton* next = group[(static_cast<size_t>(at - group.begin()) + i) % n];
    if (!next->CanFocus()) continue;
    // As a dialog does it: the focus moves first, then the button is
    // clicked, which stores the choice at once.
    next->SetFocus();
    next->Click();
    return true;
  }
  return false;
}

void TRadioButton::SetPushed(bool value) {
  if (value == pushed_) return;
  pushed_ = value;
  Invalidate();
}

LRESULT TRadioButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(handle_);
      SetCapture(handle_);
      SetPushed(true);
      break;
    case WM_MOUSEMOVE:
      if (GetCapture() == handle_) {
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        const RECT r = ClientRect();
        SetPushed(PtInRect(&r, p) != FALSE);
      }
      break;
    case WM_LBUTTONUP: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const RECT r = ClientRect();
      // Released away from the button, the press was no click.
      if (!PtInRect(&r, p)) mouse_pressed_ = false;
      if (GetCapture() == handle_) ReleaseCapture();
      SetPushed(false);
      break;
    }
    case WM_CAPTURECHANGED:
      SetPushed(false);
      break;
    case WM_KEYUP:
      if (wp == VK_SPACE) Click();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    // Answered as a system radio button answers them, so that whatever
    // reads or presses buttons from outside works on these too.
    case BM_GETCHECK:
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_CLICK:
      Click();
      return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

void TRadioButton::PaintWindow(HDC dc) {
  const RECT client = ClientRect();
  const int glyph_size = Scaled(kGlyphSize);
  const int glyph_top = (client.bottom - glyph_size) / 2;
  RECT glyph{0, glyph_top, glyph_size, glyph_top + glyph_size};
  DrawFrameControl(dc, &glyph, DFC_BUTTON,
                   DFCS_BUTTONRADIO | (checked_ ? DFCS_CHECKED : 0) | (pushed_ ? DFCS_PUSHED : 0));
  if (caption_.empty()) return;
  select_object font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(font_.Color()));
  RECT text{glyph_size + Scaled(kCaptionGap), 0, client.right, client.bottom};
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  // The focus rectangle shows as the system's keyboard cues say: at once,
  // or once the keyboard has been used in the window.
  if (Focused() && FocusCuesShown()) {
    RECT box = text;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &box, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    OffsetRect(&box, 0, (client.bottom - (box.bottom - box.top)) / 2 - box.top);
    InflateRect(&box, 1, 1);
    DrawFocusRect(dc, &box);
  }
}
