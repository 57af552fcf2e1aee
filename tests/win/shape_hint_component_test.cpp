// The shaped hint component in the application: which one drives the
// hints, the hint window class it installs, the direct hints, and a hint
// window outliving the component that drew it.
#include <gtest/gtest.h>

#include <memory>

#include "components/shapehint/shape_hint.h"
#include "components/shapehint/shape_hint_window.h"
#include "tests/win/win_test_support.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/hint_window.h"
#include "toolkit/forms/panel.h"

namespace {

bool InstalledClassIsShaped() {
  return dynamic_cast<TShapeHintWindow*>(Application->Hints().Window()) != nullptr;
}

// A form whose layout holds one shaped hint stored with the given Enabled.
class HintForm : public TForm {
 public:
  HintForm(TComponent* owner, bool stored_enabled) : TForm(owner) {
    hint = new TShapeHint(this);
    if (!stored_enabled) hint->SetEnabled(false);
    FinishConstruction();
  }
  TShapeHint* hint;
};

// Puts the application's hints back as the other tests expect them.
class ShapeHintComponent : public testing::Test {
 protected:
  void TearDown() override {
    ShapeHintControl = nullptr;
    Application->SetHintWindowClass([] { return std::make_unique<THintWindow>(); });
    Application->SetShowHint(false);
    Application->SetShowHint(true);
  }
};

TEST_F(ShapeHintComponent, ALoadedFormActivatesItsHintAndTheLastOneWins) {
  HintForm a(Application, true);
  EXPECT_EQ(ShapeHintControl, a.hint);
  EXPECT_TRUE(InstalledClassIsShaped());
  EXPECT_TRUE(Application->ShowHint()) << "the switch ends as it was";
  HintForm b(Application, true);
  EXPECT_EQ(ShapeHintControl, b.hint);

  a.hint->SetEnabled(false);
  EXPECT_EQ(ShapeHintControl, b.hint) << "disabling an inactive one leaves the active one";
  EXPECT_FALSE(InstalledClassIsShaped()) << "but it puts the standard class back";
  b.hint->SetEnabled(false);
  EXPECT_EQ(ShapeHintControl, nullptr) << "the other one does not take over";
  a.hint->SetEnabled(true);
  EXPECT_EQ(ShapeHintControl, a.hint);
  EXPECT_TRUE(InstalledClassIsShaped());
}

TEST_F(ShapeHintComponent, OneStoredDisabledResetsTheClassAndLeavesTheActiveOne) {
  HintForm a(Application, true);
  HintForm b(Application, false);
  EXPECT_EQ(ShapeHintControl, a.hint);
  EXPECT_FALSE(InstalledClassIsShaped());
  EXPECT_FALSE(b.hint->Enabled());
}

TEST_F(ShapeHintComponent, OneMadeByCodeStaysInactiveUntilEnabled) {
  TForm form(Application);
  TShapeHint hint(&form);
  EXPECT_TRUE(hint.Enabled());
  EXPECT_EQ(ShapeHintControl, nullptr);
  hint.SetEnabled(true);
  EXPECT_EQ(ShapeHintControl, &hint);
}

TEST_F(ShapeHintComponent, DestroyingTheActiveOneEmptiesTheReferenceAndKeepsTheClass) {
  auto a = std::make_unique<HintForm>(Application, true);
  delete a->hint;
  EXPECT_EQ(ShapeHintControl, nullptr);
  EXPECT_TRUE(InstalledClassIsShaped());
}

TEST_F(ShapeHintComponent, WithHintsOffTheSwitchStaysOffAndNoWindowIsKept) {
  Application->SetShowHint(false);
  HintForm a(Application, true);
  EXPECT_FALSE(Application->ShowHint());
  EXPECT_EQ(Application->Hints().Window(), nullptr);
  Application->SetShowHint(true);
  EXPECT_TRUE(InstalledClassIsShaped()) << "turning hints on makes one of the installed class";
}

BOOL CALLBACK FindShapedHint(HWND w, LPARAM out) {
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  if (std::wstring(cls) == L"TShapeHintWindow" && IsWindowVisible(w)) *reinterpret_cast<HWND*>(out) = w;
  return TRUE;
}

HWND VisibleShapedHint() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShapedHint, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(ShapeHintComponent, ApplicationHintIsComposedBesideThePointerAndRaisesCloseOnHide) {
  HintForm a(Application, true);
  a.hint->SetStyle(hsRect);
  a.hint->SetBorderColor(clRed);
  int closed = 0;
  a.hint->OnCloseHintWindow = [&](TComponent* sender) {
    EXPECT_EQ(sender, a.hint);
    ++closed;
  };
  SetCursorPos(300, 300);
  THintWindow* window = Application->Hints().Window();
  window->ActivateHint(window->CalcHintRect(200, L"Hint"), L"Hint");
  HWND wnd = VisibleShapedHint();
  ASSERT_NE(wnd, nullptr);
  POINT cursor;
  GetCursorPos(&cursor);
  RECT r;
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.left, cursor.x + 1) << "above and right of the pointer";
  EXPECT_EQ(r.bottom, cursor.y - 1);
  EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & (WS_POPUP | WS_DISABLED | WS_BORDER), WS_POPUP | WS_DISABLED);
  EXPECT_EQ(GetForegroundWindow() == wnd, false) << "never activated";
  {
    window_dc dc(wnd);
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 0, 0)) << "the composed border";
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 0, 0)) << "neither erased nor repainted";
  }
  window->ReleaseHandle();
  EXPECT_EQ(closed, 1);
}

TEST_F(ShapeHintComponent, AWindowOutlivingItsComponentNeitherCallsNorDrawsIt) {
  auto a = std::make_unique<HintForm>(Application, true);
  bool alive = true;
  a->hint->OnCloseHintWindow = [&alive](TComponent*) { EXPECT_TRUE(alive) << "called back after it went"; };
  auto* window = static_cast<TShapeHintWindow*>(Application->Hints().Window());
  SetCursorPos(300, 300);
  window->ActivateHint(window->CalcHintRect(200, L"Hint"), L"Hint");
  ASSERT_EQ(window->ControllingComponent(), a->hint);
  a.reset();
  alive = false;
  EXPECT_EQ(window->ControllingComponent(), nullptr);
  InvalidateRect(window->Handle(), nullptr, TRUE);
  UpdateWindow(window->Handle());
  window->ReleaseHandle();
  // The next hint falls back to the standard look, with a background.
  window->ActivateHint(RECT{10, 10, 110, 40}, L"Hint");
  RECT r;
  GetWindowRect(window->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 100);
  UpdateWindow(window->Handle());
  window_dc dc(window->Handle());
  EXPECT_EQ(GetPixel(dc.get(), 50, 25), ColorToRGB(clInfoBk));
  window->ReleaseHandle();
}

TEST_F(ShapeHintComponent, ThePointFormShowsNothingWithoutAnActiveComponent) {
  TShapeHintWindow window;
  window.ActivateHint(RECT{300, 300, -1, -1}, L"Hint");
  EXPECT_FALSE(window.HandleAllocated() && IsWindowVisible(window.Handle()));
}

TEST_F(ShapeHintComponent, ShowHintShowsForItsDelayAndThenFreesTheWindow) {
  HintForm a(Application, true);
  HWND seen = nullptr;
  RECT r{};
  TTimer look(nullptr);
  look.SetInterval(20);
  look.OnTimer = [&](TComponent*) {
    if (!seen && (seen = VisibleShapedHint())) GetWindowRect(seen, &r);
  };
  SetCursorPos(100, 100);
  const ULONGLONG began = GetTickCount64();
  a.hint->ShowHint(L"Direct", 400, 400, 300);
  EXPECT_GE(GetTickCount64() - began, 300u);
  ASSERT_NE(seen, nullptr) << "shown while waiting";
  EXPECT_EQ(r.left, 401) << "beside the point, not the pointer";
  EXPECT_EQ(r.bottom, 399);
  EXPECT_FALSE(IsWindow(seen)) << "freed after the wait";
}

TEST_F(ShapeHintComponent, ShowControlHintOnAHiddenControlDoesNotWait) {
  HintForm a(Application, true);
  TPanel panel(&a);
  panel.SetParent(&a);
  panel.SetVisible(false);
  const ULONGLONG began = GetTickCount64();
  a.hint->ShowControlHint(L"", &panel, 5000);
  a.hint->ShowControlHint(L"", nullptr, 5000);
  EXPECT_LT(GetTickCount64() - began, 2000u);
}

TEST_F(ShapeHintComponent, ShowHintWithNoActiveComponentShowsNothingButWaits) {
  TForm form(Application);
  TShapeHint hint(&form);  // never enabled
  HWND seen = nullptr;
  TTimer look(nullptr);
  look.SetInterval(20);
  look.OnTimer = [&](TComponent*) {
    if (!seen) seen = VisibleShapedHint();
  };
  const ULONGLONG began = GetTickCount64();
  hint.ShowHint(L"Direct", 400, 400, 200);
  EXPECT_GE(GetTickCount64() - began, 200u);
  EXPECT_EQ(seen, nullptr);
}

}  // namespace
