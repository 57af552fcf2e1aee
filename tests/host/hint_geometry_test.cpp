#include "components/shapehint/hint_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace shapehint;

constexpr Size kScreen{1024, 768};
constexpr THintPosition kAllPositions[] = {hpAboveLeft, hpAboveRight, hpBelowLeft, hpBelowRight};

std::string Name(THintPosition p) {
  static const char* const kNames[] = {"hpAboveLeft", "hpAboveRight", "hpBelowLeft", "hpBelowRight"};
  return kNames[p];
}

// ---------------------------------------------------------------- wrap width

TEST(WrapWidth, FollowsTheMaxWidthRule) {
  struct Row {
    int32_t max_width;
    int32_t screen_width;
    int32_t expected;
  };
  const Row rows[] = {
      {-4, 1024, 256},   // the default: a quarter of the screen
      {-3, 1000, 333},   // integer division
      {-1, 1024, 1024},  // the full screen width
      {300, 1024, 300},  // pixels as given
      {5000, 1024, 5000},
      {0, 1024, 1},      // below 1 becomes 1
      {-1025, 1024, 1},  // a divisor wider than the screen
      {-2000, 1024, 1},
      {INT_MIN, 1024, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.max_width);
    EXPECT_EQ(WrapWidth(row.max_width, row.screen_width), row.expected);
  }
}

TEST(PointForm, OnlyMinusOneRightAndBottom) {
  EXPECT_TRUE(IsPointForm({300, 200, -1, -1}));
  EXPECT_FALSE(IsPointForm({300, 200, -1, 0}));
  EXPECT_FALSE(IsPointForm({300, 200, 0, -1}));
  EXPECT_FALSE(IsPointForm({300, 200, 420, 240}));
}

// ------------------------------------------------------ CalculateDimensions

TEST(CalculateDimensions, EachStyle) {
  struct Row {
    THintStyle style;
    Rect text;
    int32_t depth;
    Rect expected;
  };
  const Row rows[] = {
      {hsRect, {0, 0, 100, 20}, 6, {0, 0, 106, 26}},
      {hsRect, {0, 0, 100, 20}, 0, {0, 0, 100, 20}},
      {hsRoundRect, {0, 0, 100, 20}, 6, {0, 0, 114, 30}},
      {hsRoundRect, {0, 0, 7, 7}, 40, {0, 0, 55, 51}},
      // TW div 3 and TH div 3: 100 div 3 = 33, 20 div 3 = 6; 31 div 3 = 10, 17 div 3 = 5.
      {hsEllipse, {0, 0, 100, 20}, 6, {0, 0, 139, 32}},
      {hsEllipse, {0, 0, 31, 17}, 40, {0, 0, 81, 62}},
      {hsNoseRect, {0, 0, 100, 20}, 6, {0, 0, 129, 44}},
      // A text 30 wide makes a window 46 + D + 23 wide.
      {hsNoseRect, {0, 0, 30, 20}, 6, {0, 0, 75, 44}},
      {hsNoseRect, {0, 0, 46, 20}, 6, {0, 0, 75, 44}},
      {hsNoseRect, {0, 0, 47, 20}, 6, {0, 0, 76, 44}},
      {hsNoseRoundRect, {0, 0, 100, 20}, 6, {0, 0, 129, 44}},
      {hsNoseRoundRect, {0, 0, 7, 7}, 0, {0, 0, 69, 25}},
      // TW div 2 and TH div 2: 50 and 10; 31 div 2 = 15, 17 div 2 = 8.
      {hsNoseEllipse, {0, 0, 100, 20}, 6, {0, 0, 171, 51}},
      {hsNoseEllipse, {0, 0, 31, 17}, 0, {0, 0, 61, 40}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "style " << int(row.style) << ", text " << row.text.right << " x "
                                    << row.text.bottom << ", depth " << row.depth);
    EXPECT_EQ(CalculateDimensions(row.style, row.text, row.depth), row.expected);
  }
}

// ---------------------------------------------------------------- SetPosition

struct PlaceRow {
  const char* what;
  Point anchor;
  THintPosition preferred;
  Rect window;
  Size screen;
  Placement expected;
};

void CheckPlacements(const std::vector<PlaceRow>& rows) {
  for (const PlaceRow& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(SetPosition(row.anchor, row.preferred, row.window, row.screen), row.expected);
  }
}

constexpr Rect k129x44{0, 0, 129, 44};

TEST(SetPosition, EachSideWhenItFits) {
  CheckPlacements({
      {"above right: (P.X + 1, P.Y - 45)", {500, 400}, hpAboveRight, k129x44, kScreen,
       {{501, 355, 630, 399}, hpAboveRight}},
      {"above left", {500, 400}, hpAboveLeft, k129x44, kScreen, {{370, 355, 499, 399}, hpAboveLeft}},
      {"below left", {500, 400}, hpBelowLeft, k129x44, kScreen, {{368, 401, 497, 445}, hpBelowLeft}},
      {"below right", {500, 400}, hpBelowRight, k129x44, kScreen, {{506, 401, 635, 445}, hpBelowRight}},
  });
}

TEST(SetPosition, RightAndBottomAreExclusive) {
  CheckPlacements({
      {"ends one pixel before the right edge", {893, 400}, hpAboveRight, k129x44, kScreen,
       {{894, 355, 1023, 399}, hpAboveRight}},
      {"touching the right edge moves on to below left", {894, 400}, hpAboveRight, k129x44, kScreen,
       {{762, 401, 891, 445}, hpBelowLeft}},
      {"ends one pixel before the bottom edge", {100, 722}, hpBelowRight, k129x44, kScreen,
       {{106, 723, 235, 767}, hpBelowRight}},
      {"touching the bottom edge wraps to above left, then above right", {100, 723}, hpBelowRight, k129x44,
       kScreen, {{101, 678, 230, 722}, hpAboveRight}},
      {"top at row 0 fits", {500, 45}, hpAboveRight, k129x44, kScreen, {{501, 0, 630, 44}, hpAboveRight}},
      {"left at column 0 fits", {130, 400}, hpAboveLeft, k129x44, kScreen, {{0, 355, 129, 399}, hpAboveLeft}},
      {"left at column -1 moves on", {129, 400}, hpAboveLeft, k129x44, kScreen,
       {{130, 355, 259, 399}, hpAboveRight}},
      {"a window one pixel narrower than the screen fits only at column 0", {-1, 400}, hpAboveLeft,
       {0, 0, 1023, 44}, kScreen, {{0, 355, 1023, 399}, hpAboveRight}},
      {"and nowhere one column further", {0, 400}, hpAboveLeft, {0, 0, 1023, 44}, kScreen,
       {{6, 401, 1029, 445}, hpAboveLeft}},
  });
}

TEST(SetPosition, NearTheTopGoesBelowLeft) {
  CheckPlacements({
      {"above right does not fit", {500, 20}, hpAboveRight, k129x44, kScreen, {{368, 21, 497, 65}, hpBelowLeft}},
  });
}

TEST(SetPosition, NoSideFitsLeavesTheFourthCandidate) {
  const Size tiny{100, 40};
  CheckPlacements({
      // Tries above right, below left, below right, above left.
      {"from above right", {50, 20}, hpAboveRight, k129x44, tiny, {{-80, -25, 49, 19}, hpAboveRight}},
      // Tries above left, above right, below left, below right.
      {"from above left", {50, 20}, hpAboveLeft, k129x44, tiny, {{56, 21, 185, 65}, hpAboveLeft}},
      {"from below left", {50, 20}, hpBelowLeft, k129x44, tiny, {{51, -25, 180, 19}, hpBelowLeft}},
      {"from below right", {50, 20}, hpBelowRight, k129x44, tiny, {{-82, 21, 47, 65}, hpBelowRight}},
  });
}

TEST(SetPosition, AnchorFarOffTheScreenDoesNotOverflow) {
  const Placement placed = SetPosition({INT_MAX, INT_MAX}, hpAboveRight, k129x44, kScreen);
  EXPECT_EQ(placed.position, hpAboveRight);
  EXPECT_EQ(placed.window, (Rect{INT_MAX - 130, INT_MAX - 45, INT_MAX - 1, INT_MAX - 1}));
}

// --------------------------------------------------------------- the figures

Figure Box(Outline outline, Rect bounds) { return {.outline = outline, .bounds = bounds}; }

Figure Nosed(Outline outline, Rect bounds, Point a, Point tip, Point end, NoseMode mode) {
  return {.outline = outline, .bounds = bounds, .nose = mode, .base_start = a, .tip = tip, .base_end = end};
}

Figure EllipseNose(Rect b, Rect fill, int32_t bearing, Point q1, Point tip, Point q2, NoseMode mode) {
  return {.outline = Outline::NoseEllipse,
          .bounds = b,
          .fill = fill,
          .nose = mode,
          .base_start = q1,
          .tip = tip,
          .base_end = q2,
          .bearing = bearing};
}

Figure EllipseNoNose(Rect b, Rect fill) {
  return {.outline = Outline::NoseEllipse, .bounds = b, .fill = fill};
}

struct LayoutRow {
  THintPosition position;
  Figure shadow;
  Figure body;
  Rect text;
};

void CheckLayouts(THintStyle style, Size window, Rect text, int32_t depth, const std::vector<LayoutRow>& rows) {
  for (const LayoutRow& row : rows) {
    SCOPED_TRACE(Name(row.position));
    const HintLayout layout = LayoutHint(style, row.position, window, text, depth, hssSolid);
    ASSERT_TRUE(layout.shadow.has_value());
    EXPECT_EQ(*layout.shadow, row.shadow);
    EXPECT_EQ(layout.body, row.body);
    EXPECT_EQ(layout.text, row.text);
  }
}

// The same for every position.
std::vector<LayoutRow> Everywhere(Figure shadow, Figure body, Rect text) {
  std::vector<LayoutRow> rows;
  for (THintPosition p : kAllPositions) rows.push_back({p, shadow, body, text});
  return rows;
}

TEST(LayoutRect, EveryPosition) {
  // Depth 6, text 100 x 20: window 106 x 26.
  CheckLayouts(hsRect, {106, 26}, {0, 0, 100, 20}, 6,
               Everywhere(Box(Outline::Rectangle, {6, 6, 106, 26}), Box(Outline::Rectangle, {0, 0, 100, 20}),
                          {3, 3, 103, 23}));
}

TEST(LayoutRoundRect, EveryPosition) {
  CheckLayouts(hsRoundRect, {114, 30}, {0, 0, 100, 20}, 6,
               Everywhere(Box(Outline::RoundRect, {6, 6, 114, 30}), Box(Outline::RoundRect, {0, 0, 108, 24}),
                          {5, 5, 105, 25}));
}

TEST(LayoutEllipse, EveryPosition) {
  // Text moved by ((100 - 6) div 5 + 3, (20 - 6) div 5 + 3) = (21, 5).
  CheckLayouts(hsEllipse, {139, 32}, {0, 0, 100, 20}, 6,
               Everywhere(Box(Outline::Ellipse, {6, 6, 139, 32}), Box(Outline::Ellipse, {0, 0, 133, 26}),
                          {21, 5, 121, 25}));
}

TEST(LayoutEllipse, TextOffsetTruncatesTowardZero) {
  // (8 - 40) div 5 = -6 (not -7), + 3 = -3.
  CheckLayouts(hsEllipse, {50, 50}, {0, 0, 8, 8}, 40,
               Everywhere(Box(Outline::Ellipse, {40, 40, 50, 50}), Box(Outline::Ellipse, {0, 0, 10, 10}),
                          {-3, -3, 5, 5}));
}

// Window 129 x 44 for text 100 x 20 and depth 6.
std::vector<LayoutRow> NoseRectRows(Outline o) {
  constexpr auto kFilled = NoseMode::Filled;
  constexpr auto kJoined = NoseMode::Joined;
  return {
      {hpAboveLeft, Nosed(o, {6, 6, 114, 29}, {74, 28}, {129, 44}, {104, 28}, kFilled),
       Nosed(o, {0, 0, 108, 23}, {68, 22}, {123, 38}, {98, 22}, kJoined), {4, 4, 104, 24}},
      {hpAboveRight, Nosed(o, {21, 6, 129, 29}, {31, 28}, {0, 44}, {61, 28}, kFilled),
       Nosed(o, {15, 0, 123, 23}, {25, 22}, {0, 38}, {55, 22}, kJoined), {19, 4, 119, 24}},
      {hpBelowLeft, Nosed(o, {6, 21, 114, 44}, {74, 22}, {129, 6}, {104, 22}, kFilled),
       Nosed(o, {0, 15, 108, 38}, {68, 16}, {129, 0}, {98, 16}, kJoined), {4, 19, 104, 39}},
      // No nose shadow below and to the right of the pointer.
      {hpBelowRight, Box(o, {21, 21, 129, 44}), Nosed(o, {15, 15, 123, 38}, {25, 16}, {0, 0}, {55, 16}, kJoined),
       {19, 19, 119, 39}},
  };
}

TEST(LayoutNoseRect, EveryPosition) {
  CheckLayouts(hsNoseRect, {129, 44}, {0, 0, 100, 20}, 6, NoseRectRows(Outline::Rectangle));
}

TEST(LayoutNoseRoundRect, EveryPosition) {
  CheckLayouts(hsNoseRoundRect, {129, 44}, {0, 0, 100, 20}, 6, NoseRectRows(Outline::RoundRect));
}

TEST(LayoutNoseRect, NarrowTextKeepsItsRectangle) {
  // Text 30 x 20 in a window 75 x 44: the text moves but stays 30 wide.
  const HintLayout layout = LayoutHint(hsNoseRect, hpAboveRight, {75, 44}, {0, 0, 30, 20}, 6, hssSolid);
  EXPECT_EQ(layout.text, (Rect{19, 4, 49, 24}));
  EXPECT_EQ(layout.body.bounds, (Rect{15, 0, 69, 23}));
}

TEST(LayoutNoseEllipse, EveryPosition) {
  // Window 171 x 51 for text 100 x 20, depth 6. Text moves by
  // ((100 - 6) div 3 + 3, (20 - 6) div 3 + 3 / 18 / 15) = (34, 7 / 22 / 19);
  // above right it stands at ((171 - 100 + 15) div 2, (51 - 20 - 15) div 2) = (43, 8).
  constexpr auto kFilled = NoseMode::Filled;
  constexpr auto kJoined = NoseMode::Joined;
  CheckLayouts(hsNoseEllipse, {171, 51}, {0, 0, 100, 20}, 6,
               {
                   {hpAboveLeft,
                    EllipseNose({6, 6, 156, 36}, {6, 6, 157, 37}, 125, {142, 29}, {171, 51}, {118, 33}, kFilled),
                    EllipseNose({0, 0, 150, 30}, {0, 0, 151, 31}, 125, {136, 23}, {165, 45}, {112, 27}, kJoined),
                    {34, 7, 134, 27}},
                   {hpAboveRight,
                    EllipseNose({21, 6, 171, 36}, {21, 6, 172, 37}, 205, {65, 34}, {0, 51}, {39, 30}, kFilled),
                    EllipseNose({15, 0, 165, 30}, {15, 0, 166, 31}, 205, {59, 28}, {0, 45}, {33, 24}, kJoined),
                    {43, 8, 143, 28}},
                   {hpBelowLeft,
                    EllipseNose({6, 21, 156, 51}, {6, 21, 157, 52}, 25, {112, 23}, {171, 6}, {138, 27}, kFilled),
                    EllipseNose({0, 15, 150, 45}, {0, 15, 151, 46}, 25, {106, 17}, {171, 0}, {132, 21}, kJoined),
                    {34, 22, 134, 42}},
                   {hpBelowRight, EllipseNoNose({21, 21, 171, 51}, {21, 21, 172, 52}),
                    EllipseNose({15, 15, 165, 45}, {15, 15, 166, 46}, 295, {23, 24}, {0, 0}, {42, 19}, kJoined),
                    {34, 19, 134, 39}},
               });
}

TEST(LayoutShadowStyle, NoneLeavesTheRoomButDrawsNoShadow) {
  const HintLayout none = LayoutHint(hsRect, hpAboveRight, {106, 26}, {0, 0, 100, 20}, 6, hssNone);
  EXPECT_FALSE(none.shadow.has_value());
  EXPECT_EQ(none.body.bounds, (Rect{0, 0, 100, 20}));
  const HintLayout tracing = LayoutHint(hsRect, hpAboveRight, {106, 26}, {0, 0, 100, 20}, 6, hssTracing);
  ASSERT_TRUE(tracing.shadow.has_value());
  EXPECT_EQ(tracing.shadow->bounds, (Rect{6, 6, 106, 26}));
}

// --------------------------------------------------------------- nose points

TEST(EllipsePoint, BearingsOnAnEllipse40x20) {
  // Centre (20, 10), radii 20 and 10.
  struct Row {
    int32_t bearing;
    Point expected;
  };
  const Row rows[] = {
      {0, {20, 0}},   {90, {40, 10}},  {180, {20, 20}}, {270, {0, 10}},
      {360, {20, 0}}, {-30, {10, 2}},  {395, {31, 2}},
      // sin 30 = 1/2 exactly: 20 + 10, not 20 + 9.
      {30, {30, 2}},  {150, {30, 18}}, {210, {10, 18}}, {330, {10, 2}},
      // 10 × sin 150 = 5 exactly; 20 × sin 60 = 17.32 -> 17.
      {60, {37, 5}},
      // 20 × sin 225 = -14.14 -> -14 (toward zero); 10 × sin 315 = -7.07 -> -7.
      {225, {6, 17}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bearing);
    EXPECT_EQ(EllipsePoint({0, 0, 40, 20}, row.bearing), row.expected);
  }
}

TEST(EllipsePoint, CentreOfNegativeCoordinatesTruncatesTowardZero) {
  // cx = -15 div 2 = -7, cy = -7 div 2 = -3; rx = 8, ry = 4.
  EXPECT_EQ(EllipsePoint({-15, -7, 0, 0}, 0), (Point{-7, -7}));
  EXPECT_EQ(EllipsePoint({-15, -7, 0, 0}, 90), (Point{1, -3}));
  EXPECT_EQ(EllipsePoint({-15, -7, 0, 0}, 180), (Point{-7, 1}));
  EXPECT_EQ(EllipsePoint({-15, -7, 0, 0}, 270), (Point{-15, -3}));
}

// ----------------------------------------------------------- tracing pattern

TEST(TracingPattern, CheckerboardWithOddPixelsColoured) {
  // '#' shadow colour, '.' white.
  const char* const rows[8] = {".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#.",
                               ".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#."};
  const uint32_t blue = 0x00E47A1B;  // RGB 27, 122, 228
  const std::array<uint32_t, 64> pixels = TracingPatternPixels(blue);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ")");
      EXPECT_EQ(pixels[y * 8 + x], rows[y][x] == '#' ? blue : 0x00FFFFFFu);
    }
  }
  EXPECT_EQ(kTracingPattern, (std::array<uint8_t, 8>{0b01010101, 0b10101010, 0b01010101, 0b10101010, 0b01010101,
                                                     0b10101010, 0b01010101, 0b10101010}));
}

// ------------------------------------------------------------- a whole plan

TEST(PlanHint, RectangleAboveRight) {
  const HintPlan plan = PlanHint(hsRect, hpAboveRight, 6, hssSolid, {0, 0, 100, 20}, {500, 400}, kScreen);
  EXPECT_EQ(plan.placement, (Placement{{501, 373, 607, 399}, hpAboveRight}));
  ASSERT_TRUE(plan.layout.shadow.has_value());
  EXPECT_EQ(plan.layout.shadow->bounds, (Rect{6, 6, 106, 26}));
  EXPECT_EQ(plan.layout.body.bounds, (Rect{0, 0, 100, 20}));
  EXPECT_EQ(plan.layout.text, (Rect{3, 3, 103, 23}));
}

TEST(PlanHint, NoseRoundRectAboveRight) {
  const HintPlan plan = PlanHint(hsNoseRoundRect, hpAboveRight, 6, hssSolid, {0, 0, 100, 20}, {500, 400}, kScreen);
  EXPECT_EQ(plan.placement, (Placement{{501, 355, 630, 399}, hpAboveRight}));
  EXPECT_EQ(plan.layout.body, Nosed(Outline::RoundRect, {15, 0, 123, 23}, {25, 22}, {0, 38}, {55, 22},
                                    NoseMode::Joined));
  EXPECT_EQ(plan.layout.text, (Rect{19, 4, 119, 24}));
  EXPECT_EQ(plan.text_rect, (Rect{0, 0, 100, 20}));
}

TEST(PlanHint, ShapeFollowsTheSideChosen) {
  // Near the top: drawn below left, nose in the top-right corner.
  const HintPlan plan = PlanHint(hsNoseRoundRect, hpAboveRight, 6, hssSolid, {0, 0, 100, 20}, {500, 20}, kScreen);
  EXPECT_EQ(plan.placement.position, hpBelowLeft);
  EXPECT_EQ(plan.layout.body.tip, (Point{129, 0}));
  EXPECT_EQ(plan.layout.text, (Rect{4, 19, 104, 39}));
}

TEST(PlanHint, NoSideFitsDrawsForThePreferredSide) {
  const HintPlan plan = PlanHint(hsNoseRect, hpBelowRight, 6, hssSolid, {0, 0, 100, 20}, {50, 20}, {100, 40});
  EXPECT_EQ(plan.placement, (Placement{{-82, 21, 47, 65}, hpBelowRight}));
  EXPECT_EQ(plan.layout.body.tip, (Point{0, 0}));
  ASSERT_TRUE(plan.layout.shadow.has_value());
  EXPECT_EQ(plan.layout.shadow->nose, NoseMode::None);
}

}  // namespace

// ------------------------------------------------------------- scaled hints

namespace {

// At 144 dpi every figure is the 96-dpi one times 1.5, halves rounded away
// from zero; the shadow depth (9) and the text (150 × 30) come scaled.
TEST(ScaledHint, NoseRoundRectAboveRightAt144Dpi) {
  const Rect text{0, 0, 150, 30};
  const Rect window = CalculateDimensions(hsNoseRoundRect, text, 9, 144);
  EXPECT_EQ(window, (Rect{0, 0, 150 + 9 + 35, 30 + 9 + 27}));
  const Placement placed = SetPosition({500, 400}, hpAboveRight, window, kScreen, 144);
  EXPECT_EQ(placed.window.left, 502);
  EXPECT_EQ(placed.window.bottom, 398);
  const HintLayout layout = LayoutHint(hsNoseRoundRect, hpAboveRight, {194, 66}, text, 9, hssSolid, 144);
  EXPECT_EQ(layout.body.bounds, (Rect{23, 0, 185, 34}));
  EXPECT_EQ(layout.body.base_start, (Point{38, 33}));
  EXPECT_EQ(layout.body.base_end, (Point{38 + 45, 33}));
  EXPECT_EQ(layout.body.tip, (Point{0, 57}));
  EXPECT_EQ(layout.text, (Rect{29, 6, 179, 36}));
  ASSERT_TRUE(layout.shadow.has_value());
  EXPECT_EQ(layout.shadow->bounds, (Rect{32, 9, 194, 43}));
}

TEST(ScaledHint, At96DpiTheFiguresAreTheDesignOnes) {
  for (THintStyle style : {hsRect, hsRoundRect, hsEllipse, hsNoseRect, hsNoseRoundRect, hsNoseEllipse}) {
    for (THintPosition position : kAllPositions) {
      const Rect text{0, 0, 100, 20};
      const Rect window = CalculateDimensions(style, text, 6);
      EXPECT_EQ(CalculateDimensions(style, text, 6, 96), window);
      EXPECT_EQ(LayoutHint(style, position, {window.Width(), window.Height()}, text, 6, hssSolid, 96),
                LayoutHint(style, position, {window.Width(), window.Height()}, text, 6, hssSolid));
    }
  }
}

TEST(ScaledHint, EveryFigureGrowsWithTheScale) {
  const Rect text{0, 0, 100, 20};
  EXPECT_EQ(CalculateDimensions(hsNoseEllipse, text, 6, 192), (Rect{0, 0, 100 + 50 + 6 + 30, 20 + 10 + 6 + 30}));
  for (THintStyle style : {hsRoundRect, hsNoseRect, hsNoseRoundRect}) {
    const Rect at96 = CalculateDimensions(style, text, 6, 96);
    const Rect at192 = CalculateDimensions(style, text, 6, 192);
    // Only the figures double: the text and the depth are the same here.
    EXPECT_EQ(at192.Width() - text.Width() - 6, 2 * (at96.Width() - text.Width() - 6)) << style;
    EXPECT_EQ(at192.Height() - text.Height() - 6, 2 * (at96.Height() - text.Height() - 6)) << style;
  }
}

}  // namespace
