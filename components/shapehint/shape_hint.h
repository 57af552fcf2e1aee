#pragma once
// The shaped hint component: while enabled it puts the shaped hint window in
// place of the application's hint window and supplies everything that window
// draws. The last component enabled is the source of every hint's look.
#include <windows.h>

#include <cstdint>
#include <string>

#include "components/shapehint/settings_objects.h"
#include "toolkit/core/component.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/hint_controller.h"
#include "toolkit/graphics/font.h"

class TControl;

class TCustomHint : public TComponent {
 public:
  explicit TCustomHint(TComponent* owner);
  ~TCustomHint() override;

  const std::wstring& About() const noexcept { return about_; }
  void SetAbout(const std::wstring& value) { about_ = value; }
  TColor Color() const noexcept { return color_; }
  void SetColor(TColor value) { color_ = value; }
  bool Enabled() const noexcept { return enabled_; }
  virtual void SetEnabled(bool value);
  TFont& Font() noexcept { return font_; }
  const TFont& Font() const noexcept { return font_; }
  void SetFont(const TFont& value) { font_.Assign(value); }
  T3DCaption& Font3D() noexcept { return font3d_; }
  const T3DCaption& Font3D() const noexcept { return font3d_; }
  void SetFont3D(const T3DCaption& value) { font3d_.Assign(value); }
  // Pixels when positive; -n is the screen width divided by n.
  int32_t MaxWidth() const noexcept { return max_width_; }
  void SetMaxWidth(int32_t value) { max_width_ = value; }

  // A component read from a layout while enabled becomes active here.
  void Loaded() override;

 protected:
  // The hint window class installed while this component is enabled; none
  // here, so the standard one.
  HintController::Factory hint_window_class_;

 private:
  std::wstring about_;
  TColor color_ = clInfoBk;
  bool enabled_ = true;
  TFont font_;
  T3DCaption font3d_;
  int32_t max_width_ = -4;
};

class TCustomShapeHint : public TCustomHint {
 public:
  explicit TCustomShapeHint(TComponent* owner);

  TColor BorderColor() const noexcept { return border_color_; }
  void SetBorderColor(TColor value) { border_color_ = value; }
  THintPosition Position() const noexcept { return position_; }
  void SetPosition(THintPosition value) { position_ = value; }
  THintStyle Style() const noexcept { return style_; }
  void SetStyle(THintStyle value) { style_ = value; }
  TShadow& Shadow() noexcept { return shadow_; }
  const TShadow& Shadow() const noexcept { return shadow_; }
  void SetShadow(const TShadow& value) { shadow_.Assign(value); }

  // Raised when a shaped hint window this component drove closes.
  TNotifyEvent OnCloseHintWindow;

 private:
  TColor border_color_ = clBlack;
  THintPosition position_ = hpAboveRight;
  THintStyle style_ = hsNoseRoundRect;
  TShadow shadow_;
};

class TShapeHint : public TCustomShapeHint {
 public:
  explicit TShapeHint(TComponent* owner);
  ~TShapeHint() override;

  void SetEnabled(bool value) override;

  // Shows text in a shaped hint next to the screen point (x, y) for `delay`
  // milliseconds, handling messages meanwhile. The look is the active
  // component's; with none active nothing shows, and the wait still runs.
  void ShowHint(const std::wstring& text, int x, int y, uint16_t delay);
  // The same at the centre of a visible control with a parent; an empty
  // text is the control's own hint.
  void ShowControlHint(const std::wstring& text, const TControl* control, uint16_t delay);
};

// The component every hint takes its look from, or none.
extern TShapeHint* ShapeHintControl;

// Handles messages for `ms` milliseconds, or until the application ends.
void WaitProcessing(unsigned ms);
