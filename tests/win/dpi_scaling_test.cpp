// Layouts at 120, 144 and 192 dpi: a form laid out in 96-dpi pixels made at
// another scale, and one moved to a monitor of another scale.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/win/win_test_support.h"
#include "toolkit/core/dpi_scale.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/image_list.h"
#include "toolkit/forms/label.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/popup_menu.h"
#include "toolkit/forms/radio_button.h"

namespace {

// A banner-like layout: a borderless 535 × 137 form, a bevelled panel with a
// label, a corner icon and a layout picture, and a radio button.
class LayoutForm : public TForm {
 public:
  // Made at `dpi` as the program makes a form on a monitor of that scale.
  explicit LayoutForm(int dpi) : TForm(Application) {
    SetBorderStyle(TBorderStyle::bsNone);
    SetClientWidth(535);
    SetClientHeight(137);
    panel = new TPanel(this);
    panel->SetParent(this);
    panel->SetBounds(152, 8, 233, 121);
    panel->SetBevelWidth(2);
    label = new TLabel(this);
    label->SetParent(panel);
    label->SetBounds(77, 104, 120, 14);
    label->Font().Set(L"Tahoma", -14, fsBold);
    corner = new TImage(this);
    corner->SetParent(this);
    corner->SetBounds(3, 3, 17, 17);
    corner->Picture().LoadIconResource(IDI_CORNER, 16);
    picture = new TImage(this);
    picture->SetParent(panel);
    picture->SetBounds(8, 8, 81, 81);
    picture->Picture().LoadMetafileResource(IDR_DONE_PICTURE);
    radio = new TRadioButton(this);
    radio->SetParent(this);
    radio->SetBounds(400, 40, 113, 17);
    icons = new TImageList(this);
    icons->AddIconResource(IDI_CORNER);
    // Made at the given scale rather than the test monitor's, and from
    // then on following its monitor as any form does.
    SetScaled(false);
    ChangeScale(dpi);
    FinishConstruction();
    SetScaled(true);
  }
  TPanel* panel;
  TLabel* label;
  TImage* corner;
  TImage* picture;
  TRadioButton* radio;
  TImageList* icons;
};

RECT WindowRect(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return r;
}

void ExpectLaidOutFor(LayoutForm& f, int dpi) {
  SCOPED_TRACE(dpi);
  const auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  EXPECT_EQ(f.ClientWidth(), s(535));
  EXPECT_EQ(f.ClientHeight(), s(137));
  EXPECT_EQ(f.panel->Left(), s(152));
  EXPECT_EQ(f.panel->Top(), s(8));
  EXPECT_EQ(f.panel->Width(), s(233));
  EXPECT_EQ(f.panel->Height(), s(121));
  EXPECT_EQ(f.panel->BevelWidth(), s(2));
  RECT panel_rect = WindowRect(f.panel->Handle());
  EXPECT_EQ(panel_rect.right - panel_rect.left, s(233)) << "the child window itself";
  EXPECT_EQ(f.label->Left(), s(77));
  EXPECT_EQ(f.label->Font().Height(), s(-14));
  EXPECT_EQ(f.radio->Width(), s(113));
  EXPECT_EQ(f.corner->Picture().Width(), s(16)) << "the icon taken at its scaled size";
  EXPECT_EQ(f.picture->Picture().Width(), s(78)) << "the done picture is 814 units at 1000 per inch";
  EXPECT_EQ(f.icons->Width(), s(16));
}

TEST(DpiScaling, AFormMadeAtAScaleIsLaidOutForIt) {
  for (int dpi : {96, 120, 144, 192}) {
    LayoutForm form(dpi);
    ExpectLaidOutFor(form, dpi);
  }
  // The rounding everywhere: halves away from zero.
  LayoutForm at144(144);
  EXPECT_EQ(at144.ClientWidth(), 803);
  EXPECT_EQ(at144.ClientHeight(), 206);
}

TEST(DpiScaling, AFormMovedToAnotherMonitorTakesTheSuggestedRectangle) {
  LayoutForm form(96);
  HWND wnd = form.Handle();
  for (int dpi : {192, 144, 96}) {
    RECT suggested{40, 30, 40 + ScaleForDpi(535, dpi), 30 + ScaleForDpi(137, dpi)};
    SendMessageW(wnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT now = WindowRect(wnd);
    EXPECT_EQ(now.left, 40);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    EXPECT_EQ(form.Dpi(), dpi);
    ExpectLaidOutFor(form, dpi);
  }
}

TEST(DpiScaling, AFormThatIsNotScaledKeepsItsPixels) {
  TForm form(Application);
  form.SetScaled(false);
  form.SetBounds(0, 0, 300, 200);
  RECT suggested{0, 0, 600, 400};
  SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.Dpi(), 96);
}

TEST(DpiScaling, MenuGlyphsAreShownAtTheScaledSizeAndKeepTheirTransparency) {
  TMenuItem item(nullptr);
  item.SetBitmapResource(IDB_VIEWER_SAVE);
  const auto size_and_corner = [](HBITMAP bitmap) {
    DIBSECTION dib{};
    GetObjectW(bitmap, sizeof(dib), &dib);
    const auto* px = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    return std::make_pair(dib.dsBm.bmWidth, px ? px[0] : 0xDEADu);
  };
  const auto [width96, corner96] = size_and_corner(item.Bitmap(96));
  for (int dpi : {120, 144, 192}) {
    const auto [width, corner] = size_and_corner(item.Bitmap(dpi));
    EXPECT_EQ(width, ScaleForDpi(width96, dpi)) << dpi;
    EXPECT_EQ(corner, corner96) << dpi;
  }
  EXPECT_EQ(item.Bitmap(96), item.Bitmap()) << "at 96 dpi the glyph as it is";
}

}  // namespace
