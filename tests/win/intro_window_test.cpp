// The intro window as built from its layout, against the real Win32 API:
// its window, its hint rules, its show handler's registry read, and its
// handlers called directly (the fade's 12.75 s are not waited for).
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <string>
#include <vector>

#include "forms/capture/newform.h"
#include "forms/intro/form1.h"
#include "tests/support/reference_generator.h"
#include "tests/win/machine_registry.h"
#include "tests/win/win_test_support.h"
#include "toolkit/core/random.h"
#include "toolkit/forms/screen.h"
#include "toolkit/registry/registry.h"

namespace {

// The expected draws come from the hand-split reference computation: the
// program's generator is seeded again, as at start-up, so that both start
// from the documented state.
ReferenceGenerator FromStartUp() {
  kelvora_random::Seed();
  return ReferenceGenerator{};
}

std::string NarrowName(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class IntroWindowTest : public testing::Test {
 protected:
  void TearDown() override {
    delete form;
    machine_registry::Delete(kOrvakKey, kDisplayTimeValue);
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  void Build() { form = new TForm1(Application); }
  BYTE Alpha() const {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(form->Handle(), nullptr, &alpha, &flags)) return 0;
    return alpha;
  }
  TForm1* form = nullptr;
};

TEST_F(IntroWindowTest, WindowIsACentredTopmostBorderlessBanner) {
  Build();
  RECT client, window;
  GetClientRect(form->Handle(), &client);
  GetWindowRect(form->Handle(), &window);
  EXPECT_EQ(client.right, 535);
  EXPECT_EQ(client.bottom, 137);
  EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 535) / 2);
  EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - 137) / 2);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) << "no alpha before the first tick";
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
  // The panel fills the window; the second panel's children sit inside it.
  const RECT p1 = form->Panel1->BoundsRect();
  EXPECT_EQ(p1.right - p1.left, 535);
  EXPECT_EQ(p1.bottom - p1.top, 137);
  EXPECT_EQ(form->Panel2->Left(), 152);
  EXPECT_EQ(form->ProgramIcon->Width(), 65);
  EXPECT_EQ(form->Timer2->Interval(), 50u);
  EXPECT_EQ(form->FadeCounter(), 255);
}

TEST_F(IntroWindowTest, HintsFollowTheParentRules) {
  Build();
  const std::wstring panel_hint = L"点闪烁的字，即立刻关闭本窗口！";
  EXPECT_EQ(form->Label3->HintText(), L"关闭本窗口");
  EXPECT_EQ(form->Label3->HintControl(), form->Label3);
  // The picture's own hint is never shown: it hands hints to its parents.
  EXPECT_EQ(form->ProgramIcon->HintText(), panel_hint);
  EXPECT_EQ(form->ProgramIcon->HintControl(), form->Panel2);
  for (TControl* c : {static_cast<TControl*>(form->ProductName), static_cast<TControl*>(form->Panel2),
                      static_cast<TControl*>(form->Label2), static_cast<TControl*>(form->Image6)})
    EXPECT_EQ(c->HintText(), panel_hint) << NarrowName(c->Name());
}

TEST_F(IntroWindowTest, NoStoredDisplayTimeLeavesTheDisplayTimerOff) {
  machine_registry::Delete(kOrvakKey, kDisplayTimeValue);
  Build();
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_TRUE(form->Timer2->Enabled());
  EXPECT_TRUE(machine_registry::KeyExists(kOrvakKey)) << "key created";
}

TEST_F(IntroWindowTest, AStoredDisplayTimeArmsTheDisplayTimer) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(kOrvakKey, true));
  reg.WriteInteger(kDisplayTimeValue, 3000);
  Build();
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval(), 3000u);
  form->Timer1Timer(form->Timer1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_TRUE(form->Timer2->Enabled()) << "the fade goes on behind";
}

TEST_F(IntroWindowTest, AStoredValueOfTheWrongTypeIsReportedAndStartUpGoesOn) {
  // "3000" is five bytes with its NUL, too long for an integer.
  ASSERT_EQ(machine_registry::WriteText(kOrvakKey, kDisplayTimeValue, L"3000"), ERROR_SUCCESS);
  DialogWatcher watcher(IDOK);
  Build();
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"Failed to get data for 'OrvakTuV20Time'");
  EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_TRUE(form->Timer2->Enabled());
}

TEST_F(IntroWindowTest, FadeTicksLowerTheAlphaRecolourTheCreditsAndHideAtZero) {
  Build();
  ReferenceGenerator reference = FromStartUp();
  std::vector<TColor> expected;
  for (int i = 0; i < 255; ++i) {
    const uint32_t r = reference.Next() % 255, g = reference.Next() % 255, b = reference.Next() % 255;
    expected.push_back(static_cast<TColor>(r + g * 256 + b * 65536));
  }
  for (int tick = 1; tick <= 255; ++tick) {
    form->Timer2Timer(form->Timer2);
    ASSERT_EQ(form->Label3->Font().Color(), expected[tick - 1]) << "tick " << tick;
    if (tick < 255) {
      ASSERT_EQ(Alpha(), 255 - tick) << "tick " << tick;
      ASSERT_TRUE(IsWindowVisible(form->Handle()));
    }
  }
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(Alpha(), 0);
  EXPECT_FALSE(form->Timer2->Enabled());
  // A toggle now shows the window, still fully transparent.
  form->TrayIcon1Restore(form->TrayIcon1);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(Alpha(), 0);
}

TEST_F(IntroWindowTest, MouseOverTheCreditsPausesTheFadeAndTurnsThemBlue) {
  Build();
  form->Label3MouseEnter(form->Label3);
  EXPECT_FALSE(form->Timer2->Enabled());
  EXPECT_EQ(form->Label3->Font().Color(), clBlue);
  form->Label3MouseLeave(form->Label3);
  EXPECT_TRUE(form->Timer2->Enabled());
}

TEST_F(IntroWindowTest, CreditsClickHidesAndShowsTheCreditsMessage) {
  Build();
  DialogWatcher watcher(IDOK);
  form->Label3Click(form->Label3);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
  EXPECT_NE(watcher.Seen()[0].text.find(L"Orvak"), std::wstring::npos);
  EXPECT_TRUE(form->Timer2->Enabled()) << "the timers are not changed";
}

TEST_F(IntroWindowTest, TrayToggleShowsAndHidesAndEndsTheDisplayTimer) {
  Build();
  form->Timer1->SetEnabled(true);
  form->TrayIcon1Restore(form->TrayIcon1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->Timer1->Enabled());
  form->TrayIcon1Restore(form->TrayIcon1);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle())) << "no taskbar button after a toggle";
}

TEST_F(IntroWindowTest, TrayMenuItemsInOrderWithTheirImages) {
  Build();
  std::vector<std::wstring> captions;
  std::vector<int> images;
  for (TMenuItem* item : form->PopupMenu1->Items()->Items()) {
    captions.push_back(item->Caption());
    images.push_back(item->ImageIndex());
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"抓区域图", L"抓桌面图", L"显示抓图", L"-", L"更换图标", L"图标随机",
                                                 L"原来图标", L"-", L"魔法关机", L"-", L"抓图设置", L"关于我们",
                                                 L"退出抓图"}));
  EXPECT_EQ(images, (std::vector<int>{2, 3, 9, -1, 4, 8, 0, -1, 5, -1, 10, 1, 7}));
  EXPECT_EQ(form->ImageList1->Count(), 11);
}

TEST_F(IntroWindowTest, IconCommandsAndTheAnimateItemsEnabling) {
  Build();
  EXPECT_EQ(form->TrayIcon1->IconIndex(), 0);
  EXPECT_FALSE(form->TrayIcon1->GetAnimate());
  form->N6Click(form->N6);
  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_FALSE(form->N6->Enabled()) << "greyed while the icon animates";
  const int chosen = static_cast<int>(FromStartUp().Next() % 10);
  form->N5Click(form->N5);
  EXPECT_FALSE(form->TrayIcon1->GetAnimate());
  EXPECT_EQ(form->TrayIcon1->IconIndex(), chosen);
  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_TRUE(form->N6->Enabled());
  form->N6Click(form->N6);
  form->N7Click(form->N7);
  EXPECT_FALSE(form->TrayIcon1->GetAnimate());
  EXPECT_EQ(form->TrayIcon1->IconIndex(), 0);
}

// The tray menu has the region selector make its still picture while the
// user chooses, and gives it up unless the region capture was chosen: no
// other command runs beside a full screen's worth of memory, and none of it
// stays after the menu. Seen in the process's resident memory, which the
// worker's writes bring the picture into.
TEST_F(IntroWindowTest, TheMenuHoldsTheStillPicturesMemoryOnlyForTheRegionCapture) {
  Build();
  auto* selector = new TNewform(Application);
  Newform = selector;
  const auto resident = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize);
  };
  const RECT desktop = Screen().DesktopRect();
  const double picture = 4.0 * (desktop.right - desktop.left) * (desktop.bottom - desktop.top);
  // Once round first: what the first showing of the menu takes for good
  // (the worker's first thread, fonts, heaps) is not the picture.
  form->PopupMenu1Popup(form->PopupMenu1);
  PumpFor(500);
  form->PopupMenu1Close(nullptr);
  PumpFor(100);
  const double before = resident();
  const auto prepared = [&] { return PumpUntil([&] { return resident() > before + picture * 0.9; }, 5000); };
  const auto given_up = [&] { return resident() < before + picture * 0.25; };

  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_TRUE(prepared()) << "made while the menu is open";
  form->PopupMenu1Close(form->N2);
  EXPECT_TRUE(given_up()) << "given up for the desktop capture";

  form->PopupMenu1Popup(form->PopupMenu1);
  ASSERT_TRUE(prepared());
  form->PopupMenu1Close(nullptr);
  EXPECT_TRUE(given_up()) << "given up when the menu is dismissed";

  form->PopupMenu1Popup(form->PopupMenu1);
  ASSERT_TRUE(prepared());
  form->PopupMenu1Close(form->N1);
  EXPECT_FALSE(given_up()) << "kept for the selector";
  selector->DropStill();
  EXPECT_TRUE(given_up());

  Newform = nullptr;
  delete selector;
}

TEST_F(IntroWindowTest, ChangeIconNeverPicksTheLastIcon) {
  Build();
  for (int i = 0; i < 300; ++i) {
    form->N5Click(form->N5);
    ASSERT_GE(form->TrayIcon1->IconIndex(), 0);
    ASSERT_LE(form->TrayIcon1->IconIndex(), 9);
  }
}

}  // namespace
