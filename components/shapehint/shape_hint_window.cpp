#include "components/shapehint/shape_hint_window.h"

#include <algorithm>

#include "components/shapehint/shape_hint.h"
#include "components/shapehint/three_d_text.h"
#include "components/shapehint/three_d_text_geometry.h"
#include "toolkit/core/dpi_scale.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/dpi.h"
#include "toolkit/win/handle.h"

namespace {

using shapehint::Figure;
using shapehint::NoseMode;
using shapehint::Outline;

shapehint::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const shapehint::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
POINT ToPOINT(const shapehint::Point& p) { return {p.x, p.y}; }

// The pen and brush a figure is drawn with; the nose edges need the
// component's colours too.
struct FigureColors {
  COLORREF fill;
  COLORREF border;
  int corner;  // the rounded corners' ellipse, scaled
};

void Triangle(HDC dc, const Figure& f) {
  const POINT points[3] = {ToPOINT(f.base_start), ToPOINT(f.tip), ToPOINT(f.base_end)};
  Polygon(dc, points, 3);
}

void DrawNosedBody(HDC dc, const Figure& f, const FigureColors& colors) {
  const RECT b = ToRECT(f.bounds);
  if (f.outline == Outline::RoundRect) {
    RoundRect(dc, b.left, b.top, b.right, b.bottom, colors.corner, colors.corner);
  } else if (f.outline == Outline::Ellipse) {
    Ellipse(dc, b.left, b.top, b.right, b.bottom);
  } else {
    Rectangle(dc, b.left, b.top, b.right, b.bottom);
  }
  if (f.nose == NoseMode::None) return;
  Triangle(dc, f);
  if (f.nose != NoseMode::Joined) return;
  // The border between body and nose is taken away: a line in the fill
  // colour over the nose's base, its end point excluded.
  unique_hpen pen(CreatePen(PS_SOLID, 1, colors.fill));
  select_object keep_pen(dc, pen.get());
  MoveToEx(dc, f.base_start.x, f.base_start.y, nullptr);
  LineTo(dc, f.base_end.x, f.base_end.y);
}

void DrawNoseEllipse(HDC dc, const Figure& f, const FigureColors& colors) {
  {
    select_object no_pen(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, f.fill.left, f.fill.top, f.fill.right, f.fill.bottom);
    if (f.nose != NoseMode::None) Triangle(dc, f);
  }
  if (f.nose != NoseMode::Joined) return;
  // The whole outline but the gap where the nose joins, then the nose edges.
  unique_hpen pen(CreatePen(PS_SOLID, 1, colors.border));
  select_object keep_pen(dc, pen.get());
  SetArcDirection(dc, AD_COUNTERCLOCKWISE);
  Arc(dc, f.bounds.left, f.bounds.top, f.bounds.right, f.bounds.bottom, f.base_start.x, f.base_start.y,
      f.base_end.x, f.base_end.y);
  MoveToEx(dc, f.base_start.x, f.base_start.y, nullptr);
  LineTo(dc, f.tip.x, f.tip.y);
  LineTo(dc, f.base_end.x, f.base_end.y);
}

void DrawFigure(HDC dc, const Figure& f, const FigureColors& colors) {
  if (f.outline == Outline::NoseEllipse) {
    DrawNoseEllipse(dc, f, colors);
  } else {
    DrawNosedBody(dc, f, colors);
  }
}

class BrushLibrary {
 public:
  HBITMAP Get(TColor color) {
    if (color_ == color && bitmap_) return bitmap_.get();
    window_dc screen(nullptr);
    if (!bitmap_) bitmap_.reset(CreateCompatibleBitmap(screen.get(), 8, 8));
    unique_hdc dc(CreateCompatibleDC(screen.get()));
    select_object keep(dc.get(), bitmap_.get());
    const auto pixels = shapehint::TracingPatternPixels(ColorToRGB(color));
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) SetPixel(dc.get(), x, y, pixels[y * 8 + x]);
    }
    color_ = color;
    return bitmap_.get();
  }

 private:
  unique_hbitmap bitmap_;
  std::optional<TColor> color_;
};

}  // namespace

HBITMAP GetBrushBitmap(TColor color) {
  static BrushLibrary library;
  return library.Get(color);
}

TShapeHintWindow::TShapeHintWindow() {
  brush_.Style = TBrushStyle::bsClear;
}

TShapeHintWindow::~TShapeHintWindow() {
  // Bound windows say they close as they go; the handle goes here, while
  // this class's handling still runs.
  DestroyHandle();
}

void TShapeHintWindow::CreateParams(CreateParamsData& params) {
  THintWindow::CreateParams(params);
  params.window_class.name = L"TShapeHintWindow";
  // No border, never activated, never takes input.
  params.window.style = WS_POPUP | WS_DISABLED;
}

void TShapeHintWindow::SetControl(TCustomShapeHint* component) {
  if (control_ == component) return;
  if (control_) RemoveFreeNotification(control_);
  control_ = component;
  if (control_) FreeNotification(control_);
}

void TShapeHintWindow::Notification(TComponent* component, TOperation operation) {
  // A component that goes is never drawn from or called back again.
  if (operation == TOperation::opRemove && component == control_) control_ = nullptr;
  THintWindow::Notification(component, operation);
}

void TShapeHintWindow::ActivateHintExt(RECT r, const std::wstring& hint, TCustomShapeHint* component) {
  if (component) {
    bound_ = true;
    SetControl(component);
  }
  ActivateHint(r, hint);
}

void TShapeHintWindow::ActivateHint(RECT r, const std::wstring& hint) {
  const bool point_form = shapehint::IsPointForm(ToRect(r));
  POINT anchor{r.left, r.top};
  if (!point_form) GetCursorPos(&anchor);
  if (!bound_) SetControl(ShapeHintControl);
  if (!control_) {
    if (!point_form) THintWindow::ActivateHint(r, hint);
    return;
  }
  const TCustomShapeHint& c = *control_;
  SetCaption(hint);

  // The look is given at 96 dpi and drawn at the scale of the monitor the
  // hint shows on: the font, the 3D offsets, the shadow and every figure.
  hint_dpi_ = DpiAtPoint(anchor);
  TFont font(c.Font());
  font.SetHeight(MulDivRound(font.Height(), hint_dpi_, kDesignDpi));
  T3DCaption font3d;
  font3d.Assign(c.Font3D());
  font3d.SetOrientation(c.Font3D().Orientation());
  font3d.SetLightDepth(ScaledDepth(c.Font3D().LightDepth()));
  font3d.SetShadowDepth(ScaledDepth(c.Font3D().ShadowDepth()));
  font3d.SetTracing(MulDivRound(c.Font3D().Tracing(), hint_dpi_, kDesignDpi));

  // Measure, size, place.
  const int max_width = c.MaxWidth() > 0 ? ScaleForDpi(c.MaxWidth(), hint_dpi_) : c.MaxWidth();
  const int wrap = shapehint::WrapWidth(max_width, Screen().Width());
  const RECT measured = DrawTextCalc(Caption(), &font3d, RECT{0, 0, wrap, 0}, font, true, false,
                                     ScaleForDpi(shapehint::kHintTextBorder, hint_dpi_), 0);
  const shapehint::HintPlan plan =
      shapehint::PlanHint(c.Style(), c.Position(), ScaledDepth(c.Shadow().Depth()), c.Shadow().Style(),
                          ToRect(measured), {anchor.x, anchor.y}, {Screen().Width(), Screen().Height()}, hint_dpi_);
  const RECT place = ToRECT(plan.placement.window);
  const int w = place.right - place.left, h = place.bottom - place.top;
  SetBounds(0, 0, w, h);

  // Compose over what the screen shows there now.
  window_dc screen(nullptr);
  unique_hdc dc(CreateCompatibleDC(screen.get()));
  unique_hbitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  if (!dc || !bitmap) throw EOutOfResources();
  select_object keep_bitmap(dc.get(), bitmap.get());
  BitBlt(dc.get(), 0, 0, w, h, screen.get(), place.left, place.top, SRCCOPY);
  HWND wnd = Handle();
  SetWindowPos(wnd, HWND_TOPMOST, place.left, place.top, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  left_ = place.left;
  top_ = place.top;
  visible_ = true;

  Draw(dc.get(), plan.layout);
  select_object keep_font(dc.get(), font.Handle());
  DrawText3D(dc.get(), Caption(), &font3d, ToRECT(plan.layout.text), shapehint::kHintDrawFlags,
             DrawTextStyles(Enabled() ? dtEnabled : dtDisabled), nullptr, {font.Color(), c.Color()});
  window_dc target(wnd);
  BitBlt(target.get(), 0, 0, w, h, dc.get(), 0, 0, SRCCOPY);
}

void TShapeHintWindow::Draw(HDC dc, const shapehint::HintLayout& layout) {
  if (!control_) return;
  const TCustomShapeHint& c = *control_;
  const TShadow& shadow = c.Shadow();
  const FigureColors colors{ColorToRGB(c.Color()), ColorToRGB(c.BorderColor()),
                            ScaleForDpi(shapehint::kRoundCorner, hint_dpi_)};

  if (layout.shadow) {
    unique_hbrush brush(shadow.Style() == hssTracing ? CreatePatternBrush(GetBrushBitmap(shadow.Color()))
                                                     : CreateSolidBrush(ColorToRGB(shadow.Color())));
    select_object keep_brush(dc, brush.get());
    select_object no_pen(dc, GetStockObject(NULL_PEN));
    // The tracing half-tone darkens what lies under it: white pattern
    // pixels leave the screen as it is.
    const int old_rop = SetROP2(dc, shadow.Style() == hssTracing ? R2_MASKPEN : R2_COPYPEN);
    DrawFigure(dc, *layout.shadow, colors);
    SetROP2(dc, old_rop);
  }
  unique_hpen pen(CreatePen(PS_SOLID, 1, colors.border));
  unique_hbrush brush(CreateSolidBrush(colors.fill));
  select_object keep_pen(dc, pen.get());
  select_object keep_brush(dc, brush.get());
  SetROP2(dc, R2_COPYPEN);
  DrawFigure(dc, layout.body, colors);
}

uint8_t TShapeHintWindow::ScaledDepth(int depth) const {
  return static_cast<uint8_t>(std::min(ScaleForDpi(depth, hint_dpi_), 255));
}

void TShapeHintWindow::PaintWindow(HDC dc) {
  if (ShapeHintControl || bound_) return;  // the window keeps what was composed for it
  // The standard look, with a background and border of its own: the window
  // has neither a frame nor an erased background.
  RECT client = ClientRect();
  unique_hbrush back(CreateSolidBrush(ColorToRGB(color_)));
  FillRect(dc, &client, back.get());
  unique_hbrush frame(CreateSolidBrush(ColorToRGB(clInfoText)));
  FrameRect(dc, &client, frame.get());
  THintWindow::PaintWindow(dc);
}

void TShapeHintWindow::RaiseClose() {
  if (control_ && control_->OnCloseHintWindow) control_->OnCloseHintWindow(control_);
}

LRESULT TShapeHintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (!bound_ && msg == WM_SHOWWINDOW && !wp) RaiseClose();
  if (bound_ && msg == WM_DESTROY) RaiseClose();
  return THintWindow::WndProc(msg, wp, lp);
}
