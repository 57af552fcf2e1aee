// The form toolkit's create event, double clicks routed to windowless
// controls, static text, and the time as text, against the real Win32 API.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/win_test_support.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/label.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/static_text.h"
#include "toolkit/win/time_text.h"

namespace {

// A form whose layout marks it visible, with a create handler given before
// its construction ends.
class CreatedForm : public TForm {
 public:
  CreatedForm(TComponent* owner, TNotifyEvent on_create) : TForm(owner) {
    SetBounds(40, 40, 240, 160);
    SetVisible(true);
    OnCreate = std::move(on_create);
    FinishConstruction();
  }
  const wchar_t* ClassName() const override { return L"TKelvoraCreatedForm"; }
};

TEST(FormCreate, RaisedOnceAfterTheLayoutAndBeforeTheFormShows) {
  int calls = 0;
  bool loading = true, handle = false, visible = true;
  CreatedForm* form = nullptr;
  form = new CreatedForm(Application, [&](TComponent* sender) {
    ++calls;
    auto* f = static_cast<TForm*>(sender);
    loading = f->Loading();
    handle = f->HandleAllocated();
    visible = IsWindowVisible(f->Handle()) != FALSE;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(loading);
  EXPECT_TRUE(handle);
  EXPECT_FALSE(visible);
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "shown after it, as its layout asks";
  delete form;
}

TEST(FormCreate, AFailingCreateHandlerIsReportedAndTheFormIsStillMade) {
  DialogWatcher watcher(IDOK);
  auto* form = new CreatedForm(Application, [](TComponent*) { throw Exception(L"create failed"); });
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"create failed.") << "the error box ends the message with a full stop";
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  delete form;
}

class PlainForm : public TForm {
 public:
  explicit PlainForm(TComponent* owner) : TForm(owner) {
    SetBounds(60, 60, 300, 200);
    FinishConstruction();
  }
  const wchar_t* ClassName() const override { return L"TKelvoraPlainForm"; }
};

void Post(HWND wnd, UINT msg, WPARAM keys, int x, int y) { PostMessageW(wnd, msg, keys, MAKELPARAM(x, y)); }

TEST(DoubleClick, TheParentRoutesItToTheWindowlessControlBeforeItsPress) {
  PlainForm form(nullptr);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(20, 20, 100, 80);
  std::vector<std::string> log;
  image->OnClick = [&](TComponent*) { log.push_back("click"); };
  image->OnDblClick = [&](TComponent* s) { log.push_back(s == image ? "double" : "double elsewhere"); };
  image->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState shift, int x, int y) {
    log.push_back((shift & ssDouble ? "press again " : "press ") + std::to_string(x) + "," + std::to_string(y));
  };
  form.OnDblClick = [&](TComponent*) { log.push_back("form double"); };
  form.Show();
  HWND wnd = form.Handle();
  EXPECT_TRUE(GetClassLongW(wnd, GCL_STYLE) & CS_DBLCLKS);
  Post(wnd, WM_LBUTTONDOWN, MK_LBUTTON, 30, 40);
  Post(wnd, WM_LBUTTONUP, 0, 30, 40);
  PumpFor(50);
  EXPECT_EQ(log, (std::vector<std::string>{"press 10,20", "click"})) << "a single click is no double click";
  log.clear();
  Post(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, 30, 40);
  Post(wnd, WM_LBUTTONUP, 0, 30, 40);
  PumpFor(50);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "double");
  EXPECT_EQ(log[1], "press again 10,20");
  log.clear();
  Post(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, 200, 150);
  PumpFor(50);
  EXPECT_EQ(log, (std::vector<std::string>{"form double"})) << "off the image, the form's own";
}

TEST(StaticText, TakesItsOwnClicksAndShowsItsParentsColour) {
  PlainForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 200, 150);
  panel->SetBevelOuter(TBevelCut::bvNone);
  panel->SetColor(clOlive);
  auto* text = new TStaticText(&form);
  text->SetParent(panel);
  text->SetBounds(10, 10, 19, 117);
  text->SetAutoSize(false);
  text->SetCaption(L"敬请关注");
  text->Font().SetColor(clRed);
  int panel_clicks = 0, text_clicks = 0;
  panel->OnClick = [&](TComponent*) { ++panel_clicks; };
  text->OnClick = [&](TComponent*) { ++text_clicks; };
  form.Show();
  ASSERT_TRUE(text->HandleAllocated());
  EXPECT_EQ(GetParent(text->Handle()), panel->Handle());
  EXPECT_EQ(text->Width(), 19) << "no auto size: the bounds stay";
  EXPECT_EQ(text->Height(), 117);
  Post(text->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  Post(text->Handle(), WM_LBUTTONUP, 0, 5, 5);
  PumpFor(100);
  EXPECT_EQ(text_clicks, 1);
  EXPECT_EQ(panel_clicks, 0);
  // Below the four characters its ground is the panel's olive.
  UpdateWindow(text->Handle());
  HDC dc = GetDC(text->Handle());
  const COLORREF ground = GetPixel(dc, 10, 110);
  ReleaseDC(text->Handle(), dc);
  EXPECT_EQ(ground, RGB(128, 128, 0));
  // With auto size it is as wide as its caption on one line.
  text->SetAutoSize(true);
  EXPECT_GT(text->Width(), 19 * 2);
  EXPECT_LT(text->Height(), 40);
}

TEST(TimeText, TheLocalesLongTimeFormat) {
  SYSTEMTIME t{};
  t.wYear = 2003;
  t.wMonth = 5;
  t.wDay = 17;
  t.wHour = 13;
  t.wMinute = 5;
  t.wSecond = 9;
  wchar_t expected[64] = {};
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, expected, 64);
  const std::wstring text = TimeToStr(t);
  EXPECT_EQ(text, expected);
  EXPECT_NE(text.find(L"05"), std::wstring::npos) << "minutes";
  EXPECT_NE(text.find(L"09"), std::wstring::npos) << "seconds, in the long format";
}

}  // namespace
