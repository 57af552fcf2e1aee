// The keyboard in the program's windows, as a Windows dialog answers it:
// the settings window's tab order and tab stops, its arrow keys storing each
// choice, Space, the focus a form takes when it is shown, the focus
// rectangle following the keyboard cues, and keys left alone where a form
// has nothing to move between. Keys are posted to the focused window and go
// through the program's own message loop, as the system's would.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/win/settings_fixture.h"
#include "toolkit/forms/panel.h"

namespace {

using namespace settings_fixture;

std::optional<DWORD> StoredTime() {
  const auto v = machine_registry::Read(kStudio, kTime);
  if (!v) return std::nullopt;
  return v->Dword();
}

bool AutostartStored() { return machine_registry::Read(kRun, kAutostart).has_value(); }

class SettingsKeysTest : public SettingsTest {
 protected:
  HWND Focus() const { return GetFocus(); }
};

TEST_F(SettingsKeysTest, TheLayoutsTabOrderAndTheFormsWalkThroughIt) {
  Open();
  // The places the layout gives, in the panel that fills the window.
  EXPECT_EQ(form->GroupBox1->TabOrder(), 0);
  EXPECT_EQ(form->RadioGroup1->TabOrder(), 1);
  EXPECT_EQ(form->RadioButton1->TabOrder(), 2);
  EXPECT_EQ(form->RadioButton2->TabOrder(), 3);
  EXPECT_EQ(form->Panel2->TabOrder(), 4);
  EXPECT_EQ(form->RadioButton3->TabOrder(), 0);
  EXPECT_EQ(form->RadioButton5->TabOrder(), 2);
  const std::vector<TWinControl*> expected{form->GroupBox1,   form->RadioButton3, form->RadioButton4,
                                           form->RadioButton5, form->RadioGroup1,  form->RadioButton1,
                                           form->RadioButton2, form->Panel2};
  EXPECT_EQ(form->Panel1->TabOrderList(), expected);

  // First run: "do not start" checked, no display time. The walk has two
  // stops, one a group, and comes round in either direction.
  EXPECT_EQ(Focus(), form->RadioButton3->Handle()) << "the first tab stop";
  Press(VK_TAB);
  EXPECT_EQ(Focus(), form->RadioButton2->Handle());
  Press(VK_TAB);
  EXPECT_EQ(Focus(), form->RadioButton3->Handle());
  Press(VK_TAB, true);
  EXPECT_EQ(Focus(), form->RadioButton2->Handle());
  Press(VK_TAB, true);
  EXPECT_EQ(Focus(), form->RadioButton3->Handle());
  EXPECT_FALSE(StoredTime()) << "moving the focus chooses nothing";
  EXPECT_FALSE(AutostartStored());
}

TEST_F(SettingsKeysTest, ArrowsMoveThroughEachGroupCheckingAndStoringAtOnce) {
  Open();
  Press(VK_DOWN);
  EXPECT_TRUE(form->RadioButton4->Checked());
  EXPECT_EQ(Focus(), form->RadioButton4->Handle());
  EXPECT_EQ(StoredTime(), 30000u);
  Press(VK_RIGHT);
  EXPECT_EQ(StoredTime(), 300000u);
  Press(VK_DOWN);  // round to the first
  EXPECT_EQ(StoredTime(), 3000u);
  EXPECT_TRUE(form->RadioButton3->Checked());
  EXPECT_FALSE(form->RadioButton5->Checked());
  Press(VK_UP);  // and back round to the last
  EXPECT_EQ(StoredTime(), 300000u);
  Press(VK_LEFT);
  EXPECT_EQ(StoredTime(), 30000u);
  EXPECT_EQ(Focus(), form->RadioButton4->Handle());

  // The autostart group: its own buttons only.
  Press(VK_TAB);
  EXPECT_EQ(Focus(), form->RadioButton2->Handle());
  Press(VK_UP);
  EXPECT_TRUE(form->RadioButton1->Checked());
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Text(), Quoted(RunningProgram()));
  Press(VK_DOWN);
  EXPECT_TRUE(form->RadioButton2->Checked());
  EXPECT_FALSE(AutostartStored());
  EXPECT_EQ(StoredTime(), 30000u) << "the other group is untouched";
  EXPECT_TRUE(form->RadioButton4->Checked());
}

TEST_F(SettingsKeysTest, OnlyTheCheckedButtonOfAGroupIsATabStopOrTheFirstWhileNoneIs) {
  Open();
  EXPECT_TRUE(form->RadioButton3->TabStop());
  EXPECT_FALSE(form->RadioButton4->TabStop());
  EXPECT_FALSE(form->RadioButton5->TabStop());
  EXPECT_FALSE(form->RadioButton1->TabStop());
  EXPECT_TRUE(form->RadioButton2->TabStop()) << "checked by the show handler";
  form->RadioButton5->SetChecked(true);
  EXPECT_FALSE(form->RadioButton3->TabStop());
  EXPECT_TRUE(form->RadioButton5->TabStop());
  form->RadioButton5->SetChecked(false);
  EXPECT_TRUE(form->RadioButton3->TabStop());
  // Containers are no stops of their own.
  for (TWinControl* c : {static_cast<TWinControl*>(form->GroupBox1), static_cast<TWinControl*>(form->RadioGroup1),
                         static_cast<TWinControl*>(form->Panel1), static_cast<TWinControl*>(form->Panel2)})
    EXPECT_FALSE(c->TabStop());
}

TEST_F(SettingsKeysTest, AShownFormTakesTheFocusOnItsFirstTabStopTheCheckedTime) {
  machine_registry::WriteDword(kStudio, kTime, 300000);
  Open();
  EXPECT_EQ(Focus(), form->RadioButton5->Handle());
  EXPECT_EQ(form->ActiveControl(), form->RadioButton5);
  Press(VK_TAB);
  EXPECT_EQ(Focus(), form->RadioButton2->Handle());
}

TEST_F(SettingsKeysTest, SpaceChecksTheFocusedButton) {
  Open();
  form->RadioButton4->SetFocus();
  Press(VK_SPACE);
  EXPECT_TRUE(form->RadioButton4->Checked());
  EXPECT_EQ(StoredTime(), 30000u);
}

// The button's pixels as it paints them now.
std::vector<COLORREF> Look(TWinControl* c) {
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT r;
  GetClientRect(c->Handle(), &r);
  std::vector<COLORREF> pixels;
  HDC dc = GetDC(c->Handle());
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(c->Handle(), dc);
  return pixels;
}

TEST_F(SettingsKeysTest, TheFocusRectangleFollowsTheKeyboardCues) {
  BOOL cues_before = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues_before, 0);

  // Cues off: the focused button looks like any other until the keyboard
  // is used in the window.
  SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(FALSE), 0);
  Open();
  ASSERT_EQ(GetFocus(), form->RadioButton3->Handle());
  EXPECT_FALSE(form->RadioButton3->FocusCuesShown());
  const auto focused_hidden = Look(form->RadioButton3);
  Press(VK_TAB);
  EXPECT_TRUE(form->RadioButton2->FocusCuesShown());
  const auto unfocused = Look(form->RadioButton3);
  Press(VK_TAB, true);
  ASSERT_EQ(GetFocus(), form->RadioButton3->Handle());
  const auto focused_shown = Look(form->RadioButton3);
  EXPECT_EQ(focused_hidden, unfocused);
  EXPECT_NE(focused_shown, unfocused) << "the focus rectangle, once the keyboard was used";
  form->Close();
  PumpFor(50);

  // Cues on: shown from the start.
  SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(TRUE), 0);
  Open();
  ASSERT_EQ(GetFocus(), form->RadioButton3->Handle());
  EXPECT_EQ(Look(form->RadioButton3), focused_shown);
  SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(cues_before)), 0);
}

// A box that keeps the keys that reach its window.
class KeyBox : public TPanel {
 public:
  using TPanel::TPanel;
  std::vector<WPARAM> keys;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_KEYDOWN) keys.push_back(wp);
    return TPanel::WndProc(msg, wp, lp);
  }
};

// A form of containers inside containers and no radio buttons: the walk
// goes through a container's children in their own order.
class NestedForm : public TForm {
 public:
  explicit NestedForm(TComponent* owner) : TForm(owner) {
    SetBounds(0, 0, 300, 200);
    outer = Box(this, true);
    inner = Box(outer, false);
    first = Box(inner, true);
    second = Box(inner, true);
    last = Box(this, true);
    hidden = Box(this, true);
    hidden->SetVisible(false);
    // Made in another order than they are walked.
    last->SetTabOrder(0);
    FinishConstruction();
  }
  const wchar_t* ClassName() const override { return L"TKelvoraNestedKeysForm"; }
  KeyBox* Box(TWinControl* parent, bool stop) {
    auto* p = new KeyBox(this);
    p->SetParent(parent);
    p->SetBounds(0, 0, 50, 50);
    p->SetTabStop(stop);
    return p;
  }
  KeyBox *outer, *inner, *first, *second, *last, *hidden;
};

class DialogKeysTest : public testing::Test {
 protected:
  void SetUp() override { form = new NestedForm(Application); }
  void TearDown() override {
    delete form;
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  void NoTabStops() {
    for (TPanel* p : {form->outer, form->first, form->second, form->last, form->hidden}) p->SetTabStop(false);
  }
  NestedForm* form = nullptr;
};

TEST_F(DialogKeysTest, TabGoesThroughContainersInTheirOwnOrderSkippingWhatCannotTakeTheFocus) {
  form->Show();
  EXPECT_EQ(GetFocus(), form->last->Handle());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), form->outer->Handle());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), form->first->Handle()) << "the inner box is no stop; its children are";
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), form->second->Handle());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), form->last->Handle()) << "the hidden box is skipped";
  form->first->SetEnabled(false);
  Press(VK_TAB);
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), form->second->Handle()) << "a disabled box is skipped";
  // Ctrl+Tab and arrows on a control that has no group are not the form's.
  EXPECT_FALSE(form->DialogKey(VK_TAB, ssCtrl));
  EXPECT_FALSE(form->DialogKey(VK_DOWN, 0));
}

TEST_F(DialogKeysTest, AKeyTheFormUsesNeverReachesTheFocusedControlAndOneItLeavesDoes) {
  form->Show();
  ASSERT_EQ(GetFocus(), form->last->Handle());
  PostMessageW(form->last->Handle(), WM_KEYDOWN, VK_F5, 1);
  PostMessageW(form->last->Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  EXPECT_EQ(form->last->keys, std::vector<WPARAM>{VK_F5});
  EXPECT_EQ(GetFocus(), form->outer->Handle()) << "Tab was the form's";
}

TEST_F(DialogKeysTest, AFormWithoutTabStopsTakesTheFocusItselfAndLeavesItsKeysAlone) {
  NoTabStops();
  form->Show();
  EXPECT_EQ(GetFocus(), form->Handle());
  for (WPARAM key : {VK_TAB, VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT}) EXPECT_FALSE(form->DialogKey(key, 0));
}

TEST_F(DialogKeysTest, AFormFocusedWhileHiddenIsGivenTheFocusAgainWhenShown) {
  // The tray icon brings the last active form, hidden, to the foreground
  // before its menu; the form shown next must still get a change of focus,
  // which is what moves the display's keyboard focus to its window.
  NoTabStops();
  form->Show();
  form->Hide();
  SetForegroundWindow(form->Handle());
  ASSERT_EQ(GetFocus(), form->Handle());
  std::vector<UINT> seen;
  struct Spy {
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m == WM_SETFOCUS) (*reinterpret_cast<std::vector<UINT>*>(GetPropW(w, L"spy"))).push_back(m);
      return CallWindowProcW(reinterpret_cast<WNDPROC>(GetPropW(w, L"old")), w, m, wp, lp);
    }
  };
  SetPropW(form->Handle(), L"spy", &seen);
  SetPropW(form->Handle(), L"old",
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(form->Handle(), GWLP_WNDPROC,
                                                      reinterpret_cast<LONG_PTR>(&Spy::Proc))));
  form->Show();
  EXPECT_EQ(GetFocus(), form->Handle());
  EXPECT_EQ(seen.size(), 1u) << "the focus was set afresh";
  SetWindowLongPtrW(form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(form->Handle(), L"old")));
  RemovePropW(form->Handle(), L"spy");
  RemovePropW(form->Handle(), L"old");
}

TEST_F(SettingsKeysTest, AnArrowWhoseChoiceCannotBeStoredShowsTheErrorAndLeavesTheWindowOpen) {
  Open();
  form->RadioButton4->OnClick = [](TComponent*) { throw Exception(L"Failed to set data for 'OrvakTuV20Time'"); };
  DialogWatcher watcher(IDOK);
  Press(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return !watcher.Seen().empty(); }, 3000)) << "the error box";
  EXPECT_EQ(watcher.Seen().front().text, L"Failed to set data for 'OrvakTuV20Time'");
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(form->RadioButton4->Checked()) << "as with a click, the button stays checked";
}

}  // namespace
