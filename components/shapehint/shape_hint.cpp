#include "components/shapehint/shape_hint.h"

#include <memory>

#include "components/shapehint/shape_hint_window.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/hint_window.h"

TShapeHint* ShapeHintControl = nullptr;

TCustomHint::TCustomHint(TComponent* owner) : TComponent(owner) {
  font_.SetColor(clInfoText);
}

TCustomHint::~TCustomHint() = default;

void TCustomHint::Loaded() {
  TComponent::Loaded();
  if (enabled_) SetEnabled(true);
}

void TCustomHint::SetEnabled(bool value) {
  enabled_ = value;
  const bool show_hint = Application->ShowHint();
  if (value && hint_window_class_) {
    Application->SetHintWindowClass(hint_window_class_);
  } else {
    Application->SetHintWindowClass([] { return std::make_unique<THintWindow>(); });
  }
  // Turning hints off and on again drops the current hint window and makes
  // one of the class now installed.
  Application->SetShowHint(!show_hint);
  Application->SetShowHint(show_hint);
}

TCustomShapeHint::TCustomShapeHint(TComponent* owner) : TCustomHint(owner) {}

TShapeHint::TShapeHint(TComponent* owner) : TCustomShapeHint(owner) {
  hint_window_class_ = [] { return std::make_unique<TShapeHintWindow>(); };
}

TShapeHint::~TShapeHint() {
  if (ShapeHintControl == this) ShapeHintControl = nullptr;
}

void TShapeHint::SetEnabled(bool value) {
  TCustomShapeHint::SetEnabled(value);
  if (value) {
    ShapeHintControl = this;
  } else if (ShapeHintControl == this) {
    ShapeHintControl = nullptr;
  }
}

void TShapeHint::ShowHint(const std::wstring& text, int x, int y, uint16_t delay) {
  // The window is the caller's to free even if this component goes during
  // the wait; the window forgets a component that goes.
  auto window = std::make_unique<TShapeHintWindow>();
  window->ActivateHint(RECT{x, y, -1, -1}, text);
  WaitProcessing(delay);
}

void TShapeHint::ShowControlHint(const std::wstring& text, const TControl* control, uint16_t delay) {
  if (!control || !control->Visible() || !control->Parent()) return;
  POINT p = control->Parent()->ClientToScreen(POINT{control->Left(), control->Top()});
  p.x += control->Width() / 2;
  p.y += control->Height() / 2;
  ShowHint(text.empty() ? control->Hint() : text, p.x, p.y, delay);
}

void WaitProcessing(unsigned ms) {
  if (ms == 0) return;
  const ULONGLONG deadline = GetTickCount64() + ms;
  do {
    Application->ProcessMessages();
    const ULONGLONG now = GetTickCount64();
    if (Application->Terminated() || now > deadline) break;
    // Sleeps until a message comes or the time is up, rather than spinning.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now + 1), QS_ALLINPUT);
  } while (true);
}
