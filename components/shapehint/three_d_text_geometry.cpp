#include "components/shapehint/three_d_text_geometry.h"

#include <cmath>

namespace shapehint {

int32_t ThreeDExtent(TThreeDStyle style, int32_t light_depth, int32_t shadow_depth) {
  switch (style) {
    case tdNone: return 0;
    case tdSunken:
    case tdRaised: return light_depth;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: return light_depth + shadow_depth;
    case tdShadow:
    case tdOutline:
    case tdExtrude:
    case tdExtrudeEnh: return shadow_depth;
  }
  return 0;
}

uint32_t MeasureFormat(uint32_t flags, bool word_wrap, bool accel_char) {
  uint32_t format = flags | kFormatCalcRect | kFormatExpandTabs;
  if (word_wrap) format |= kFormatWordBreak;
  if (!accel_char) format |= kFormatNoPrefix;
  return format;
}

Rect MeasuredTextRect(Size text_extent, int32_t three_d_extent, int32_t border) {
  const int32_t grow = three_d_extent + (border + 1) * 2;
  return {0, 0, text_extent.width + grow, text_extent.height + grow};
}

TextLook ChooseTextLook(TThreeDStyle style, TDisabledStyle disabled_style, TDrawTextStyles styles) {
  if (HasStyle(styles, dtEnabled) || disabled_style == dsNone) {
    const bool face_in_brush = style == tdPColorSunken || style == tdPColorRaised;
    return {style, face_in_brush ? TextColorSource::BrushColor : TextColorSource::FontColor};
  }
  const bool sunken = disabled_style == ds3d || (disabled_style == dsAuto && HasStyle(styles, dt3DDisabled));
  return {sunken ? tdSunken : style, TextColorSource::GrayText};
}

namespace {

struct Extrusion {
  Point start;
  Point step;
};

Extrusion ExtrusionFor(TThreeDOrientation orientation, int32_t s) {
  switch (orientation) {
    case toBottomLeft: return {{0, s + 1}, {1, -1}};
    case toBottomRight: return {{s + 1, s + 1}, {-1, -1}};
    case toTopLeft: return {{0, 0}, {1, 1}};
    case toTopRight: return {{s + 1, 0}, {-1, 1}};
  }
  return {{0, 0}, {1, 1}};
}

class PassList {
 public:
  explicit PassList(ThreeDPlan& plan) : plan_(plan), at_(plan.start) {}

  void Add(int32_t dx, int32_t dy, PassColor color, int32_t grade_index = 0, int32_t grade_count = 0) {
    at_ = {at_.x + dx, at_.y + dy};
    plan_.passes.push_back({{dx, dy}, at_, color, grade_index, grade_count});
  }

 private:
  ThreeDPlan& plan_;
  Point at_;
};

}  // namespace

ThreeDPlan PlanThreeDText(TThreeDStyle style, int32_t light_depth, int32_t shadow_depth,
                          TThreeDOrientation orientation) {
  const int32_t l = light_depth;
  const int32_t s = shadow_depth;
  ThreeDPlan plan;
  const bool extruded = style == tdExtrude || style == tdExtrudeEnh;
  const Extrusion extrusion = ExtrusionFor(orientation, s);
  if (extruded) plan.start = extrusion.start;

  PassList passes(plan);
  switch (style) {
    case tdNone:
      passes.Add(0, 0, PassColor::Text);
      break;
    case tdSunken:
      plan.right_reduction = l;
      passes.Add(l, l, PassColor::Light);
      passes.Add(-l, -l, PassColor::Text);
      break;
    case tdRaised:
      plan.right_reduction = l;
      passes.Add(0, 0, PassColor::Light);
      passes.Add(l, l, PassColor::Text);
      break;
    case tdSunkenShadow:
    case tdPColorSunken:
      plan.right_reduction = l + s;
      passes.Add(0, 0, PassColor::Shadow);
      passes.Add(l + s, l + s, PassColor::Light);
      passes.Add(-l, -l, PassColor::Text);
      break;
    case tdRaisedShadow:
    case tdPColorRaised:
      plan.right_reduction = l + s;
      passes.Add(l + s, l + s, PassColor::Shadow);
      passes.Add(-(l + s), -(l + s), PassColor::Light);
      passes.Add(l, l, PassColor::Text);
      break;
    case tdShadow:
      plan.right_reduction = s;
      passes.Add(s, s, PassColor::Shadow);
      passes.Add(-s, -s, PassColor::Text);
      break;
    case tdOutline:
      plan.outline = true;
      plan.outline_pen_width = s;
      passes.Add(s / 2, s / 2, PassColor::Text);
      break;
    case tdExtrude:
    case tdExtrudeEnh:
      for (int32_t k = 1; k <= s; ++k) {
        if (style == tdExtrude) {
          passes.Add(extrusion.step.x, extrusion.step.y, PassColor::Shadow);
        } else {
          // The farthest layer is nearly the light colour, the one under the
          // text is the shadow colour.
          passes.Add(extrusion.step.x, extrusion.step.y, PassColor::Graded, s - k, s);
        }
      }
      passes.Add(0, 0, PassColor::Text);
      break;
  }
  return plan;
}

uint32_t GradientGetColor(uint32_t c1, uint32_t c2, int32_t index, int32_t count) {
  if (count == 0) return c1;
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t a = (c1 >> shift) & 0xFF;
    const int64_t b = (c2 >> shift) & 0xFF;
    const int64_t product = (b - a) * index;
    const double channel = std::trunc(static_cast<double>(a) + static_cast<double>(product) / count);
    // A channel outside 0..255 (an index beyond the count) keeps its low
    // byte, as the platform's RGB composition does.
    const auto byte = static_cast<uint32_t>(static_cast<int64_t>(channel)) & 0xFF;
    result |= byte << shift;
  }
  return result;
}

uint32_t ColorOfPass(const TextPass& pass, const PassColors& colors) {
  switch (pass.color) {
    case PassColor::Text: return colors.text;
    case PassColor::Light: return colors.light;
    case PassColor::Shadow: return colors.shadow;
    case PassColor::Graded: return GradientGetColor(colors.shadow, colors.light, pass.grade_index, pass.grade_count);
  }
  return colors.text;
}

}  // namespace shapehint
