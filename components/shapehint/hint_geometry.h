#pragma once
// The geometry of a shaped hint: the wrap width, the window size for each
// outline style, the side of the pointer the window goes to, and the figures
// the shadow and body are drawn from. The Win32 hint window measures the text,
// asks here where everything goes, and draws it.
#include <array>
#include <cstdint>
#include <optional>

#include "components/shapehint/shape_hint_types.h"

namespace shapehint {

// The wrap width for a MaxWidth setting: positive is pixels, -n is the screen
// width divided by n; never below 1.
int32_t WrapWidth(int32_t max_width, int32_t screen_width);

// The point form of a hint activation: (X, Y, -1, -1) places the hint at
// (X, Y) instead of at the mouse pointer.
bool IsPointForm(const Rect& rect);

// The window rectangle (0, 0, W, H) for a measured text rectangle
// (0, 0, TW, TH), with room for the shadow whatever its style.
// The figures here are the 96-dpi ones scaled to `dpi`; the shadow depth
// and the measured text come already scaled.
Rect CalculateDimensions(THintStyle style, const Rect& text_rect, int32_t shadow_depth, int32_t dpi = 96);

struct Placement {
  Rect window;              // on the screen
  THintPosition position;   // the side the shape is drawn for

  friend bool operator==(const Placement&, const Placement&) = default;
};

// Places the window (0, 0, W, H) next to the anchor point, trying the sides
// in turn from the preferred one. A side fits when the window's top-left and
// bottom-right corners both lie inside the screen, right and bottom
// exclusive. When none fits the window stands at the fourth try and the
// shape is drawn for the preferred side.
Placement SetPosition(Point anchor, THintPosition preferred, const Rect& window, Size screen, int32_t dpi = 96);

// Rounded bodies use a corner ellipse of this width and height (at 96 dpi,
// as every figure here).
constexpr int32_t kRoundCorner = 16;
// The nose's base is this wide on the nose rectangle styles.
constexpr int32_t kNoseBase = 30;
// The nose-ellipse nose spans this many degrees of the outline.
constexpr int32_t kNoseArc = 25;

enum class Outline : uint8_t {
  Rectangle,
  RoundRect,
  Ellipse,
  // The ellipse inscribed in `bounds`, filled over `fill` without a pen; in
  // the body pass its outline is an arc from base_start counter-clockwise to
  // base_end, leaving the gap where the nose joins.
  NoseEllipse,
};

// 0: no nose. 1: the nose triangle is filled with the figure. 2: also joined
// to the body: the border between them is taken away (nose rectangles), or
// the nose edges are drawn with the arc (nose ellipse).
enum class NoseMode : uint8_t { None = 0, Filled = 1, Joined = 2 };

struct Figure {
  Outline outline = Outline::Rectangle;
  Rect bounds;
  Rect fill;  // NoseEllipse only
  NoseMode nose = NoseMode::None;
  // The nose triangle base_start, tip, base_end, when there is a nose.
  Point base_start;
  Point tip;
  Point base_end;
  int32_t bearing = 0;  // NoseEllipse with a nose: the bearing of base_start

  friend bool operator==(const Figure&, const Figure&) = default;
};

struct HintLayout {
  std::optional<Figure> shadow;  // none for hssNone: its room stays empty
  Figure body;
  Rect text;  // where the text is drawn

  friend bool operator==(const HintLayout&, const HintLayout&) = default;
};

// The figures for a window of window_size whose shape is drawn for position,
// and the text rectangle moved to its place.
HintLayout LayoutHint(THintStyle style, THintPosition position, Size window_size, const Rect& text_rect,
                      int32_t shadow_depth, TShadowStyle shadow_style, int32_t dpi = 96);

// The point at a bearing in whole degrees (0 top, 90 right, clockwise) on
// the ellipse inscribed in bounds.
Point EllipsePoint(const Rect& bounds, int32_t bearing_degrees);

// The tracing shadow's 8 × 8 half-tone: one byte per row, the leftmost pixel
// in the top bit; a set bit is a pixel in the shadow colour, a clear bit a
// white one. Pixels with x + y odd carry the colour.
constexpr std::array<uint8_t, 8> kTracingPattern = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

constexpr uint32_t kTracingWhite = 0x00FFFFFF;

// The half-tone's pixels, row by row, for a shadow colour.
std::array<uint32_t, 64> TracingPatternPixels(uint32_t shadow_color);

// Everything one activation decides once the text is measured.
struct HintPlan {
  Rect text_rect;     // the measured text rectangle, at the origin
  Placement placement;
  HintLayout layout;  // in window coordinates
};

HintPlan PlanHint(THintStyle style, THintPosition preferred, int32_t shadow_depth, TShadowStyle shadow_style,
                  const Rect& text_rect, Point anchor, Size screen, int32_t dpi = 96);

}  // namespace shapehint
