#pragma once
// The data model of the shaped hints, shared by the portable geometry and the
// Win32 hint window: the style enumerations in their stored order, and plain
// points, sizes and rectangles in pixels.
#include <cstdint>

// Outline of a shaped hint.
enum THintStyle : uint8_t { hsRect, hsRoundRect, hsEllipse, hsNoseRect, hsNoseRoundRect, hsNoseEllipse };

// The side of the pointer on which the hint window lies; the nose, if any,
// sits in the window corner nearest the pointer.
enum THintPosition : uint8_t { hpAboveLeft, hpAboveRight, hpBelowLeft, hpBelowRight };

enum TShadowStyle : uint8_t { hssNone, hssSolid, hssTracing };

// Shadow depth in pixels, 0 to 40.
using TShadowDepth = uint8_t;
constexpr TShadowDepth kMinShadowDepth = 0;
constexpr TShadowDepth kMaxShadowDepth = 40;

enum TThreeDStyle : uint8_t {
  tdNone,
  tdSunken,
  tdRaised,
  tdSunkenShadow,
  tdRaisedShadow,
  tdPColorSunken,
  tdPColorRaised,
  tdShadow,
  tdOutline,
  tdExtrude,
  tdExtrudeEnh,
};

enum TThreeDOrientation : uint8_t { toBottomLeft, toBottomRight, toTopLeft, toTopRight };

enum TDisabledStyle : uint8_t { dsAuto, dsStandard, ds3d, dsNone };

enum TDrawTextStyle : uint8_t {
  dtDisabled,
  dtEnabled,
  dt3DDisabled,
  dtClip,
  dtAccelChar,
  dtAutoSize,
  dtRectText,
  dtRectGlyph,
  dtRectGlyphText,
  dtCalculate,
};

// A set of TDrawTextStyle, one bit per member by ordinal.
using TDrawTextStyles = uint16_t;

constexpr TDrawTextStyles DrawTextStyles(TDrawTextStyle style) {
  return static_cast<TDrawTextStyles>(1u << style);
}
constexpr TDrawTextStyles operator|(TDrawTextStyle a, TDrawTextStyle b) {
  return static_cast<TDrawTextStyles>(DrawTextStyles(a) | DrawTextStyles(b));
}
constexpr bool HasStyle(TDrawTextStyles styles, TDrawTextStyle style) {
  return (styles & DrawTextStyles(style)) != 0;
}

namespace shapehint {

struct Point {
  int32_t x = 0;
  int32_t y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom exclusive, as the platform's rectangle.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  Rect Offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace shapehint
