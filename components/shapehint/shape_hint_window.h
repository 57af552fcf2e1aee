#pragma once
// The shaped hint window. It stays a plain rectangle: each hint is composed
// in one off-screen bitmap over a copy of the screen under the window's
// place (shadow, body with its nose, 3D text) and copied onto the window at
// once, so the screen shows through around the shape. With no active
// component it measures, places and letters as the standard hint window.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "components/shapehint/hint_geometry.h"
#include "toolkit/forms/hint_window.h"

class TCustomShapeHint;

class TShapeHintWindow : public THintWindow {
 public:
  TShapeHintWindow();
  ~TShapeHintWindow() override;

  // The toolkit's rectangle is used only to tell the point form (x, y, -1,
  // -1), which places the hint next to (x, y) instead of the pointer.
  void ActivateHint(RECT r, const std::wstring& hint) override;
  // Binds the window to `component` for good, then shows the hint.
  void ActivateHintExt(RECT r, const std::wstring& hint, TCustomShapeHint* component);

  // The component whose settings are drawn, while it exists.
  TCustomShapeHint* ControllingComponent() const noexcept { return control_; }

 protected:
  // Draws the shadow and the body of a planned hint in the component's
  // colours; the text goes into the layout's text rectangle afterwards.
  void Draw(HDC dc, const shapehint::HintLayout& layout);

  void CreateParams(CreateParamsData& params) override;
  void PaintWindow(HDC dc) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void SetControl(TCustomShapeHint* component);
  // A depth the component gives at 96 dpi, at the hint's dots per inch.
  uint8_t ScaledDepth(int depth) const;
  void RaiseClose();
  TCustomShapeHint* control_ = nullptr;
  bool bound_ = false;
  int hint_dpi_ = 96;
};

// The 8 × 8 half-tone of tracing shadows: pixels with x + y odd in the
// colour, the others white. One bitmap, rebuilt when the colour changes,
// kept until the program ends.
HBITMAP GetBrushBitmap(TColor color);
