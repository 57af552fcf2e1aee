#include "components/shapehint/three_d_text.h"

#include "components/shapehint/three_d_text_geometry.h"
#include "toolkit/win/handle.h"

namespace {

int DrawTextOnce(HDC dc, const std::wstring& text, RECT& r, UINT format) {
  return DrawTextExW(dc, const_cast<wchar_t*>(text.c_str()), static_cast<int>(text.size()), &r, format, nullptr);
}

// Puts the inter-character spacing back to none when a drawing ends, however
// it ends.
class TracingScope {
 public:
  TracingScope(HDC dc, int tracing) : dc_(dc), on_(tracing != 0) {
    if (on_) SetTextCharacterExtra(dc_, tracing);
  }
  ~TracingScope() {
    if (on_) SetTextCharacterExtra(dc_, 0);
  }
  TracingScope(const TracingScope&) = delete;
  TracingScope& operator=(const TracingScope&) = delete;

 private:
  HDC dc_;
  bool on_;
};

class ClipScope {
 public:
  ClipScope(HDC dc, const RECT* area) : dc_(dc) {
    if (!area) return;
    region_.reset(CreateRectRgnIndirect(area));
    if (region_) SelectClipRgn(dc_, region_.get());
  }
  ~ClipScope() {
    if (region_) SelectClipRgn(dc_, nullptr);
  }
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  HDC dc_;
  unique_hrgn region_;
};

}  // namespace

RECT DrawTextCalc(const std::wstring& text, const T3DCaption* font3d, RECT r, const TFont& font, bool word_wrap,
                  bool accel_char, int border, UINT flags) {
  window_dc screen(nullptr);
  select_object keep_font(screen.get(), font.Handle());
  const UINT format = shapehint::MeasureFormat(flags, word_wrap, accel_char);
  const std::wstring measured =
      shapehint::MeasuresAsSpace(std::wstring_view(text), accel_char) ? std::wstring(L" ") : text;
  TracingScope tracing(screen.get(), font3d ? font3d->Tracing() : 0);
  DrawTextOnce(screen.get(), measured, r, format);
  const int extent = font3d ? shapehint::ThreeDExtent(font3d->Style(), font3d->LightDepth(), font3d->ShadowDepth()) : 0;
  const shapehint::Rect grown = shapehint::MeasuredTextRect({r.right - r.left, r.bottom - r.top}, extent, border);
  r.right = r.left + grown.right;
  r.bottom = r.top + grown.bottom;
  return r;
}

void DrawText3D(HDC dc, const std::wstring& text, const T3DCaption* font3d, RECT r, UINT flags,
                TDrawTextStyles styles, const RECT* clip, TextCanvasColors colors) {
  if (text.empty() || IsRectEmpty(&r)) return;
  if (!font3d) {
    SetTextColor(dc, ColorToRGB(colors.font));
    DrawTextOnce(dc, text, r, flags);
    return;
  }
  ClipScope clipping(dc, HasStyle(styles, dtClip) ? (clip ? clip : &r) : nullptr);
  const shapehint::TextLook look = shapehint::ChooseTextLook(font3d->Style(), font3d->DisabledStyle(), styles);
  shapehint::PassColors pass_colors;
  switch (look.text_color) {
    case shapehint::TextColorSource::FontColor: pass_colors.text = ColorToRGB(colors.font); break;
    case shapehint::TextColorSource::BrushColor: pass_colors.text = ColorToRGB(colors.brush); break;
    case shapehint::TextColorSource::GrayText: pass_colors.text = GetSysColor(COLOR_GRAYTEXT); break;
  }
  pass_colors.light = ColorToRGB(font3d->LightColor());
  pass_colors.shadow = ColorToRGB(font3d->ShadowColor());
  TracingScope tracing(dc, font3d->Tracing());

  const shapehint::ThreeDPlan plan =
      shapehint::PlanThreeDText(look.style, font3d->LightDepth(), font3d->ShadowDepth(), font3d->Orientation());
  // No pass paints a text background, and the outline's path is never filled.
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  RECT dr = r;
  OffsetRect(&dr, plan.start.x, plan.start.y);
  dr.right -= plan.right_reduction;
  for (const shapehint::TextPass& pass : plan.passes) {
    const COLORREF color = shapehint::ColorOfPass(pass, pass_colors);
    SetTextColor(dc, color);
    OffsetRect(&dr, pass.move.x, pass.move.y);
    if (!plan.outline) {
      DrawTextOnce(dc, text, dr, flags);
      continue;
    }
    // The glyph outlines go into a path that is stroked, never filled: the
    // letters stay hollow.
    BeginPath(dc);
    DrawTextOnce(dc, text, dr, flags);
    EndPath(dc);
    unique_hpen pen(CreatePen(PS_SOLID, plan.outline_pen_width, color));
    select_object keep_pen(dc, pen.get());
    StrokePath(dc);
  }
}
