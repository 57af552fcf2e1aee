#include "toolkit/forms/hint_controller.h"

#include <windows.h>

#include "toolkit/forms/control.h"
#include "toolkit/forms/hint_window.h"
#include "toolkit/forms/screen.h"

HintController::HintController() {
  factory_ = [] { return std::make_unique<THintWindow>(); };
  show_timer_.SetEnabled(false);
  hide_timer_.SetEnabled(false);
  show_timer_.OnTimer = [this](TComponent*) {
    show_timer_.SetEnabled(false);
    ShowNow();
  };
  hide_timer_.OnTimer = [this](TComponent*) {
    // The hint goes, and stays away until the mouse moves to another control.
    hide_timer_.SetEnabled(false);
    if (window_) window_->ReleaseHandle();
  };
}

HintController::~HintController() = default;

void HintController::SetFactory(Factory factory) {
  factory_ = std::move(factory);
}

void HintController::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (value) {
    window_ = factory_();
  } else {
    Cancel();
    window_.reset();
  }
}

void HintController::MouseOver(const TControl* control) {
  const TControl* hint_control = control ? control->HintControl() : nullptr;
  const std::wstring text = control ? control->HintText() : std::wstring();
  if (!enabled_ || !hint_control || text.empty()) {
    Cancel();
    return;
  }
  if (hint_control == current_ && text == text_) return;
  const bool was_showing = window_ && window_->Showing();
  Cancel();
  current_ = hint_control;
  text_ = text;
  if (was_showing) {
    ShowNow();  // moving from one hint to the next shows it at once
  } else {
    show_timer_.SetInterval(kPause);
    show_timer_.SetEnabled(true);
  }
}

void HintController::Cancel() {
  show_timer_.SetEnabled(false);
  hide_timer_.SetEnabled(false);
  current_ = nullptr;
  text_.clear();
  if (window_) window_->ReleaseHandle();
}

void HintController::ShowNow() {
  if (!enabled_ || text_.empty()) return;
  if (!window_) window_ = factory_();
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT r = window_->CalcHintRect(Screen().Width(), text_);
  // Below the pointer, clear of the cursor's picture.
  OffsetRect(&r, cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) * 2 / 3);
  window_->ActivateHint(r, text_);
  hide_timer_.SetInterval(kHidePause);
  hide_timer_.SetEnabled(true);
}
