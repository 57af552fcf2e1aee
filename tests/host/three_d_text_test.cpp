#include "components/shapehint/three_d_text_geometry.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

using namespace shapehint;

// ------------------------------------------------------------------- extent

TEST(ThreeDExtent, EveryStyle) {
  // LightDepth 2, ShadowDepth 5.
  struct Row {
    TThreeDStyle style;
    int32_t expected;
  };
  const Row rows[] = {
      {tdNone, 0},         {tdSunken, 2},       {tdRaised, 2},  {tdSunkenShadow, 7},
      {tdRaisedShadow, 7}, {tdPColorSunken, 7}, {tdPColorRaised, 7}, {tdShadow, 5},
      {tdOutline, 5},      {tdExtrude, 5},      {tdExtrudeEnh, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int(row.style));
    EXPECT_EQ(ThreeDExtent(row.style, 2, 5), row.expected);
  }
}

// ---------------------------------------------------------------- measuring

TEST(Measuring, FormatFlags) {
  EXPECT_EQ(MeasureFormat(0, true, false), 0xC50u);  // calc rect, expand tabs, word break, no prefix
  EXPECT_EQ(MeasureFormat(0, false, true), 0x440u);
  EXPECT_EQ(MeasureFormat(0x20000, true, false), 0x20C50u);  // the reading-order flag passes through
  EXPECT_EQ(kHintDrawFlags, 0x810u);
}

TEST(Measuring, EmptyTextAndALoneAmpersandMeasureASpace) {
  EXPECT_TRUE(MeasuresAsSpace(std::string_view(""), false));
  EXPECT_TRUE(MeasuresAsSpace(std::wstring_view(L""), true));
  EXPECT_TRUE(MeasuresAsSpace(std::wstring_view(L"&"), true));
  EXPECT_FALSE(MeasuresAsSpace(std::wstring_view(L"&"), false));
  EXPECT_FALSE(MeasuresAsSpace(std::wstring_view(L"&&"), true));
  EXPECT_FALSE(MeasuresAsSpace(std::wstring_view(L"a"), true));
}

TEST(Measuring, RectangleGrowsByExtentAndBorder) {
  // The intro hint: outline with ShadowDepth 1, border 2.
  EXPECT_EQ(MeasuredTextRect({94, 14}, 1, kHintTextBorder), (Rect{0, 0, 101, 21}));
  EXPECT_EQ(MeasuredTextRect({94, 14}, 0, kHintTextBorder), (Rect{0, 0, 100, 20}));
  EXPECT_EQ(MeasuredTextRect({94, 14}, 0, 0), (Rect{0, 0, 96, 16}));
}

// --------------------------------------------------------------- text look

TEST(ChooseTextLook, EnabledText) {
  const TDrawTextStyles enabled = DrawTextStyles(dtEnabled);
  EXPECT_EQ(ChooseTextLook(tdOutline, dsAuto, enabled), (TextLook{tdOutline, TextColorSource::FontColor}));
  EXPECT_EQ(ChooseTextLook(tdNone, ds3d, enabled), (TextLook{tdNone, TextColorSource::FontColor}));
  EXPECT_EQ(ChooseTextLook(tdPColorSunken, dsAuto, enabled), (TextLook{tdPColorSunken, TextColorSource::BrushColor}));
  EXPECT_EQ(ChooseTextLook(tdPColorRaised, dsAuto, enabled), (TextLook{tdPColorRaised, TextColorSource::BrushColor}));
  EXPECT_EQ(ChooseTextLook(tdExtrudeEnh, dsAuto, dtEnabled | dt3DDisabled),
            (TextLook{tdExtrudeEnh, TextColorSource::FontColor}));
}

TEST(ChooseTextLook, DisabledText) {
  const TDrawTextStyles disabled = DrawTextStyles(dtDisabled);
  // dsNone draws disabled text as enabled.
  EXPECT_EQ(ChooseTextLook(tdPColorRaised, dsNone, disabled), (TextLook{tdPColorRaised, TextColorSource::BrushColor}));
  EXPECT_EQ(ChooseTextLook(tdShadow, ds3d, disabled), (TextLook{tdSunken, TextColorSource::GrayText}));
  EXPECT_EQ(ChooseTextLook(tdShadow, dsAuto, dtDisabled | dt3DDisabled),
            (TextLook{tdSunken, TextColorSource::GrayText}));
  EXPECT_EQ(ChooseTextLook(tdShadow, dsAuto, disabled), (TextLook{tdShadow, TextColorSource::GrayText}));
  EXPECT_EQ(ChooseTextLook(tdShadow, dsStandard, dtDisabled | dt3DDisabled),
            (TextLook{tdShadow, TextColorSource::GrayText}));
  EXPECT_EQ(ChooseTextLook(tdPColorSunken, dsStandard, disabled),
            (TextLook{tdPColorSunken, TextColorSource::GrayText}));
}

// ------------------------------------------------------------------ passes

constexpr PassColor T = PassColor::Text;
constexpr PassColor Lt = PassColor::Light;
constexpr PassColor Sh = PassColor::Shadow;

TextPass P(Point move, Point place, PassColor color) { return {move, place, color}; }
TextPass G(Point move, Point place, int32_t index, int32_t count) {
  return {move, place, PassColor::Graded, index, count};
}

struct PlanRow {
  TThreeDStyle style;
  int32_t right_reduction;
  std::vector<TextPass> passes;
};

void CheckPlans(int32_t light, int32_t shadow, const std::vector<PlanRow>& rows) {
  for (const PlanRow& row : rows) {
    SCOPED_TRACE(int(row.style));
    const ThreeDPlan plan = PlanThreeDText(row.style, light, shadow, toTopLeft);
    EXPECT_EQ(plan.right_reduction, row.right_reduction);
    EXPECT_EQ(plan.start, (Point{0, 0}));
    EXPECT_EQ(plan.passes, row.passes);
    EXPECT_FALSE(plan.outline);
  }
}

TEST(ThreeDPasses, PlainSunkenAndRaised) {
  // L = 2, S = 5.
  CheckPlans(2, 5,
             {
                 {tdNone, 0, {P({0, 0}, {0, 0}, T)}},
                 {tdSunken, 2, {P({2, 2}, {2, 2}, Lt), P({-2, -2}, {0, 0}, T)}},
                 {tdRaised, 2, {P({0, 0}, {0, 0}, Lt), P({2, 2}, {2, 2}, T)}},
             });
}

TEST(ThreeDPasses, SunkenWithLightDepth3) {
  const ThreeDPlan plan = PlanThreeDText(tdSunken, 3, 1, toTopLeft);
  EXPECT_EQ(plan.right_reduction, 3);
  EXPECT_EQ(plan.passes, (std::vector<TextPass>{P({3, 3}, {3, 3}, Lt), P({-3, -3}, {0, 0}, T)}));
}

TEST(ThreeDPasses, WithShadow) {
  CheckPlans(2, 5,
             {
                 {tdSunkenShadow, 7, {P({0, 0}, {0, 0}, Sh), P({7, 7}, {7, 7}, Lt), P({-2, -2}, {5, 5}, T)}},
                 {tdPColorSunken, 7, {P({0, 0}, {0, 0}, Sh), P({7, 7}, {7, 7}, Lt), P({-2, -2}, {5, 5}, T)}},
                 {tdRaisedShadow, 7, {P({7, 7}, {7, 7}, Sh), P({-7, -7}, {0, 0}, Lt), P({2, 2}, {2, 2}, T)}},
                 {tdPColorRaised, 7, {P({7, 7}, {7, 7}, Sh), P({-7, -7}, {0, 0}, Lt), P({2, 2}, {2, 2}, T)}},
                 {tdShadow, 5, {P({5, 5}, {5, 5}, Sh), P({-5, -5}, {0, 0}, T)}},
             });
}

TEST(ThreeDPasses, OutlineIsStrokedFromAPath) {
  // The intro hint: ShadowDepth 1, a 1-pixel pen at (0, 0).
  const ThreeDPlan thin = PlanThreeDText(tdOutline, 3, 1, toTopLeft);
  EXPECT_TRUE(thin.outline);
  EXPECT_EQ(thin.outline_pen_width, 1);
  EXPECT_EQ(thin.right_reduction, 0);
  EXPECT_EQ(thin.passes, (std::vector<TextPass>{P({0, 0}, {0, 0}, T)}));

  // S div 2 = 2 for S = 5.
  const ThreeDPlan wide = PlanThreeDText(tdOutline, 2, 5, toTopLeft);
  EXPECT_EQ(wide.outline_pen_width, 5);
  EXPECT_EQ(wide.right_reduction, 0);
  EXPECT_EQ(wide.passes, (std::vector<TextPass>{P({2, 2}, {2, 2}, T)}));
}

struct ExtrudeRow {
  TThreeDOrientation orientation;
  Point start;
  std::vector<TextPass> passes;
};

TEST(ThreeDPasses, ExtrudeEachOrientation) {
  // ShadowDepth 3.
  const ExtrudeRow rows[] = {
      {toBottomRight,
       {4, 4},
       {P({-1, -1}, {3, 3}, Sh), P({-1, -1}, {2, 2}, Sh), P({-1, -1}, {1, 1}, Sh), P({0, 0}, {1, 1}, T)}},
      {toBottomLeft,
       {0, 4},
       {P({1, -1}, {1, 3}, Sh), P({1, -1}, {2, 2}, Sh), P({1, -1}, {3, 1}, Sh), P({0, 0}, {3, 1}, T)}},
      {toTopLeft,
       {0, 0},
       {P({1, 1}, {1, 1}, Sh), P({1, 1}, {2, 2}, Sh), P({1, 1}, {3, 3}, Sh), P({0, 0}, {3, 3}, T)}},
      {toTopRight,
       {4, 0},
       {P({-1, 1}, {3, 1}, Sh), P({-1, 1}, {2, 2}, Sh), P({-1, 1}, {1, 3}, Sh), P({0, 0}, {1, 3}, T)}},
  };
  for (const ExtrudeRow& row : rows) {
    SCOPED_TRACE(int(row.orientation));
    const ThreeDPlan plan = PlanThreeDText(tdExtrude, 1, 3, row.orientation);
    EXPECT_EQ(plan.right_reduction, 0);
    EXPECT_EQ(plan.start, row.start);
    EXPECT_EQ(plan.passes, row.passes);
  }
}

TEST(ThreeDPasses, ExtrudeWithoutDepthDrawsTheTextOnce) {
  const ThreeDPlan top_left = PlanThreeDText(tdExtrude, 1, 0, toTopLeft);
  EXPECT_EQ(top_left.passes, (std::vector<TextPass>{P({0, 0}, {0, 0}, T)}));
  // The start offset still applies: S + 1 = 1.
  const ThreeDPlan bottom_right = PlanThreeDText(tdExtrude, 1, 0, toBottomRight);
  EXPECT_EQ(bottom_right.start, (Point{1, 1}));
  EXPECT_EQ(bottom_right.passes, (std::vector<TextPass>{P({0, 0}, {1, 1}, T)}));
}

TEST(ThreeDPasses, ExtrudeEnhGradesFromLightToShadow) {
  const ThreeDPlan plan = PlanThreeDText(tdExtrudeEnh, 1, 3, toBottomRight);
  EXPECT_EQ(plan.right_reduction, 0);
  EXPECT_EQ(plan.start, (Point{4, 4}));
  EXPECT_EQ(plan.passes, (std::vector<TextPass>{G({-1, -1}, {3, 3}, 2, 3), G({-1, -1}, {2, 2}, 1, 3),
                                                G({-1, -1}, {1, 1}, 0, 3), P({0, 0}, {1, 1}, T)}));

  // Shadow fuchsia (255, 0, 255), light (0, 255, 30), text blue.
  const PassColors colors{.text = 0x00FF0000, .light = 0x001EFF00, .shadow = 0x00FF00FF};
  // k = 1: 2/3 of the way: (255 - 170, 0 + 170, 255 - 150).
  EXPECT_EQ(ColorOfPass(plan.passes[0], colors), 0x0069AA55u);
  // k = 2: 1/3 of the way: (255 - 85, 0 + 85, 255 - 75).
  EXPECT_EQ(ColorOfPass(plan.passes[1], colors), 0x00B455AAu);
  // k = 3, under the text: the shadow colour.
  EXPECT_EQ(ColorOfPass(plan.passes[2], colors), 0x00FF00FFu);
  EXPECT_EQ(ColorOfPass(plan.passes[3], colors), 0x00FF0000u);
}

TEST(ThreeDPasses, ColoursOfTheOtherRoles) {
  const PassColors colors{.text = 1, .light = 2, .shadow = 3};
  EXPECT_EQ(ColorOfPass(P({}, {}, T), colors), 1u);
  EXPECT_EQ(ColorOfPass(P({}, {}, Lt), colors), 2u);
  EXPECT_EQ(ColorOfPass(P({}, {}, Sh), colors), 3u);
}

// ---------------------------------------------------------- GradientGetColor

TEST(GradientGetColor, ChannelByChannel) {
  struct Row {
    uint32_t c1, c2;
    int32_t index, count;
    uint32_t expected;
  };
  const Row rows[] = {
      {0x000000, 0xFFFFFF, 0, 4, 0x000000},
      {0x000000, 0xFFFFFF, 4, 4, 0xFFFFFF},
      {0x000000, 0xFFFFFF, 1, 2, 0x7F7F7F},  // 127.5 -> 127
      // red 10 -> 0: 10 - 3.33 = 6.67 -> 6; green 0 -> 10: 3.33 -> 3.
      {0x00000A, 0x000A00, 1, 3, 0x000306},
      {0x00FF00FF, 0x001EFF00, 1, 3, 0x00B455AA},
      // The top byte of a stored value is not a channel: 15 -> 0 half way is 7.
      {0x8000000F, 0x00000000, 1, 2, 0x000007},
      // Beyond the way: 400 keeps its low byte 0x90; -3.33 truncates to -3 (0xFD).
      {0x000000, 0x0000C8, 2, 1, 0x000090},
      {0x000000, 0x00000A, -1, 3, 0x0000FD},
      // No way at all.
      {0x123456, 0xABCDEF, 1, 0, 0x123456},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.c1 << " -> " << row.c2 << " " << std::dec << row.index
                                    << "/" << row.count);
    EXPECT_EQ(GradientGetColor(row.c1, row.c2, row.index, row.count), row.expected);
  }
}

}  // namespace
