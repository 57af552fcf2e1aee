#pragma once
// The arithmetic of 3D text: how much room an effect needs, which copies of
// the text are drawn where and in which colour, and the colour blend of the
// graded extrusion. The Win32 side measures and draws; everything it decides
// before calling the platform's text output is here.
#include <cstdint>
#include <string_view>
#include <vector>

#include "components/shapehint/shape_hint_types.h"

namespace shapehint {

// Platform text format flags the measuring and drawing use.
constexpr uint32_t kFormatWordBreak = 0x10;
constexpr uint32_t kFormatExpandTabs = 0x40;
constexpr uint32_t kFormatCalcRect = 0x400;
constexpr uint32_t kFormatNoPrefix = 0x800;

// The flags the hint window draws its text with.
constexpr uint32_t kHintDrawFlags = kFormatWordBreak | kFormatNoPrefix;
// The border the hint window measures with.
constexpr int32_t kHintTextBorder = 2;

// The extra width and height an effect needs beyond the plain text.
int32_t ThreeDExtent(TThreeDStyle style, int32_t light_depth, int32_t shadow_depth);

// The flags a measurement passes to the platform.
uint32_t MeasureFormat(uint32_t flags, bool word_wrap, bool accel_char);

// Whether a measurement takes a single space instead of the text: an empty
// text always, and a lone "&" when ampersands mark accelerators.
template <class Char>
bool MeasuresAsSpace(std::basic_string_view<Char> text, bool accel_char) {
  return text.empty() || (accel_char && text.size() == 1 && text[0] == Char('&'));
}

// The measured rectangle: the platform's text extent at the origin, grown by
// the effect's extent and by the border on both sides.
Rect MeasuredTextRect(Size text_extent, int32_t three_d_extent, int32_t border);

// Where the colour of the text face comes from.
enum class TextColorSource : uint8_t { FontColor, BrushColor, GrayText };

struct TextLook {
  TThreeDStyle style;  // the style whose passes are drawn
  TextColorSource text_color;

  friend bool operator==(const TextLook&, const TextLook&) = default;
};

// The effective style and text colour for enabled or disabled text.
TextLook ChooseTextLook(TThreeDStyle style, TDisabledStyle disabled_style, TDrawTextStyles styles);

// The colour a pass draws with.
enum class PassColor : uint8_t { Text, Light, Shadow, Graded };

struct TextPass {
  Point move;   // how far the drawing rectangle moves before this pass
  Point place;  // where the drawing rectangle then lies, relative to the text rectangle
  PassColor color = PassColor::Text;
  int32_t grade_index = 0;  // Graded: GradientGetColor(shadow, light, grade_index, grade_count)
  int32_t grade_count = 0;

  friend bool operator==(const TextPass&, const TextPass&) = default;
};

struct ThreeDPlan {
  // Taken off the drawing rectangle's right edge before the passes, so that
  // the text wraps as when it was measured.
  int32_t right_reduction = 0;
  // Where the drawing rectangle starts, relative to the text rectangle.
  Point start;
  std::vector<TextPass> passes;
  // tdOutline: the pass goes into a path that is then stroked in the text
  // colour with a pen this wide; the letters stay hollow.
  bool outline = false;
  int32_t outline_pen_width = 0;
};

// The passes of an effective style (see ChooseTextLook).
ThreeDPlan PlanThreeDText(TThreeDStyle style, int32_t light_depth, int32_t shadow_depth,
                          TThreeDOrientation orientation);

// The colour index/count of the way from c1 to c2, channel by channel, on
// colours as stored (0x00BBGGRR); a count of 0 gives c1.
uint32_t GradientGetColor(uint32_t c1, uint32_t c2, int32_t index, int32_t count);

// The actual colours of a drawing, system colours already resolved.
struct PassColors {
  uint32_t text = 0;
  uint32_t light = 0;
  uint32_t shadow = 0;
};

uint32_t ColorOfPass(const TextPass& pass, const PassColors& colors);

}  // namespace shapehint
