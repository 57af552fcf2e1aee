#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/trayicon/tray_dispatch.h"
#include "components/trayicon/tray_icon.h"
#include "resources/resource_ids.h"
#include "tests/win/win_test_support.h"
#include "toolkit/win/timer.h"

namespace {

// Whether the shell holds this icon now: it modifies only icons it has.
bool InShell(const TTrayIcon& icon) {
  NOTIFYICONDATAW probe = icon.NotifyData();
  probe.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

std::unique_ptr<TImageList> ElevenIcons() {
  auto list = std::make_unique<TImageList>(nullptr);
  for (int i = 0; i < IDI_TRAY_COUNT; ++i) list->AddIconResource(IDI_TRAY_FIRST + i);
  return list;
}

// Icons compared by their pixels, as the shell would draw them.
std::vector<uint32_t> Pixels(HICON icon) {
  std::vector<uint32_t> px(16 * 16);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  unique_hdc dc(CreateCompatibleDC(nullptr));
  unique_hbitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  select_object keep(dc.get(), bmp.get());
  DrawIconEx(dc.get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::copy_n(static_cast<uint32_t*>(bits), px.size(), px.begin());
  return px;
}

TEST(TrayIcon, AddModifyDeleteAgainstTheShell) {
  TTrayIcon icon(nullptr);
  EXPECT_EQ(icon.NotifyData().uCallbackMessage, WM_USER + 1);
  EXPECT_EQ(icon.NotifyData().hWnd, icon.GetHandle());
  EXPECT_EQ(icon.NotifyData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
  EXPECT_FALSE(InShell(icon));
  icon.SetVisible(true);
  EXPECT_TRUE(InShell(icon));
  EXPECT_TRUE(icon.Hide());
  icon.SetHint(L"Kelvora^_^");
  EXPECT_EQ(std::wstring(icon.NotifyData().szTip), L"Kelvora^_^");
  EXPECT_TRUE(icon.NotifyData().uFlags & NIF_TIP);
  icon.SetHint(L"");
  EXPECT_FALSE(icon.NotifyData().uFlags & NIF_TIP) << "an empty hint removes the tooltip";
  EXPECT_TRUE(icon.NotifyData().uFlags & NIF_ICON);
  icon.SetVisible(false);
  EXPECT_FALSE(InShell(icon));
  EXPECT_FALSE(icon.Hide());
}

TEST(TrayIcon, VisibleTwiceAndHiddenTwiceRaiseTheShellErrors) {
  TTrayIcon icon(nullptr);
  icon.SetVisible(true);
  try {
    icon.SetVisible(true);
    FAIL() << "no error";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), L"Cannot Create System Shell Notification Icon");
  }
  EXPECT_TRUE(icon.Visible());
  icon.SetVisible(false);
  try {
    icon.SetVisible(false);
    FAIL() << "no error";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), L"Cannot Remove System Shell Notification Icon");
  }
}

TEST(TrayIcon, HintLimitCountsTheChineseCodePagesBytes) {
  TTrayIcon icon(nullptr);
  const std::wstring ascii63(63, L'a'), ascii64(64, L'b');
  icon.SetHint(ascii63);
  EXPECT_EQ(icon.Hint(), ascii63);
  icon.SetHint(ascii64);
  EXPECT_EQ(icon.Hint(), ascii63) << "64 bytes are ignored";
  // Each ideograph is two bytes in code page 936.
  const std::wstring cjk63 = std::wstring(31, L'抓') + L"a", cjk64(32, L'图');
  icon.SetHint(cjk63);
  EXPECT_EQ(icon.Hint(), cjk63);
  icon.SetHint(cjk64);
  EXPECT_EQ(icon.Hint(), cjk63);
  EXPECT_EQ(std::wstring(icon.NotifyData().szTip), cjk63);
}

TEST(TrayIcon, CallbackMessagesBecomeEventsAndActions) {
  auto list = ElevenIcons();
  TPopupMenu menu(nullptr);
  TTrayIcon icon(nullptr);
  icon.SetIcons(list.get());
  icon.SetPopupMenu(&menu);
  icon.SetRestoreOn(imLeftDoubleClick);
  icon.SetPopupMenuOn(imRightClickUp);
  std::vector<std::string> log;
  icon.OnRestore = [&](TComponent*) { log.push_back("restore"); };
  icon.OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState s, int, int) {
    log.push_back(b == TMouseButton::mbRight && (s & ssRight) ? "down right" : "down");
  };
  icon.OnMouseUp = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
    log.push_back(b == TMouseButton::mbRight ? "up right" : "up left");
  };
  icon.OnDblClick = [&](TComponent*) { log.push_back("dblclick"); };
  menu.OnPopup = [&](TComponent*) {
    log.push_back("popup");
    PostMessageW(nullptr, WM_NULL, 0, 0);
  };
  // Close the menu as soon as it tracks, as a user pressing Escape would.
  TTimer closer(nullptr);
  closer.SetInterval(100);
  closer.OnTimer = [](TComponent*) { EndMenu(); };
  const auto send = [&](UINT mouse) { SendMessageW(icon.GetHandle(), WM_USER + 1, icon.NotifyData().uID, mouse); };
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) send(m);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up left", "dblclick", "restore", "up left"}));
  log.clear();
  send(WM_RBUTTONDOWN);
  send(WM_RBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"down right", "up right", "popup"}));
}

// The menu's close event comes once the menu has left and before the chosen
// item's click, naming that item; a dismissed menu names none. Either way
// the menu tells where it was on the screen.
TEST(TrayIcon, TheMenusCloseEventNamesTheChosenItemBeforeItsClick) {
  TPopupMenu menu(nullptr);
  auto* one = new TMenuItem(&menu);
  auto* two = new TMenuItem(&menu);
  one->SetCaption(L"one");
  two->SetCaption(L"two");
  menu.Items()->Add(one);
  menu.Items()->Add(two);
  std::vector<std::string> log;
  one->OnClick = [&](TComponent*) { log.push_back("click one"); };
  two->OnClick = [&](TComponent*) { log.push_back("click two"); };
  menu.OnClose = [&](TMenuItem* chosen) {
    log.push_back(chosen == two ? "close two" : chosen ? "close other" : "close none");
  };
  // Keys as a user presses them in the open menu: down twice, then Enter;
  // or Escape.
  std::vector<WPARAM> keys;
  RECT seen{};
  const auto expect_area_seen = [&] {
    RECT both;
    UnionRect(&both, &menu.ShownArea(), &seen);
    EXPECT_FALSE(IsRectEmpty(&seen));
    EXPECT_TRUE(EqualRect(&both, &menu.ShownArea())) << "the menu's window lies outside its shown area";
  };
  TTimer presser(nullptr);
  presser.SetInterval(50);
  presser.OnTimer = [&](TComponent*) {
    HWND shown = ShownMenuWindow();
    if (!shown || keys.empty()) return;
    GetWindowRect(shown, &seen);
    for (WPARAM key : keys) PostMessageW(shown, WM_KEYDOWN, key, 0);
    keys.clear();
  };
  keys = {VK_DOWN, VK_DOWN, VK_RETURN};
  menu.Popup(10, 10);
  EXPECT_EQ(log, (std::vector<std::string>{"close two", "click two"}));
  expect_area_seen();
  log.clear();
  keys = {VK_ESCAPE};
  seen = {};
  menu.Popup(10, 10);
  EXPECT_EQ(log, (std::vector<std::string>{"close none"}));
  expect_area_seen();
}

// Every mouse message of the shell sent to the real icon window, with the
// restore action on a plain click and no menu: each raises, in order, the
// events of the steps the dispatch gives it (whose every message and
// trigger the host tests go through), and a message that is no mouse
// button's raises nothing.
TEST(TrayIcon, EveryCallbackMessageThroughTheIconsWindow) {
  auto list = ElevenIcons();
  TTrayIcon icon(nullptr);
  icon.SetIcons(list.get());
  icon.SetRestoreOn(imClick);
  icon.SetPopupMenuOn(imNone);
  std::vector<std::string> log;
  const auto button = [](TMouseButton b) {
    return b == TMouseButton::mbLeft ? "left" : b == TMouseButton::mbRight ? "right" : "middle";
  };
  icon.OnRestore = [&](TComponent*) { log.push_back("restore"); };
  icon.OnClick = [&](TComponent*) { log.push_back("click"); };
  icon.OnDblClick = [&](TComponent*) { log.push_back("dblclick"); };
  icon.OnMouseMove = [&](TComponent*, TShiftState, int, int) { log.push_back("move"); };
  icon.OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
    log.push_back(std::string("down ") + button(b));
  };
  icon.OnMouseUp = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
    log.push_back(std::string("up ") + button(b));
  };
  const auto events = [](const std::vector<TrayStep>& steps) {
    static const char* const kButtons[] = {"left", "right", "middle"};
    static const char* const kEvents[] = {"restore", "menu", "click", "dblclick", "down ", "up ", "move"};
    std::vector<std::string> raised;
    for (const TrayStep& step : steps) {
      std::string name = kEvents[step.kind];
      if (step.kind == TrayStep::OnMouseDown || step.kind == TrayStep::OnMouseUp)
        name += kButtons[static_cast<int>(step.button)];
      raised.push_back(name);
    }
    return raised;
  };
  for (UINT message = WM_MOUSEMOVE; message <= WM_MOUSEWHEEL; ++message) {
    log.clear();
    EXPECT_EQ(SendMessageW(icon.GetHandle(), WM_USER + 1, icon.NotifyData().uID, message), 0);
    EXPECT_EQ(log, events(TrayStepsFor(message, imClick, imNone))) << "message " << std::hex << message;
  }
  EXPECT_EQ(log, std::vector<std::string>{}) << "the wheel raises nothing";
  ShowWindow(Application->Handle(), SW_HIDE);
}

TEST(TrayIcon, OnlyTheEndSessionQueryIsAnsweredNonZero) {
  TTrayIcon icon(nullptr);
  EXPECT_EQ(SendMessageW(icon.GetHandle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(SendMessageW(icon.GetHandle(), WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST(TrayIcon, EndSessionRemovesTheIconButKeepsVisible) {
  TTrayIcon icon(nullptr);
  icon.SetVisible(true);
  SendMessageW(icon.GetHandle(), WM_ENDSESSION, FALSE, 0);  // even a cancelled end
  EXPECT_FALSE(InShell(icon));
  EXPECT_TRUE(icon.Visible());
}

TEST(TrayIcon, TaskbarCreatedAddsTheIconAgain) {
  TTrayIcon shown(nullptr), hidden(nullptr);
  shown.SetVisible(true);
  // The shell restarts: its icons are gone.
  NOTIFYICONDATAW gone = shown.NotifyData();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
  ASSERT_FALSE(InShell(shown));
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return InShell(shown); }, 3000));
  EXPECT_FALSE(InShell(hidden)) << "an icon not meant to show stays away";
}

TEST(TrayIcon, AnimationFromIcon4RunsInListOrderAndWraps) {
  auto list = ElevenIcons();
  TTrayIcon icon(nullptr);
  icon.SetIcons(list.get());
  icon.SetIconIndex(4);
  icon.SetAnimateInterval(15);
  std::vector<int> seen;
  TTimer watch(nullptr);
  watch.SetInterval(5);
  watch.OnTimer = [&](TComponent*) {
    if (seen.empty() || seen.back() != icon.IconIndex()) seen.push_back(icon.IconIndex());
  };
  icon.SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return seen.size() >= 9; }));
  icon.SetAnimate(false);
  EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 9), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 0, 1}));
  EXPECT_EQ(Pixels(icon.CurrentIcon()), Pixels(list->GetIcon(icon.IconIndex()).get()));
}

TEST(TrayIcon, AnimationNeedsAnIconListAndStopsWhenItGoes) {
  TTrayIcon icon(nullptr);
  icon.SetAnimate(true);
  EXPECT_FALSE(icon.GetAnimate());
  auto list = ElevenIcons();
  icon.SetIcons(list.get());
  icon.SetAnimateInterval(10);
  icon.SetAnimate(true);
  EXPECT_TRUE(icon.GetAnimate());
  list.reset();
  EXPECT_EQ(icon.Icons(), nullptr);
  EXPECT_FALSE(icon.GetAnimate());
  const int index = icon.IconIndex();
  PumpFor(100);
  EXPECT_EQ(icon.IconIndex(), index);
}

TEST(TrayIcon, AnIndexOutsideTheListShowsAnEmptyIcon) {
  auto list = ElevenIcons();
  TTrayIcon icon(nullptr);
  icon.SetIcons(list.get());
  icon.SetIconIndex(11);
  ASSERT_NE(icon.CurrentIcon(), nullptr);
  for (uint32_t p : Pixels(icon.CurrentIcon())) ASSERT_EQ(p >> 24, 0u) << "a drawn pixel";
}

TEST(TrayIcon, MinimizeAndRestoreCommandsReachItThroughTheApplicationHook) {
  int minimized = 0, restored = 0;
  {
    TTrayIcon icon(nullptr);
    icon.OnMinimize = [&](TComponent*) { ++minimized; };
    icon.OnRestore = [&](TComponent*) { ++restored; };
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(minimized, 0) << "hooked only while in the tray";
    icon.SetVisible(true);
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(minimized, 1);
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(restored, 1);
  }
  // Destroyed: the icon and the hook are gone with it.
  SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(minimized, 1);
  ShowWindow(Application->Handle(), SW_HIDE);
}

TEST(TrayIcon, RemovalNotificationsClearItsReferences) {
  TTrayIcon icon(nullptr);
  auto* list = new TImageList(nullptr);
  auto* menu = new TPopupMenu(nullptr);
  icon.SetIcons(list);
  icon.SetPopupMenu(menu);
  delete menu;
  EXPECT_EQ(icon.PopupMenu(), nullptr);
  delete list;
  EXPECT_EQ(icon.Icons(), nullptr);
}

}  // namespace
