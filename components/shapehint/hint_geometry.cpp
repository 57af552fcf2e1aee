#include "components/shapehint/hint_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "toolkit/core/dpi_scale.h"

namespace shapehint {

namespace {
// The figures below are pixels at 96 dpi, scaled to the hint's.
struct Px {
  int32_t dpi;
  int32_t operator()(int32_t design) const { return ScaleForDpi(design, dpi); }
};
}  // namespace

int32_t WrapWidth(int32_t max_width, int32_t screen_width) {
  int64_t width = max_width;
  if (width < 0) width = screen_width / -width;
  return static_cast<int32_t>(std::max<int64_t>(width, 1));
}

bool IsPointForm(const Rect& rect) { return rect.right == -1 && rect.bottom == -1; }

Rect CalculateDimensions(THintStyle style, const Rect& text_rect, int32_t shadow_depth, int32_t dpi) {
  const Px px{dpi};
  const int32_t d = shadow_depth;
  const int32_t tw = text_rect.Width();
  const int32_t th = text_rect.Height();
  switch (style) {
    case hsRect: return {0, 0, tw + d, th + d};
    case hsRoundRect: return {0, 0, tw + d + px(8), th + d + px(4)};
    case hsEllipse: return {0, 0, tw + tw / 3 + d, th + th / 3 + d};
    case hsNoseRect:
    case hsNoseRoundRect: return {0, 0, std::max(tw, px(46)) + d + px(23), th + d + px(18)};
    case hsNoseEllipse: return {0, 0, tw + tw / 2 + d + px(15), th + th / 2 + d + px(15)};
  }
  return {0, 0, tw, th};
}

namespace {

THintPosition NextPosition(THintPosition position) {
  return static_cast<THintPosition>((position + 1) % 4);
}

// Coordinates past the 32-bit range (an anchor far off any screen) are held
// at its ends; such a window never fits anyway.
int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool OnScreen(int64_t x, int64_t y, Size screen) {
  return x >= 0 && y >= 0 && x < screen.width && y < screen.height;
}

}  // namespace

Placement SetPosition(Point anchor, THintPosition preferred, const Rect& window, Size screen, int32_t dpi) {
  const Px px{dpi};
  const int64_t w = window.Width();
  const int64_t h = window.Height();
  const int64_t ax = anchor.x;
  const int64_t ay = anchor.y;
  const int64_t one = px(1);
  THintPosition position = preferred;
  int64_t left = 0;
  int64_t top = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    switch (position) {
      case hpAboveLeft: left = ax - one - w; top = ay - one - h; break;
      case hpAboveRight: left = ax + one; top = ay - one - h; break;
      case hpBelowLeft: left = ax - px(3) - w; top = ay + one; break;
      case hpBelowRight: left = ax + px(6); top = ay + one; break;
    }
    if (OnScreen(left, top, screen) && OnScreen(left + w, top + h, screen)) break;
    position = NextPosition(position);
  }
  return {{Clamp32(left), Clamp32(top), Clamp32(left + w), Clamp32(top + h)}, position};
}

namespace {

Figure Plain(Outline outline, Rect bounds) {
  Figure figure;
  figure.outline = outline;
  figure.bounds = bounds;
  return figure;
}

// A rectangle or rounded body with its nose triangle A, T, A + (30, 0).
Figure NosedBody(Outline outline, Rect bounds, Point a, Point tip, NoseMode mode, int32_t base) {
  Figure figure = Plain(outline, bounds);
  figure.nose = mode;
  if (mode != NoseMode::None) {
    figure.base_start = a;
    figure.tip = tip;
    figure.base_end = {a.x + base, a.y};
  }
  return figure;
}

Figure NoseEllipse(Rect bounds, int32_t bearing, Point tip, NoseMode mode) {
  Figure figure = Plain(Outline::NoseEllipse, bounds);
  figure.fill = {bounds.left, bounds.top, bounds.right + 1, bounds.bottom + 1};
  figure.nose = mode;
  if (mode != NoseMode::None) {
    figure.bearing = bearing;
    figure.base_start = EllipsePoint(bounds, bearing);
    figure.tip = tip;
    figure.base_end = EllipsePoint(bounds, bearing + kNoseArc);
  }
  return figure;
}

struct Pass {
  Figure shadow;
  Figure body;
  Rect text;
};

Pass NoseRectPass(Outline outline, THintPosition position, int32_t w, int32_t h, int32_t d, const Rect& text,
                  Px px) {
  constexpr auto kFilled = NoseMode::Filled;
  constexpr auto kJoined = NoseMode::Joined;
  const int32_t n = px(15), b = px(kNoseBase), a = px(55), r = px(16), s = px(25);
  const auto body = [&](Rect bounds, Point base, Point tip, NoseMode mode) {
    return NosedBody(outline, bounds, base, tip, mode, b);
  };
  switch (position) {
    case hpAboveLeft:
      return {body({d, d, w - n, h - n}, {w - a, h - r}, {w, h}, kFilled),
              body({0, 0, w - d - n, h - d - n}, {w - d - a, h - d - r}, {w - d, h - d}, kJoined),
              text.Offset(px(4), px(4))};
    case hpAboveRight:
      return {body({d + n, d, w, h - n}, {d + s, h - r}, {0, h}, kFilled),
              body({n, 0, w - d, h - d - n}, {s, h - d - r}, {0, h - d}, kJoined),
              text.Offset(px(19), px(4))};
    case hpBelowLeft:
      return {body({d, d + n, w - n, h}, {w - a, d + r}, {w, d}, kFilled),
              body({0, n, w - d - n, h - d}, {w - d - a, r}, {w, 0}, kJoined),
              text.Offset(px(4), px(19))};
    case hpBelowRight:
      // Below and to the right of the pointer the nose casts no shadow.
      return {body({d + n, d + n, w, h}, {}, {}, NoseMode::None),
              body({n, n, w - d, h - d}, {s, r}, {0, 0}, kJoined),
              text.Offset(px(19), px(19))};
  }
  return {};
}

Pass NoseEllipsePass(THintPosition position, int32_t w, int32_t h, int32_t d, const Rect& text, Px px) {
  const int32_t tw = text.Width();
  const int32_t th = text.Height();
  const int32_t n = px(15), three = px(3);
  constexpr auto kFilled = NoseMode::Filled;
  constexpr auto kJoined = NoseMode::Joined;
  switch (position) {
    case hpAboveLeft:
      return {NoseEllipse({d, d, w - n, h - n}, 125, {w, h}, kFilled),
              NoseEllipse({0, 0, w - d - n, h - d - n}, 125, {w - d, h - d}, kJoined),
              text.Offset((tw - d) / 3 + three, (th - d) / 3 + three)};
    case hpAboveRight: {
      const int32_t left = (w - tw + n) / 2;
      const int32_t top = (h - th - n) / 2;
      return {NoseEllipse({d + n, d, w, h - n}, 205, {0, h}, kFilled),
              NoseEllipse({n, 0, w - d, h - d - n}, 205, {0, h - d}, kJoined),
              {left, top, left + tw, top + th}};
    }
    case hpBelowLeft:
      return {NoseEllipse({d, d + n, w - n, h}, 25, {w, d}, kFilled),
              NoseEllipse({0, n, w - d - n, h - d}, 25, {w, 0}, kJoined),
              text.Offset((tw - d) / 3 + three, (th - d) / 3 + px(18))};
    case hpBelowRight:
      return {NoseEllipse({d + n, d + n, w, h}, 295, {d, d}, NoseMode::None),
              NoseEllipse({n, n, w - d, h - d}, 295, {0, 0}, kJoined),
              text.Offset((tw - d) / 3 + three, (th - d) / 3 + n)};
  }
  return {};
}

Pass StylePass(THintStyle style, THintPosition position, int32_t w, int32_t h, int32_t d, const Rect& text,
               Px px) {
  const Rect shadow{d, d, w, h};
  const Rect body{0, 0, w - d, h - d};
  switch (style) {
    case hsRect:
      return {Plain(Outline::Rectangle, shadow), Plain(Outline::Rectangle, body), text.Offset(px(3), px(3))};
    case hsRoundRect:
      return {Plain(Outline::RoundRect, shadow), Plain(Outline::RoundRect, body), text.Offset(px(5), px(5))};
    case hsEllipse:
      return {Plain(Outline::Ellipse, shadow), Plain(Outline::Ellipse, body),
              text.Offset((text.Width() - d) / 5 + px(3), (text.Height() - d) / 5 + px(3))};
    case hsNoseRect: return NoseRectPass(Outline::Rectangle, position, w, h, d, text, px);
    case hsNoseRoundRect: return NoseRectPass(Outline::RoundRect, position, w, h, d, text, px);
    case hsNoseEllipse: return NoseEllipsePass(position, w, h, d, text, px);
  }
  return {};
}

// sin of whole degrees. Where the sine is rational (multiples of 30 whose
// sine is 0, ±1/2 or ±1) it is given exactly: a rounded 0.49999... would
// otherwise truncate a whole product one pixel short. Everywhere else the
// product with a whole radius is irrational and never lies on a whole number.
long double SinDegrees(int32_t degrees) {
  int32_t a = degrees % 360;
  if (a < 0) a += 360;
  long double sign = 1;
  if (a >= 180) {
    a -= 180;
    sign = -1;
  }
  if (a > 90) a = 180 - a;
  if (a == 0) return 0;
  if (a == 30) return sign / 2;
  if (a == 90) return sign;
  return sign * std::sin(static_cast<long double>(a) * std::numbers::pi_v<long double> / 180);
}

}  // namespace

Point EllipsePoint(const Rect& bounds, int32_t bearing_degrees) {
  const int32_t cx = (bounds.left + bounds.right) / 2;
  const int32_t cy = (bounds.top + bounds.bottom) / 2;
  const int32_t rx = cx - std::min(bounds.left, bounds.right);
  const int32_t ry = cy - std::min(bounds.top, bounds.bottom);
  const auto dx = static_cast<int32_t>(std::trunc(rx * SinDegrees(bearing_degrees)));
  const auto dy = static_cast<int32_t>(std::trunc(ry * SinDegrees(bearing_degrees + 90)));
  return {cx + dx, cy - dy};
}

HintLayout LayoutHint(THintStyle style, THintPosition position, Size window_size, const Rect& text_rect,
                      int32_t shadow_depth, TShadowStyle shadow_style, int32_t dpi) {
  const Pass pass =
      StylePass(style, position, window_size.width, window_size.height, shadow_depth, text_rect, Px{dpi});
  HintLayout layout;
  layout.body = pass.body;
  layout.text = pass.text;
  if (shadow_style != hssNone) layout.shadow = pass.shadow;
  return layout;
}

std::array<uint32_t, 64> TracingPatternPixels(uint32_t shadow_color) {
  std::array<uint32_t, 64> pixels{};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool colored = (kTracingPattern[y] >> (7 - x)) & 1;
      pixels[y * 8 + x] = colored ? shadow_color : kTracingWhite;
    }
  }
  return pixels;
}

HintPlan PlanHint(THintStyle style, THintPosition preferred, int32_t shadow_depth, TShadowStyle shadow_style,
                  const Rect& text_rect, Point anchor, Size screen, int32_t dpi) {
  const Rect window = CalculateDimensions(style, text_rect, shadow_depth, dpi);
  const Placement placement = SetPosition(anchor, preferred, window, screen, dpi);
  const Size size{window.Width(), window.Height()};
  return {text_rect, placement,
          LayoutHint(style, placement.position, size, text_rect, shadow_depth, shadow_style, dpi)};
}

}  // namespace shapehint
