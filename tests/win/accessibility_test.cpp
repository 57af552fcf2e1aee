// The program's windows as a screen reader reads them, through Active
// Accessibility as it asks (AccessibleObjectFromWindow, AccessibleChildren):
// each control's role, name, state and place against the layouts, at several
// scales; and the events a magnifier follows as the keyboard moves through
// the settings window. The system's default objects would read every control
// as a "client" named by its caption, with no children: the roles below are
// what only the toolkit's own objects give.
#include <gtest/gtest.h>

#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "forms/settings/about_box.h"
#include "tests/win/settings_fixture.h"
#include "toolkit/core/dpi_scale.h"

namespace {

using namespace settings_fixture;

// Spelled out: MinGW's import library gives this identifier wrong bytes.
constexpr IID kIidAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

constexpr long kClient = ROLE_SYSTEM_CLIENT, kPane = ROLE_SYSTEM_PANE, kGroup = ROLE_SYSTEM_GROUPING,
               kRadio = ROLE_SYSTEM_RADIOBUTTON, kText = ROLE_SYSTEM_STATICTEXT, kGraphic = ROLE_SYSTEM_GRAPHIC;
constexpr long kFocusable = STATE_SYSTEM_FOCUSABLE, kFocused = STATE_SYSTEM_FOCUSED, kChecked = STATE_SYSTEM_CHECKED,
               kReadOnly = STATE_SYSTEM_READONLY, kHidden = STATE_SYSTEM_INVISIBLE;
constexpr int kOwn = -1;  // a length the label takes from its text and font

// One object as the reader meets it, depth first. The place is left, top,
// width, height in the form's client area, at 96 dpi in the expected trees.
struct Node {
  int depth;
  long role;
  std::wstring name;
  long state;
  RECT place;
};

std::string Utf8(const std::wstring& text) {
  std::string out(static_cast<size_t>(text.size() * 3), '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::string Describe(const Node& n) {
  char place[96];
  snprintf(place, sizeof place, " state %#lx at %ld,%ld %ldx%ld", n.state, n.place.left, n.place.top, n.place.right,
           n.place.bottom);
  return std::string(static_cast<size_t>(n.depth) * 2, ' ') + "role " + std::to_string(n.role) + " \"" +
         Utf8(n.name) + "\"" + place;
}

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

Node Read(IAccessible* object, int depth, POINT origin) {
  Node n{depth, 0, {}, 0, {}};
  BSTR name = nullptr;
  if (object->get_accName(Self(), &name) == S_OK && name) n.name = name;
  SysFreeString(name);
  VARIANT v;
  if (SUCCEEDED(object->get_accRole(Self(), &v))) n.role = v.lVal;
  if (SUCCEEDED(object->get_accState(Self(), &v))) n.state = v.lVal;
  long x = 0, y = 0, w = 0, h = 0;
  object->accLocation(&x, &y, &w, &h, Self());
  n.place = {x - origin.x, y - origin.y, w, h};
  return n;
}

// The whole tree under `object`, as a reader walks it.
void Walk(IAccessible* object, int depth, POINT origin, std::vector<Node>& out) {
  out.push_back(Read(object, depth, origin));
  long count = 0;
  object->get_accChildCount(&count);
  std::vector<VARIANT> children(static_cast<size_t>(count));
  long got = 0;
  if (count > 0) AccessibleChildren(object, 0, count, children.data(), &got);
  for (long i = 0; i < got; ++i) {
    VARIANT& child = children[static_cast<size_t>(i)];
    IAccessible* sub = nullptr;
    if (child.vt == VT_DISPATCH && child.pdispVal &&
        SUCCEEDED(child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&sub)))) {
      Walk(sub, depth + 1, origin, out);
      sub->Release();
    } else {
      out.push_back({depth + 1, -1, L"(a child that is no object)", 0, {}});
    }
    VariantClear(&child);
  }
}

IAccessible* ObjectOf(HWND wnd) {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(wnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&object));
  return object;
}

class AccessibilityTest : public SettingsTest {
 public:
  // Open to the tables' functions below.
  using SettingsTest::form;
  using SettingsTest::intro;
  TAboutBox* about = nullptr;

 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    SettingsTest::SetUp();
  }
  void TearDown() override {
    delete about;
    SettingsTest::TearDown();
    CoUninitialize();
  }
};

// A window's expected tree, laid out for `dpi`: every length scaled from the
// layout, to within the two pixels that the roundings of a nested length
// (an aligned control inside two bevels) may add up to.
struct WindowCase {
  const char* what;
  int dpi;
  HWND (*open)(AccessibilityTest&);
  std::vector<Node> (*layout)(AccessibilityTest&);
};

std::vector<Node> IntroLayout(AccessibilityTest& t) {
  TForm1& f = *t.intro;
  const long focus = GetFocus() == f.Handle() ? kFocused : 0;
  return {
      {0, kClient, L"Form1", kFocusable | focus, {0, 0, 535, 137}},
      {1, kPane, L"", 0, {0, 0, 535, 137}},
      {2, kText, L" 源自真诚，Orvak永随", kReadOnly, {23, 7, 17, 123}},
      {2, kText, L" 敬请关注，下期软件", kReadOnly, {497, 7, 17, 123}},
      {2, kGraphic, L"", 0, {8, 8, 17, 17}},
      {2, kGraphic, L"", 0, {512, 8, 17, 17}},
      {2, kGraphic, L"", 0, {6, 112, 17, 17}},
      {2, kGraphic, L"", 0, {512, 112, 17, 17}},
      {2, kPane, L"", 0, {152, 8, 217, 121}},
      {3, kGraphic, L"", 0, {160, 16, 65, 105}},  // its hint is never shown
      {3, kText, L"Kelvora", kReadOnly, {264, 24, kOwn, kOwn}},
      {3, kText, L" v2.1", kReadOnly, {328, 24, kOwn, kOwn}},
      {3, kText, f.Notice->Caption(), kReadOnly, {288, 40, kOwn, kOwn}},
      {3, kText, f.Label1->Caption(), kReadOnly, {264, 56, 96, kOwn}},
      {3, kText, L"Orvak Software Workroom", kReadOnly, {229, 96, 137, kOwn}},
      {3, kText, f.Label3->Caption(), kReadOnly, {229, 112, kOwn, kOwn}},
  };
}

// First run: "do not start" checked, no display time, the focus on the
// first display-time button. The autostart buttons lie over the frame of
// the radio group and are read as its own; the framed done button is
// hidden, and its panel's covered caption "Panel2" is no name.
std::vector<Node> SettingsLayout(AccessibilityTest&) {
  return {
      {0, kClient, L"Kelvora设置", kFocusable, {0, 0, 355, 287}},
      {1, kPane, L"", 0, {0, 0, 355, 287}},
      {2, kGroup, L"Kelvora启动设置", 0, {16, 16, 321, 129}},
      {3, kRadio, L"每次开机自行启动。", kFocusable, {32, 48, 121, 17}},
      {3, kRadio, L"每次开机不要自行启动。", kFocusable | kChecked, {32, 72, 153, 17}},
      {2, kGroup, L"Kelvora启动画面设置", 0, {16, 168, 193, 105}},
      {3, kRadio, L"画面显示时间为3秒", kFocusable | kFocused, {32, 192, 121, 17}},
      {3, kRadio, L"画面显示时间为30秒", kFocusable, {32, 216, 129, 17}},
      {3, kRadio, L"画面显示时间为300秒", kFocusable, {32, 240, 137, 17}},
      {2, kGraphic, L"设置完成", 0, {256, 192, 81, 81}},
      {2, kPane, L"", kHidden, {248, 192, 89, 81}},
      {3, kGraphic, L"设置完成", kHidden, {256, 192, 81, 81}},
  };
}

// The labels drawn without windows are children of the inner panel.
std::vector<Node> AboutLayout(AccessibilityTest& t) {
  TAboutBox& f = *t.about;
  return {
      {0, kClient, L"=Orvak=伴你每时每刻", kFocusable | kFocused, {0, 0, 350, 160}},
      {1, kPane, L"", 0, {0, 0, 350, 160}},
      {2, kPane, L"", 0, {8, 16, 329, 129}},
      {3, kText, L"敬请关注下期软件", kReadOnly, {14, 22, 19, 117}},
      {3, kGraphic, L"", 0, {40, 24, 73, 105}},
      {3, kText, L"  Orvak Software Workroom", kReadOnly, {120, 24, 202, 17}},
      {3, kText, f.Names->Caption(), kReadOnly, {208, 48, 112, kOwn}},
      {3, kText, f.Comments->Caption(), kReadOnly, {272, 112, 49, 13}},
      {3, kGraphic, L"", 0, {128, 112, 17, 17}},
      {3, kText, L"Orvak软件工作室", kReadOnly, {144, 112, 112, 15}},
      {3, kGraphic, L"", 0, {256, 112, 17, 17}},
  };
}

HWND OpenIntro(AccessibilityTest& t) { return t.intro->Handle(); }
HWND OpenSettings(AccessibilityTest& t) {
  t.form = new TForm4(t.intro);
  t.form->Show();
  return t.form->Handle();
}
HWND OpenAbout(AccessibilityTest& t) {
  t.about = new TAboutBox(t.intro);
  t.about->Show();
  return t.about->Handle();
}

// The about box moved to a monitor of the case's scale.
void MoveToScale(HWND wnd, int dpi) {
  RECT window, client;
  GetWindowRect(wnd, &window);
  GetClientRect(wnd, &client);
  RECT suggested{window.left, window.top, window.right + ScaleForDpi(350, dpi) - client.right,
                 window.bottom + ScaleForDpi(160, dpi) - client.bottom};
  SendMessageW(wnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(AccessibilityTest, EachWindowReadsAsItsLayoutSaysInPhysicalPixels) {
  const WindowCase cases[] = {
      {"intro window", 96, OpenIntro, IntroLayout},   {"settings window", 96, OpenSettings, SettingsLayout},
      {"about box", 96, OpenAbout, AboutLayout},      {"about box at 120 dpi", 120, OpenAbout, AboutLayout},
      {"about box at 144 dpi", 144, OpenAbout, AboutLayout}, {"about box at 192 dpi", 192, OpenAbout, AboutLayout},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.what);
    delete about;
    about = nullptr;
    HWND wnd = c.open(*this);
    if (c.dpi != 96) MoveToScale(wnd, c.dpi);
    IAccessible* object = ObjectOf(wnd);
    ASSERT_TRUE(object);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    std::vector<Node> read;
    Walk(object, 0, origin, read);
    object->Release();
    std::vector<Node> expected = c.layout(*this);
    std::vector<std::string> want, got;
    for (size_t i = 0; i < expected.size(); ++i) {
      RECT& e = expected[i].place;
      for (LONG* v : {&e.left, &e.top, &e.right, &e.bottom})
        if (*v != kOwn) *v = ScaleForDpi(*v, c.dpi);
      if (i >= read.size()) continue;
      RECT& r = read[i].place;
      for (auto [ev, rv] : {std::pair{e.left, &r.left}, {e.top, &r.top}, {e.right, &r.right}, {e.bottom, &r.bottom}})
        if (ev == kOwn || (c.dpi != 96 && std::abs(*rv - ev) <= 2)) *rv = ev;
    }
    for (const Node& n : expected) want.push_back(Describe(n));
    for (const Node& n : read) got.push_back(Describe(n));
    EXPECT_EQ(got, want);
  }
}

TEST_F(AccessibilityTest, AnObjectHeldAfterItsWindowWentAnswersThatItIsGone) {
  OpenAbout(*this);
  IAccessible* object = ObjectOf(about->Handle());
  ASSERT_TRUE(object);
  delete about;
  about = nullptr;
  long count = 0;
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
  object->Release();
}

// What a magnifier or screen reader hears: each event of the process on a
// client area, read back through the object the event names.
std::vector<std::string>* g_heard = nullptr;

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND wnd, LONG id, LONG child, DWORD, DWORD) {
  if (id != OBJID_CLIENT) return;
  const char* kind = event == EVENT_OBJECT_FOCUS         ? "focus"
                     : event == EVENT_OBJECT_STATECHANGE ? "state"
                     : event == EVENT_OBJECT_NAMECHANGE  ? "name"
                     : event == EVENT_OBJECT_HIDE        ? "hide"
                                                         : nullptr;
  IAccessible* object = nullptr;
  VARIANT which;
  VariantInit(&which);
  if (!kind || FAILED(AccessibleObjectFromEvent(wnd, id, child, &object, &which)) || !object) return;
  BSTR name = nullptr;
  VARIANT state;
  VariantInit(&state);
  object->get_accName(which, &name);
  object->get_accState(which, &state);
  std::string text = std::string(kind) + " \"" + Utf8(name ? name : L"") + "\"";
  if (state.lVal & kChecked) text += " checked";
  if (state.lVal & kFocused) text += " focused";
  if (state.lVal & kHidden) text += " hidden";
  SysFreeString(name);
  VariantClear(&which);
  object->Release();
  g_heard->push_back(text);
}

class AnnouncementTest : public AccessibilityTest {
 protected:
  void SetUp() override {
    AccessibilityTest::SetUp();
    g_heard = &heard;
    hook = SetWinEventHook(EVENT_OBJECT_HIDE, EVENT_OBJECT_NAMECHANGE, nullptr, Heard, GetCurrentProcessId(), 0,
                           WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
  }
  void TearDown() override {
    UnhookWinEvent(hook);
    g_heard = nullptr;
    AccessibilityTest::TearDown();
  }
  // What is heard while `act` runs, once the messages it left are handled.
  template <class Act>
  std::vector<std::string> While(Act act) {
    Application->ProcessMessages();
    heard.clear();
    act();
    Application->ProcessMessages();
    return heard;
  }
  std::vector<std::string> heard;
  HWINEVENTHOOK hook = nullptr;
};

TEST_F(AnnouncementTest, FocusAndCheckedStateAreAnnouncedAsTheKeysMoveThroughTheSettings) {
  OpenSettings(*this);
  struct Step {
    const char* keys;
    std::vector<std::pair<WPARAM, bool>> presses;  // key, with Shift
    std::vector<std::string> heard;
  };
  const Step steps[] = {
      {"Tab", {{VK_TAB, false}}, {"focus \"每次开机不要自行启动。\" checked focused"}},
      {"Shift+Tab", {{VK_TAB, true}}, {"focus \"画面显示时间为3秒\" focused"}},
      {"Down",
       {{VK_DOWN, false}},
       {"focus \"画面显示时间为30秒\" checked focused", "state \"画面显示时间为30秒\" checked focused"}},
      {"Right",
       {{VK_RIGHT, false}},
       {"focus \"画面显示时间为300秒\" checked focused", "state \"画面显示时间为300秒\" checked focused",
        "state \"画面显示时间为30秒\""}},
      {"Tab, Up",
       {{VK_TAB, false}, {VK_UP, false}},
       {"focus \"每次开机不要自行启动。\" checked focused", "focus \"每次开机自行启动。\" checked focused",
        "state \"每次开机自行启动。\" checked focused", "state \"每次开机不要自行启动。\""}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.keys);
    EXPECT_EQ(While([&] {
                for (auto [key, shift] : step.presses) Press(key, shift);
              }),
              step.heard);
  }
}

TEST_F(AnnouncementTest, AWindowlessPictureHiddenAndTheClockCaptionChangedAreAnnounced) {
  OpenSettings(*this);
  EXPECT_EQ(While([&] { form->Image1MouseMove(form->Image1, 0, 5, 5); }),
            std::vector<std::string>{"hide \"设置完成\" hidden"});
  OpenAbout(*this);
  const auto clock = While([&] { about->Timer1Timer(about->Timer1); });
  EXPECT_EQ(clock, std::vector<std::string>{"name \"" + Utf8(about->Caption()) + "\" focused"});
  EXPECT_NE(about->Caption(), kAboutCaption);
}

}  // namespace
