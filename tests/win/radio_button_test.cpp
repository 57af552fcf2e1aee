// Radio buttons, group boxes and radio groups against the real Win32 API:
// the group rule (by parent), the user's clicks, and what they look like.
#include <gtest/gtest.h>

#include <map>

#include "tests/win/win_test_support.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/group_box.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/radio_button.h"
#include "toolkit/forms/radio_group.h"

namespace {

class RadioForm : public TForm {
 public:
  explicit RadioForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(40, 40, 400, 200);
    SetColor(clBtnFace);
    Panel = new TPanel(this);
    Panel->SetParent(this);
    Panel->SetBounds(0, 0, 200, 200);
    Panel->SetColor(clGreen);
    Group = new TGroupBox(this);
    Group->SetParent(this);
    Group->SetBounds(200, 0, 200, 200);
    Group->SetCaption(L"Group");
    for (int i = 0; i < 3; ++i) {
      A[i] = Radio(Panel, 10, 10 + 30 * i);
      B[i] = Radio(Group, 10, 30 + 30 * i);
    }
    FinishConstruction();
  }
  const wchar_t* ClassName() const override { return L"TKelvoraRadioTestForm"; }

  TRadioButton* Radio(TWinControl* parent, int x, int y) {
    auto* r = new TRadioButton(this);
    r->SetParent(parent);
    r->SetBounds(x, y, 150, 17);
    r->SetCaption(L"选项");
    r->OnClick = [this](TComponent* s) { ++clicks[s]; };
    return r;
  }

  TPanel* Panel;
  TGroupBox* Group;
  TRadioButton* A[3];
  TRadioButton* B[3];
  std::map<TComponent*, int> clicks;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A user's click with the mouse, as the system delivers it to the button.
void MouseClick(TRadioButton* r, int x = 5, int y = 8) {
  SendMessageW(r->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  SendMessageW(r->Handle(), WM_LBUTTONUP, 0, At(x, y));
}

class RadioButtonTest : public testing::Test {
 protected:
  void SetUp() override { form = new RadioForm(Application); }
  void TearDown() override {
    delete form;
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  bool CheckedBySystemQuery(TRadioButton* r) { return SendMessageW(r->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  RadioForm* form = nullptr;
};

TEST_F(RadioButtonTest, ButtonsStartUnchecked) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(form->A[i]->Checked());
    EXPECT_FALSE(CheckedBySystemQuery(form->A[i]));
  }
}

TEST_F(RadioButtonTest, CheckingUnchecksTheSiblingsAndRaisesOnClickOnce) {
  form->A[0]->SetChecked(true);
  EXPECT_TRUE(form->A[0]->Checked());
  EXPECT_TRUE(CheckedBySystemQuery(form->A[0]));
  EXPECT_EQ(form->clicks[form->A[0]], 1);
  form->A[2]->SetChecked(true);
  EXPECT_FALSE(form->A[0]->Checked());
  EXPECT_FALSE(CheckedBySystemQuery(form->A[0]));
  EXPECT_FALSE(form->A[1]->Checked());
  EXPECT_TRUE(form->A[2]->Checked());
  EXPECT_EQ(form->clicks[form->A[2]], 1);
  EXPECT_EQ(form->clicks[form->A[0]], 1) << "being unchecked raises nothing";
  EXPECT_EQ(form->clicks[form->A[1]], 0);
}

TEST_F(RadioButtonTest, TheSiblingsAreUncheckedBeforeOnClickRuns) {
  form->A[1]->SetChecked(true);
  bool others_clear = false;
  form->A[0]->OnClick = [&](TComponent*) { others_clear = !form->A[1]->Checked() && !form->A[2]->Checked(); };
  form->A[0]->SetChecked(true);
  EXPECT_TRUE(others_clear);
}

TEST_F(RadioButtonTest, SettingTheCurrentStateDoesNothing) {
  form->A[1]->SetChecked(false);
  EXPECT_FALSE(form->A[1]->Checked());
  EXPECT_EQ(form->clicks[form->A[1]], 0);
  form->A[1]->SetChecked(true);
  form->A[1]->SetChecked(true);
  EXPECT_EQ(form->clicks[form->A[1]], 1);
  form->A[1]->SetChecked(false);
  EXPECT_FALSE(form->A[1]->Checked());
  EXPECT_EQ(form->clicks[form->A[1]], 1) << "unchecking raises nothing";
}

TEST_F(RadioButtonTest, AMouseClickChecksAnUncheckedButtonOnceAndNothingMoreAfterwards) {
  form->A[0]->SetChecked(true);
  MouseClick(form->A[1]);
  EXPECT_TRUE(form->A[1]->Checked());
  EXPECT_FALSE(form->A[0]->Checked());
  EXPECT_EQ(form->clicks[form->A[1]], 1);
  MouseClick(form->A[1]);
  MouseClick(form->A[1]);
  EXPECT_TRUE(form->A[1]->Checked());
  EXPECT_EQ(form->clicks[form->A[1]], 1) << "a click on the checked button raises nothing";
}

TEST_F(RadioButtonTest, ButtonClickMessagesActAsAUsersClick) {
  SendMessageW(form->A[2]->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form->A[2]->Checked());
  EXPECT_EQ(form->clicks[form->A[2]], 1);
  SendMessageW(form->A[2]->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->clicks[form->A[2]], 1);
}

TEST_F(RadioButtonTest, APressReleasedAwayFromTheButtonIsNoClick) {
  SendMessageW(form->A[0]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 8));
  SendMessageW(form->A[0]->Handle(), WM_LBUTTONUP, 0, At(300, 8));
  EXPECT_FALSE(form->A[0]->Checked());
  EXPECT_EQ(form->clicks[form->A[0]], 0);
}

TEST_F(RadioButtonTest, ButtonsOfDifferentParentsAreIndependentGroups) {
  form->A[0]->SetChecked(true);
  form->B[1]->SetChecked(true);
  EXPECT_TRUE(form->A[0]->Checked()) << "the group box's buttons are a group of their own";
  EXPECT_TRUE(form->B[1]->Checked());
  MouseClick(form->B[2]);
  EXPECT_TRUE(form->A[0]->Checked());
  EXPECT_FALSE(form->B[1]->Checked());
  EXPECT_TRUE(form->B[2]->Checked());
  form->A[1]->SetChecked(true);
  EXPECT_TRUE(form->B[2]->Checked());
  EXPECT_EQ(form->clicks[form->A[0]], 1);
  EXPECT_EQ(form->clicks[form->B[1]], 1);
  EXPECT_EQ(form->clicks[form->B[2]], 1);
  EXPECT_EQ(form->clicks[form->A[1]], 1);
}

TEST_F(RadioButtonTest, AnErrorInOnClickLeavesTheButtonChecked) {
  form->A[0]->SetChecked(true);
  form->A[1]->OnClick = [](TComponent*) { throw Exception(L"refused"); };
  EXPECT_THROW(form->A[1]->SetChecked(true), Exception);
  EXPECT_TRUE(form->A[1]->Checked());
  EXPECT_FALSE(form->A[0]->Checked());
}

TEST_F(RadioButtonTest, GroupBoxesAndRadioGroupsAreWindowsOfTheirOwnClass) {
  wchar_t name[64] = {};
  GetClassNameW(form->Group->Handle(), name, 64);
  EXPECT_STREQ(name, L"TGroupBox");
  GetClassNameW(form->A[0]->Handle(), name, 64);
  EXPECT_STREQ(name, L"TRadioButton");
  TRadioGroup group(nullptr);
  group.SetParent(form->Panel);
  GetClassNameW(group.Handle(), name, 64);
  EXPECT_STREQ(name, L"TRadioGroup");
  EXPECT_EQ(GetParent(group.Handle()), form->Panel->Handle());
  EXPECT_EQ(GetParent(form->B[0]->Handle()), form->Group->Handle());
}

// What the screen shows at a point of a window's client area.
COLORREF ScreenPixel(HWND w, int x, int y) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// Whether some pixel of the client rectangle `r` shows `colour`.
bool Shows(HWND w, const RECT& r, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  bool found = false;
  for (int y = r.top; y < r.bottom && !found; ++y) {
    for (int x = r.left; x < r.right && !found; ++x) {
      POINT p{x, y};
      ClientToScreen(w, &p);
      found = GetPixel(screen, p.x, p.y) == colour;
    }
  }
  ReleaseDC(nullptr, screen);
  return found;
}

TEST_F(RadioButtonTest, TheLookIsTheSystemGlyphAndTheCaptionInTheControlsFontColour) {
  TRadioButton* r = form->A[0];
  r->SetColor(clGreen);
  r->Font().SetColor(clRed);
  form->Group->Font().SetColor(clLime);
  form->Group->SetColor(clBlue);
  form->Show();
  SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PumpFor(300);
  HWND w = r->Handle();
  const COLORREF green = RGB(0, 128, 0), red = RGB(255, 0, 0), white = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(ScreenPixel(w, 149, 1), green) << "the control's own colour behind";
  EXPECT_TRUE(Shows(w, {0, 2, 13, 15}, white)) << "the glyph's well";
  EXPECT_TRUE(Shows(w, {17, 0, 60, 17}, red)) << "the caption";
  EXPECT_FALSE(Shows(w, {0, 0, 13, 17}, red));
  // Checked, the glyph shows its dot in the window-text colour.
  const COLORREF dot = GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_FALSE(Shows(w, {5, 7, 8, 10}, dot));
  r->SetChecked(true);
  PumpFor(200);
  EXPECT_TRUE(Shows(w, {5, 7, 8, 10}, dot));
  // The group box caption in its font colour on its own colour, the frame
  // below it.
  HWND g = form->Group->Handle();
  EXPECT_TRUE(Shows(g, {8, 0, 60, 14}, RGB(0, 255, 0)));
  EXPECT_EQ(ScreenPixel(g, 180, 150), RGB(0, 0, 255));
  EXPECT_TRUE(Shows(g, {100, 2, 101, 10}, GetSysColor(COLOR_BTNSHADOW))) << "the frame's top edge";
}

}  // namespace
