// The shaped hints against the real GDI: each style drawn over a known
// background and read back pixel by pixel, the 3D text passes, and the
// enabling rules of the component with two of them on two forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "components/shapehint/shape_hint.h"
#include "components/shapehint/shape_hint_window.h"
#include "components/shapehint/three_d_text.h"
#include "tests/win/win_test_support.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/hint_window.h"
#include "toolkit/forms/panel.h"

namespace {

constexpr COLORREF kBackground = RGB(200, 150, 100);
constexpr COLORREF kFill = RGB(255, 255, 0);
constexpr COLORREF kBorder = RGB(255, 0, 0);
constexpr COLORREF kShadow = RGB(27, 122, 228);

// A 32-bit top-down DIB section filled with one colour, read back directly.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill) : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_.get(), bitmap_.get());
    for (int i = 0; i < w * h; ++i) bits_[i] = ToPixel(fill);
  }
  ~Canvas() { SelectObject(dc_.get(), old_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.get(); }
  int Width() const { return w_; }
  int Height() const { return h_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // The pixels of one colour.
  std::set<std::pair<int, int>> Where(COLORREF color) const {
    std::set<std::pair<int, int>> found;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) == color) found.insert({x, y});
    return found;
  }

 private:
  static uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
  int w_, h_;
  unique_hdc dc_;
  unique_hbitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

std::wstring Hex(COLORREF c) {
  wchar_t buf[16];
  swprintf(buf, 16, L"%06lX", static_cast<unsigned long>(c));
  return buf;
}

#define EXPECT_PIXEL(canvas, x, y, color) \
  EXPECT_EQ(Hex((canvas).At(x, y)), Hex(color)) << "pixel (" << (x) << ", " << (y) << ")"

// Draw is what a hint window's look is made of, from the figures planned
// for it.
class ExposedHintWindow : public TShapeHintWindow {
 public:
  using TShapeHintWindow::Draw;
};

struct Drawn {
  std::unique_ptr<Canvas> canvas;
  RECT text;
};

// The component's look for one position, drawn over the known background
// for a text rectangle 100 × 20.
Drawn DrawLook(TShapeHint& look, THintPosition position, RECT text = {0, 0, 100, 20}) {
  ExposedHintWindow window;
  window.ActivateHintExt(RECT{400, 300, -1, -1}, L"x", &look);
  const shapehint::Rect text_rect{text.left, text.top, text.right, text.bottom};
  const shapehint::Rect size = shapehint::CalculateDimensions(look.Style(), text_rect, look.Shadow().Depth());
  const shapehint::HintLayout layout = shapehint::LayoutHint(
      look.Style(), position, {size.Width(), size.Height()}, text_rect, look.Shadow().Depth(), look.Shadow().Style());
  Drawn drawn{std::make_unique<Canvas>(size.Width(), size.Height(), kBackground),
              RECT{layout.text.left, layout.text.top, layout.text.right, layout.text.bottom}};
  window.Draw(drawn.canvas->dc(), layout);
  return drawn;
}

class ShapeHintLook : public testing::Test {
 protected:
  ShapeHintLook() : look_(nullptr) {
    look_.SetColor(kFill);
    look_.SetBorderColor(kBorder);
    look_.Shadow().SetColor(kShadow);
  }
  TShapeHint look_;
};

TEST_F(ShapeHintLook, RectangleWithSolidShadow) {
  look_.SetStyle(hsRect);
  const Drawn d = DrawLook(look_, hpAboveRight);
  const Canvas& c = *d.canvas;
  ASSERT_EQ(c.Width(), 106);
  ASSERT_EQ(c.Height(), 26);
  EXPECT_PIXEL(c, 0, 0, kBorder);
  EXPECT_PIXEL(c, 99, 19, kBorder);  // the body's last pixel
  EXPECT_PIXEL(c, 50, 10, kFill);
  EXPECT_PIXEL(c, 103, 23, kShadow);
  EXPECT_PIXEL(c, 7, 23, kShadow);
  EXPECT_PIXEL(c, 105, 0, kBackground);  // beside the body, above the shadow: the screen
  EXPECT_PIXEL(c, 0, 25, kBackground);
  EXPECT_EQ(d.text.left, 3);
  EXPECT_EQ(d.text.top, 3);
  EXPECT_EQ(d.text.right, 103);
  EXPECT_EQ(d.text.bottom, 23);
}

TEST_F(ShapeHintLook, NoShadowLeavesItsRoomShowingTheScreen) {
  look_.SetStyle(hsRect);
  look_.Shadow().SetStyle(hssNone);
  const Drawn d = DrawLook(look_, hpAboveRight);
  ASSERT_EQ(d.canvas->Width(), 106) << "the room is reserved all the same";
  for (int x = 100; x < 106; ++x) EXPECT_PIXEL(*d.canvas, x, 23, kBackground);
  for (int y = 20; y < 26; ++y) EXPECT_PIXEL(*d.canvas, 50, y, kBackground);
  EXPECT_PIXEL(*d.canvas, 99, 19, kBorder);
}

TEST_F(ShapeHintLook, TracingShadowMasksEverySecondPixel) {
  look_.SetStyle(hsRect);
  look_.Shadow().SetStyle(hssTracing);
  const Drawn d = DrawLook(look_, hpAboveRight);
  const COLORREF masked = kBackground & kShadow;
  for (int x = 100; x < 105; ++x) {
    const int y = 23;
    EXPECT_PIXEL(*d.canvas, x, y, (x + y) % 2 ? masked : kBackground);
  }
  EXPECT_PIXEL(*d.canvas, 50, 10, kFill) << "the body is solid";
}

TEST_F(ShapeHintLook, NoseRoundRectAboveRightOfThePointer) {
  const Drawn d = DrawLook(look_, hpAboveRight);  // the defaults: hsNoseRoundRect, depth 6
  const Canvas& c = *d.canvas;
  ASSERT_EQ(c.Width(), 129);
  ASSERT_EQ(c.Height(), 44);
  EXPECT_EQ(d.text.left, 19);
  EXPECT_EQ(d.text.top, 4);
  EXPECT_EQ(d.text.right, 119);
  EXPECT_EQ(d.text.bottom, 24);
  EXPECT_PIXEL(c, 60, 10, kFill);
  EXPECT_PIXEL(c, 60, 0, kBorder);
  EXPECT_PIXEL(c, 100, 22, kBorder);  // the body's bottom edge
  EXPECT_PIXEL(c, 40, 22, kFill);     // where the nose joins, the edge is taken away
  EXPECT_PIXEL(c, 5, 36, kFill);      // inside the nose, near its tip at (0, 38)
  EXPECT_PIXEL(c, 1, 30, kBackground);
  EXPECT_PIXEL(c, 5, 42, kShadow);    // the nose's shadow, tip at (0, 44)
  EXPECT_PIXEL(c, 128, 0, kBackground);
}

TEST_F(ShapeHintLook, NoseRectBelowRightCastsNoNoseShadow) {
  look_.SetStyle(hsNoseRect);
  const Drawn d = DrawLook(look_, hpBelowRight);
  const Canvas& c = *d.canvas;
  EXPECT_EQ(d.text.left, 19);
  EXPECT_EQ(d.text.top, 19);
  EXPECT_PIXEL(c, 25, 10, kFill);         // inside the nose pointing at the top-left corner
  EXPECT_PIXEL(c, 16, 12, kBackground);   // where a nose shadow would lie
  EXPECT_PIXEL(c, c.Width() - 3, c.Height() - 3, kShadow);
}

TEST_F(ShapeHintLook, NoseEllipseBelowRightPointsAtTheTopLeftPixel) {
  look_.SetStyle(hsNoseEllipse);
  const Drawn d = DrawLook(look_, hpBelowRight);
  const Canvas& c = *d.canvas;
  EXPECT_PIXEL(c, 0, 0, kBorder);
  EXPECT_PIXEL(c, c.Width() / 2, c.Height() / 2, kFill);
  EXPECT_PIXEL(c, c.Width() - 1, 0, kBackground);
}

TEST_F(ShapeHintLook, EllipseAndRoundRectLeaveTheCornersToTheScreen) {
  for (THintStyle style : {hsEllipse, hsRoundRect}) {
    look_.SetStyle(style);
    const Drawn d = DrawLook(look_, hpAboveRight);
    const Canvas& c = *d.canvas;
    SCOPED_TRACE(style);
    EXPECT_PIXEL(c, 0, 0, kBackground);
    EXPECT_PIXEL(c, c.Width() / 2, c.Height() / 2 - 6, kFill);
    EXPECT_PIXEL(c, c.Width() / 2, 0, kBorder);
  }
}

TEST(BrushBitmap, IsACheckerboardOfTheColourAndWhite) {
  HBITMAP first = GetBrushBitmap(kShadow);
  EXPECT_EQ(GetBrushBitmap(kShadow), first) << "kept while the colour stays";
  Canvas c(8, 8, RGB(0, 0, 0));
  unique_hdc source(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(source.get(), GetBrushBitmap(clRed));
  BitBlt(c.dc(), 0, 0, 8, 8, source.get(), 0, 0, SRCCOPY);
  SelectObject(source.get(), old);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_PIXEL(c, x, y, (x + y) % 2 ? RGB(255, 0, 0) : RGB(255, 255, 255));
}

// ------------------------------------------------------------ 3D text passes

constexpr COLORREF kText = RGB(0, 0, 255);
constexpr COLORREF kLight = RGB(0, 255, 0);
constexpr COLORREF kDark = RGB(255, 0, 255);

// A big font without smoothing, so that every pixel is one colour or another.
unique_hfont BigFont() {
  LOGFONTW lf{};
  lf.lfHeight = -60;
  lf.lfWeight = FW_BOLD;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  wcscpy(lf.lfFaceName, L"Tahoma");
  return unique_hfont(CreateFontIndirectW(&lf));
}

// The text drawn with an effect on white, with the passes' colours fixed.
std::unique_ptr<Canvas> DrawnText(const wchar_t* text, TThreeDStyle style, int light, int shadow,
                                  TThreeDOrientation orientation = toTopLeft) {
  auto c = std::make_unique<Canvas>(120, 100, RGB(255, 255, 255));
  unique_hfont font = BigFont();
  select_object keep(c->dc(), font.get());
  T3DCaption effect;
  effect.SetStyle(style);
  effect.SetLightDepth(static_cast<uint8_t>(light));
  effect.SetShadowDepth(static_cast<uint8_t>(shadow));
  effect.SetLightColor(static_cast<TColor>(kLight));
  effect.SetShadowColor(static_cast<TColor>(kDark));
  effect.SetOrientation(orientation);
  DrawText3D(c->dc(), text, &effect, RECT{10, 10, 110, 95}, DT_WORDBREAK | DT_NOPREFIX, DrawTextStyles(dtEnabled),
             nullptr, {static_cast<TColor>(kText), clWhite});
  return c;
}

std::set<std::pair<int, int>> Moved(const std::set<std::pair<int, int>>& pixels, int dx, int dy) {
  std::set<std::pair<int, int>> moved;
  for (auto [x, y] : pixels) moved.insert({x + dx, y + dy});
  return moved;
}

std::set<std::pair<int, int>> Union(std::set<std::pair<int, int>> a, const std::set<std::pair<int, int>>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

std::set<std::pair<int, int>> Minus(std::set<std::pair<int, int>> a, const std::set<std::pair<int, int>>& b) {
  for (const auto& p : b) a.erase(p);
  return a;
}

class ThreeDText : public testing::Test {
 protected:
  void SetUp() override {
    plain_ = DrawnText(L"H", tdNone, 1, 1)->Where(kText);
    ASSERT_GT(plain_.size(), 100u) << "the plain letter is drawn";
  }
  std::set<std::pair<int, int>> plain_;
};

TEST_F(ThreeDText, OutlineLettersAreHollow) {
  const auto outline = DrawnText(L"H", tdOutline, 1, 1);
  // A quarter of the way down the letter, through the left stem only: the
  // plain letter is one solid run there, the outlined one its two edges
  // with the paper between.
  int top = 1000, bottom = -1;
  for (auto [x, y] : plain_) {
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  const int row = top + (bottom - top) / 4;
  int left = 1000;
  for (auto [x, y] : plain_)
    if (y == row) left = std::min(left, x);
  int right = left;
  while (plain_.count({right + 1, row})) ++right;
  ASSERT_GT(right - left, 4) << "a stem wider than its edges";
  // The pen runs along the glyph's edge, on its first pixel or just outside.
  EXPECT_TRUE(outline->At(left - 1, row) == kText || outline->At(left, row) == kText);
  EXPECT_TRUE(outline->At(right + 1, row) == kText || outline->At(right, row) == kText);
  for (int x = left + 1; x <= right - 1; ++x)
    EXPECT_NE(outline->At(x, row), kText) << "inside the stem at x " << x << " stays paper";
}

TEST_F(ThreeDText, SunkenPutsTheLightThreePixelsDownRight) {
  const auto sunken = DrawnText(L"H", tdSunken, 3, 1);
  EXPECT_EQ(sunken->Where(kText), plain_);
  EXPECT_EQ(sunken->Where(kLight), Minus(Moved(plain_, 3, 3), plain_));
}

TEST_F(ThreeDText, ExtrudeBottomRightLayersThenTheText) {
  const auto extruded = DrawnText(L"H", tdExtrude, 1, 3, toBottomRight);
  const auto text = Moved(plain_, 1, 1);
  EXPECT_EQ(extruded->Where(kText), text);
  EXPECT_EQ(extruded->Where(kDark), Minus(Union(Moved(plain_, 3, 3), Moved(plain_, 2, 2)), text));
}

TEST_F(ThreeDText, ExtrudeWithoutDepthDrawsTheTextOnce) {
  const auto extruded = DrawnText(L"H", tdExtrude, 1, 0, toBottomRight);
  EXPECT_EQ(extruded->Where(kText), Moved(plain_, 1, 1)) << "the start offset is depth + 1";
  EXPECT_TRUE(extruded->Where(kDark).empty());
}

TEST(ThreeDMeasure, OutlineAddsItsDepthAndTheBorderAddsSix) {
  TFont font;
  font.Set(L"Tahoma", -14, fsBold);
  T3DCaption plain, outline;
  outline.SetStyle(tdOutline);
  const RECT bare = DrawTextCalc(L"Hint", nullptr, RECT{0, 0, 300, 0}, font, true, false, 0, 0);
  const RECT a = DrawTextCalc(L"Hint", &plain, RECT{0, 0, 300, 0}, font, true, false, 2, 0);
  const RECT b = DrawTextCalc(L"Hint", &outline, RECT{0, 0, 300, 0}, font, true, false, 2, 0);
  EXPECT_EQ(a.right, bare.right + 4);  // a border of 2 adds 6, one of 0 adds 2
  EXPECT_EQ(b.right, a.right + 1);
  EXPECT_EQ(b.bottom, a.bottom + 1);
}

TEST(ThreeDMeasure, AnAmpersandIsASpaceOnlyWhenItMarksAccelerators) {
  TFont font;
  font.Set(L"Tahoma", -40, 0);
  const RECT space = DrawTextCalc(L" ", nullptr, RECT{0, 0, 300, 0}, font, false, false, 0, 0);
  const RECT accel = DrawTextCalc(L"&", nullptr, RECT{0, 0, 300, 0}, font, false, true, 0, 0);
  const RECT literal = DrawTextCalc(L"&", nullptr, RECT{0, 0, 300, 0}, font, false, false, 0, 0);
  const RECT empty = DrawTextCalc(L"", nullptr, RECT{0, 0, 300, 0}, font, false, false, 0, 0);
  EXPECT_EQ(accel.right, space.right);
  EXPECT_EQ(empty.right, space.right);
  EXPECT_GT(literal.right, space.right);
  EXPECT_GT(space.bottom, 0);
}

}  // namespace
