// The program's windows as a screen reader reads them through Active
// Accessibility (AccessibleObjectFromWindow, AccessibleChildren), against
// their layouts at several scales, and the events a magnifier follows as the
// keys move through the settings window. The system's default objects would
// read every control as a "client" named by its caption, with no children.
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
constexpr LONG kOwn = -1;  // a length the label takes from its text and font

// One object as the reader meets it, depth first; its place is left, top,
// width, height in the form's client area (at 96 dpi in the layouts).
struct Node {
  int depth;
  long role;
  std::wstring name;
  long state;
  RECT place;
};

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                     out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::string Describe(const Node& n) {
  char rest[96];
  snprintf(rest, sizeof rest, "\" state %#lx at %ld,%ld %ldx%ld", n.state, n.place.left, n.place.top,
           n.place.right, n.place.bottom);
  return std::string(static_cast<size_t>(n.depth) * 2, ' ') + "role " + std::to_string(n.role) + " \"" +
         Utf8(n.name) + rest;
}

void Walk(IAccessible* object, int depth, POINT origin, std::vector<Node>& out) {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  Node n{depth, 0, {}, 0, {}};
  BSTR name = nullptr;
  if (object->get_accName(self, &name) == S_OK) n.name = name;
  SysFreeString(name);
  VARIANT v;
  if (SUCCEEDED(object->get_accRole(self, &v))) n.role = v.lVal;
  if (SUCCEEDED(object->get_accState(self, &v))) n.state = v.lVal;
  object->accLocation(&n.place.left, &n.place.top, &n.place.right, &n.place.bottom, self);
  n.place.left -= origin.x;
  n.place.top -= origin.y;
  out.push_back(n);
  long count = 0;
  object->get_accChildCount(&count);
  std::vector<VARIANT> children(static_cast<size_t>(count));
  long got = 0;
  if (count > 0) AccessibleChildren(object, 0, count, children.data(), &got);
  for (long i = 0; i < got; ++i) {
    VARIANT& child = children[static_cast<size_t>(i)];
    IAccessible* sub = nullptr;
    if (child.vt == VT_DISPATCH &&
        SUCCEEDED(child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&sub)))) {
      Walk(sub, depth + 1, origin, out);
      sub->Release();
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
  void OpenSettings() {
    form = new TForm4(intro);
    form->Show();
  }
  void OpenAbout(int dpi = 96) {
    delete about;
    about = new TAboutBox(intro);
    about->Show();
    if (dpi == 96) return;
    // Moved to a monitor of that scale.
    RECT window, client;
    GetWindowRect(about->Handle(), &window);
    GetClientRect(about->Handle(), &client);
    RECT suggested{window.left, window.top, window.right + ScaleForDpi(350, dpi) - client.right,
                   window.bottom + ScaleForDpi(160, dpi) - client.bottom};
    SendMessageW(about->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  TAboutBox* about = nullptr;
};

// First run: "do not start" checked, no display time, the focus on the
// first display-time button. The autostart buttons lie over the radio
// group's frame and are read as its own; the framed done button is hidden,
// and the caption "Panel2" its picture covers is no name.
const std::vector<Node> kSettings{
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

// The labels drawn without windows are children of the inner panel; the
// credits' wording is the layout's own.
std::vector<Node> AboutLayout(const TAboutBox& f) {
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

// Lengths scaled from the layout, to within the two pixels that the
// roundings of a nested length (an aligned control inside two bevels) may
// add up to.
void ExpectReads(HWND wnd, std::vector<Node> expected, int dpi) {
  IAccessible* object = ObjectOf(wnd);
  ASSERT_TRUE(object);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  std::vector<Node> read;
  Walk(object, 0, origin, read);
  object->Release();
  std::vector<std::string> want, got;
  for (size_t i = 0; i < expected.size(); ++i) {
    for (LONG RECT::*field : {&RECT::left, &RECT::top, &RECT::right, &RECT::bottom}) {
      LONG& e = expected[i].place.*field;
      if (e != kOwn) e = ScaleForDpi(e, dpi);
      if (i >= read.size()) continue;
      LONG& r = read[i].place.*field;
      if (e == kOwn || std::abs(r - e) <= (dpi == 96 ? 0 : 2)) r = e;
    }
    want.push_back(Describe(expected[i]));
  }
  for (const Node& n : read) got.push_back(Describe(n));
  EXPECT_EQ(got, want);
}

TEST_F(AccessibilityTest, EachWindowReadsAsItsLayoutSaysInPhysicalPixels) {
  OpenSettings();
  ExpectReads(form->Handle(), kSettings, 96);
  for (int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    OpenAbout(dpi);
    ExpectReads(about->Handle(), AboutLayout(*about), dpi);
  }
}

TEST_F(AccessibilityTest, AnObjectHeldAfterItsWindowWentAnswersThatItIsGone) {
  OpenAbout();
  IAccessible* object = ObjectOf(about->Handle());
  ASSERT_TRUE(object);
  delete about;
  about = nullptr;
  long count = 0;
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  object->Release();
}

// What a magnifier or screen reader hears: each event of the process on a
// client area, read back through the object it names.
std::vector<std::string> g_heard;

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND wnd, LONG id, LONG child, DWORD, DWORD) {
  const char* kind = event == EVENT_OBJECT_FOCUS         ? "focus"
                     : event == EVENT_OBJECT_STATECHANGE ? "state"
                     : event == EVENT_OBJECT_NAMECHANGE  ? "name"
                     : event == EVENT_OBJECT_HIDE        ? "hide"
                                                         : nullptr;
  IAccessible* object = nullptr;
  VARIANT which, state;
  VariantInit(&state);
  if (id != OBJID_CLIENT || !kind || FAILED(AccessibleObjectFromEvent(wnd, id, child, &object, &which))) return;
  BSTR name = nullptr;
  object->get_accName(which, &name);
  object->get_accState(which, &state);
  std::string text = std::string(kind) + " \"" + Utf8(name ? name : L"") + "\"";
  if (state.lVal & kChecked) text += " checked";
  if (state.lVal & kFocused) text += " focused";
  if (state.lVal & kHidden) text += " hidden";
  g_heard.push_back(text);
  SysFreeString(name);
  VariantClear(&which);
  object->Release();
}

class AnnouncementTest : public AccessibilityTest {
 protected:
  void SetUp() override {
    AccessibilityTest::SetUp();
    hook = SetWinEventHook(EVENT_OBJECT_HIDE, EVENT_OBJECT_NAMECHANGE, nullptr, Heard, GetCurrentProcessId(), 0,
                           WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
  }
  void TearDown() override {
    UnhookWinEvent(hook);
    AccessibilityTest::TearDown();
  }
  // What is heard while `act` runs, once the messages it leaves are handled.
  template <class Act>
  std::vector<std::string> While(Act act) {
    Application->ProcessMessages();
    g_heard.clear();
    act();
    Application->ProcessMessages();
    return g_heard;
  }
  HWINEVENTHOOK hook = nullptr;
};

TEST_F(AnnouncementTest, FocusAndCheckedStateAreAnnouncedAsTheKeysMoveThroughTheSettings) {
  OpenSettings();
  const struct {
    std::vector<std::pair<WPARAM, bool>> keys;  // with Shift or not
    std::vector<std::string> heard;
  } steps[] = {
      {{{VK_TAB, false}}, {"focus \"每次开机不要自行启动。\" checked focused"}},
      {{{VK_TAB, true}}, {"focus \"画面显示时间为3秒\" focused"}},
      {{{VK_DOWN, false}}, {"focus \"画面显示时间为30秒\" checked focused", "state \"画面显示时间为30秒\" checked focused"}},
      {{{VK_RIGHT, false}},
       {"focus \"画面显示时间为300秒\" checked focused", "state \"画面显示时间为300秒\" checked focused",
        "state \"画面显示时间为30秒\""}},
      {{{VK_TAB, false}, {VK_UP, false}},
       {"focus \"每次开机不要自行启动。\" checked focused", "focus \"每次开机自行启动。\" checked focused",
        "state \"每次开机自行启动。\" checked focused", "state \"每次开机不要自行启动。\""}},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(While([&] {
                for (auto [key, shift] : step.keys) Press(key, shift);
              }),
              step.heard);
  }
}

TEST_F(AnnouncementTest, AWindowlessPictureHiddenAndTheClockCaptionChangedAreAnnounced) {
  OpenSettings();
  EXPECT_EQ(While([&] { form->Image1MouseMove(form->Image1, 0, 5, 5); }),
            std::vector<std::string>{"hide \"设置完成\" hidden"});
  OpenAbout();
  const auto clock = While([&] { about->Timer1Timer(about->Timer1); });
  EXPECT_NE(about->Caption(), kAboutCaption);
  EXPECT_EQ(clock, std::vector<std::string>{"name \"" + Utf8(about->Caption()) + "\" focused"});
}

}  // namespace
