// The farewell window and the about box as built from their layouts, against
// the real Win32 API: the fade and the clock by calling their handlers
// directly, closing by mouse messages inside their real modal loops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/settings/about_box.h"
#include "forms/settings/form6.h"
#include "tests/win/win_test_support.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/metafile.h"
#include "toolkit/win/text.h"

namespace {

BYTE LayeredAlpha(HWND wnd) {
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return 0;
  return alpha;
}

void Click(HWND wnd, int x, int y) {
  PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void DoubleClick(HWND wnd, int x, int y) {
  Click(wnd, x, y);
  PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Steps run one after the other on a timer of this thread, so they run
// inside a modal loop started after them.
class Script {
 public:
  explicit Script(std::vector<std::function<void()>> steps, unsigned interval = 150)
      : steps_(std::move(steps)), timer_(nullptr) {
    timer_.SetInterval(interval);
    timer_.OnTimer = [this](TComponent*) {
      if (next_ < steps_.size()) steps_[next_++]();
    };
  }
  size_t Done() const { return next_; }

 private:
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  TTimer timer_;
};

// With KELVORA_WIN_SHOTS set to a folder, saves what the screen shows of the
// window there as a BMP, to be looked at.
void SaveScreenShot(HWND wnd, const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"KELVORA_WIN_SHOTS", folder, MAX_PATH)) return;
  RECT r;
  GetWindowRect(wnd, &r);
  TBitmap shot;
  shot.SetPixelFormat(TPixelFormat::pf24bit);
  shot.SetWidth(r.right - r.left);
  shot.SetHeight(r.bottom - r.top);
  window_dc screen(nullptr);
  BitBlt(shot.Canvas().Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen.get(), r.left, r.top, SRCCOPY);
  shot.SaveToFile(std::wstring(folder) + L"\\" + name + L".bmp");
}

// ---- the farewell window ----

class FarewellTest : public testing::Test {
 protected:
  void TearDown() override {
    delete Form6;
    ASSERT_EQ(Form6, nullptr);
  }
};

TEST_F(FarewellTest, ABorderlessTopmostInvisibleFlag) {
  Form6 = new TForm6(Application);
  HWND wnd = Form6->Handle();
  RECT client;
  GetClientRect(wnd, &client);
  EXPECT_EQ(client.right, 321);
  EXPECT_EQ(client.bottom, 234);
  EXPECT_FALSE(IsWindowVisible(wnd)) << "shown only by its creator";
  EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(LayeredAlpha(wnd), 0) << "invisible before the first tick";
  EXPECT_TRUE(GetClassLongW(wnd, GCL_STYLE) & CS_DBLCLKS);
  wchar_t caption[32] = {};
  GetWindowTextW(wnd, caption, 32);
  EXPECT_STREQ(caption, L"Form6");
  EXPECT_EQ(Form6->FadeCounter(), 0);
  EXPECT_EQ(Form6->Timer1->Interval(), 40u);
  EXPECT_TRUE(Form6->Timer1->Enabled());
  const RECT image = Form6->Image1->BoundsRect();
  EXPECT_EQ(image.left, 0);
  EXPECT_EQ(image.top, 0);
  EXPECT_EQ(image.right, 321);
  EXPECT_EQ(image.bottom, 233);
  EXPECT_NE(dynamic_cast<TMetafile*>(Form6->Image1->Picture().Graphic()), nullptr);
  EXPECT_EQ(Form6->Image1->Cursor(), crHandPoint);
  EXPECT_TRUE(Form6->Image1->ShowHint());
  EXPECT_EQ(Form6->Image1->HintText(), L"Orvak软件：这里是中国！( 双击立刻关闭此窗口.)");
}

TEST_F(FarewellTest, EachTickRaisesTheAlphaByOneAndThe255thClosesAndFreesIt) {
  Form6 = new TForm6(Application);
  HWND wnd = Form6->Handle();
  int closes = 0;
  const TCloseEvent close = Form6->OnClose;
  Form6->OnClose = [&](TComponent* s, TCloseAction& a) {
    ++closes;
    close(s, a);
    EXPECT_EQ(a, TCloseAction::caFree);
  };
  for (int tick = 1; tick < 255; ++tick) {
    Form6->Timer1Timer(Form6->Timer1);
    ASSERT_EQ(Form6->FadeCounter(), tick);
    ASSERT_EQ(Form6->AlphaBlendValue(), tick);
    ASSERT_EQ(LayeredAlpha(wnd), tick);
    ASSERT_TRUE(Form6->Timer1->Enabled());
    ASSERT_EQ(closes, 0) << "tick " << tick;
  }
  Form6->Timer1Timer(Form6->Timer1);
  EXPECT_EQ(LayeredAlpha(wnd), 255);
  EXPECT_FALSE(Form6->Timer1->Enabled());
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(PumpUntil([&] { return Form6 == nullptr; }, 2000)) << "freed after closing";
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FarewellTest, ADoubleClickClosesAtOnceAndASingleClickDoesNothing) {
  Form6 = new TForm6(Application);
  HWND wnd = Form6->Handle();
  bool open_after_click = false;
  int counter_at_double_click = -1;
  Script script({
      [&] { Click(wnd, 100, 100); },
      [&] { open_after_click = IsWindowVisible(wnd) && Form6 && Form6->Modal(); },
      [&] {
        counter_at_double_click = Form6->FadeCounter();
        DoubleClick(wnd, 160, 120);
      },
  });
  const DWORD began = GetTickCount();
  EXPECT_EQ(Form6->ShowModal(), mrCancel);
  const DWORD took = GetTickCount() - began;
  EXPECT_TRUE(open_after_click);
  EXPECT_EQ(script.Done(), 3u);
  EXPECT_LT(took, 3000u) << "closed at the double click, not by the fade";
  EXPECT_GT(counter_at_double_click, 0);
  EXPECT_LT(counter_at_double_click, 255);
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_TRUE(PumpUntil([&] { return Form6 == nullptr; }, 2000)) << "freed after closing";
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FarewellTest, WithoutInputItFadesInAndClosesAtFullOpacity) {
  Form6 = new TForm6(Application);
  HWND wnd = Form6->Handle();
  TForm6* form = Form6;
  std::vector<int> seen;
  RECT where{};
  // Samples the fade while the modal loop runs, and keeps a picture of it.
  Script script({[&] {
                   GetWindowRect(wnd, &where);
                   form->SetAlphaBlendValue(255);  // only for the picture: no compositor here
                   SaveScreenShot(wnd, L"farewell");
                   form->SetAlphaBlendValue(static_cast<BYTE>(form->FadeCounter()));
                 },
                 [&] { seen.push_back(LayeredAlpha(wnd)); }, [&] { seen.push_back(LayeredAlpha(wnd)); }},
                1000);
  const DWORD began = GetTickCount();
  EXPECT_EQ(form->ShowModal(), mrCancel);
  const DWORD took = GetTickCount() - began;
  EXPECT_GE(took, 255u * 40 - 200) << "255 ticks of 40 ms";
  EXPECT_LT(took, 30000u);
  EXPECT_EQ(form->FadeCounter(), 255);
  EXPECT_EQ(where.left, (GetSystemMetrics(SM_CXSCREEN) - 321) / 2);
  EXPECT_EQ(where.top, (GetSystemMetrics(SM_CYSCREEN) - 234) / 2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], seen[0]);
  EXPECT_LT(seen[1], 255);
  EXPECT_TRUE(PumpUntil([&] { return Form6 == nullptr; }, 2000));
}

// ---- the about box ----

std::wstring TimeText(const SYSTEMTIME& t) {
  wchar_t text[128] = {};
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, text, 128);
  return text;
}

std::wstring WindowCaption(HWND wnd) {
  wchar_t text[256] = {};
  GetWindowTextW(wnd, text, 256);
  return text;
}

class AboutBoxTest : public testing::Test {
 protected:
  void SetUp() override { box = new TAboutBox(Application); }
  void TearDown() override { delete box; }
  TAboutBox* box = nullptr;
};

TEST_F(AboutBoxTest, LayoutAsDesigned) {
  HWND wnd = box->Handle();
  RECT client;
  GetClientRect(wnd, &client);
  EXPECT_EQ(client.right, 350);
  EXPECT_EQ(client.bottom, 160);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(WindowCaption(wnd), L"=Orvak=伴你每时每刻");
  EXPECT_EQ(box->Panel1->Color(), clRed);
  EXPECT_EQ(box->Panel1->Width(), 350);
  EXPECT_EQ(box->Panel1->Height(), 160);
  EXPECT_EQ(box->Panel2->Color(), clGradientActiveCaption);
  const RECT p2 = box->Panel2->BoundsRect();
  EXPECT_EQ(p2.left, 8);
  EXPECT_EQ(p2.top, 16);
  EXPECT_EQ(p2.right - p2.left, 329);
  EXPECT_EQ(p2.bottom - p2.top, 129);
  EXPECT_EQ(box->Panel2->BevelInner(), TBevelCut::bvRaised);
  EXPECT_EQ(box->Panel2->BevelOuter(), TBevelCut::bvLowered);
  EXPECT_EQ(box->Panel2->BevelWidth(), 3);
  // The vertical text lies along the left inside the bevels.
  const RECT st = box->StaticText2->BoundsRect();
  EXPECT_EQ(st.left, 6);
  EXPECT_EQ(st.top, 6);
  EXPECT_EQ(st.right - st.left, 19);
  EXPECT_EQ(st.bottom - st.top, 117);
  ASSERT_TRUE(box->StaticText2->HandleAllocated());
  EXPECT_EQ(GetParent(box->StaticText2->Handle()), box->Panel2->Handle());
  EXPECT_EQ(box->StaticText2->Caption(), L"敬请关注下期软件");
  EXPECT_EQ(box->ProductName->Caption(), L"  Orvak Software Workroom");
  EXPECT_EQ(box->Label1->Caption(), L"Orvak软件工作室");
  EXPECT_EQ(box->ProductName->Font().Color(), clBlue);
  EXPECT_EQ(box->Names->Font().Color(), clOlive);
  EXPECT_TRUE(box->ProgramIcon->Stretch());
  EXPECT_EQ(box->Image1->Picture().Width(), 16);
  EXPECT_EQ(box->Image2->Picture().Width(), 16);
  EXPECT_EQ(box->Timer1->Interval(), 1000u);
  EXPECT_TRUE(box->Timer1->Enabled());
}

TEST_F(AboutBoxTest, TheVerticalTextIsOneCharacterPerLine) {
  window_dc screen(nullptr);
  select_object font(screen.get(), box->StaticText2->Font().Handle());
  const std::vector<std::wstring> lines =
      TLabel::WrapLines(screen.get(), box->StaticText2->Caption(), box->StaticText2->Width());
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"敬", L"请", L"关", L"注", L"下", L"期", L"软", L"件"}));
}

TEST_F(AboutBoxTest, EachTickShowsTheLocalTimeBetweenTheTwoTexts) {
  HWND wnd = box->Handle();
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  box->Timer1Timer(box->Timer1);
  GetLocalTime(&after);
  const std::wstring caption = WindowCaption(wnd);
  const std::wstring head = L"=Orvak=伴你每时每刻", tail = L"*^_^*";
  EXPECT_TRUE(caption == head + TimeText(before) + tail || caption == head + TimeText(after) + tail)
      << NarrowToUtf8(caption);
  EXPECT_EQ(box->Caption(), caption);
}

TEST_F(AboutBoxTest, LabelsPicturesAndTheVerticalTextKeepItOpen) {
  HWND panel2 = box->Panel2->Handle();
  HWND text = box->StaticText2->Handle();
  const auto centre = [](TControl* c) { return POINT{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2}; };
  std::vector<bool> open;
  std::vector<std::function<void()>> steps;
  for (TControl* c : std::vector<TControl*>{box->ProductName, box->Names, box->Comments, box->Label1,
                                            box->ProgramIcon, box->Image1, box->Image2}) {
    steps.push_back([&, c] {
      const POINT p = centre(c);
      Click(panel2, p.x, p.y);
    });
    steps.push_back([&] { open.push_back(box->Modal()); });
  }
  steps.push_back([&] { Click(text, 5, 30); });
  steps.push_back([&] { open.push_back(box->Modal()); });
  steps.push_back([&] { SaveScreenShot(box->Handle(), L"about_box"); });
  steps.push_back([&] { box->Close(); });
  Script script(steps, 100);
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(open, std::vector<bool>(8, true));
  EXPECT_EQ(script.Done(), steps.size());
}

TEST_F(AboutBoxTest, AClickOnTheInnerPanelsGroundClosesIt) {
  HWND panel2 = box->Panel2->Handle();
  Script script({[&] { Click(panel2, 180, 80); }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(script.Done(), 1u);
  EXPECT_FALSE(IsWindowVisible(box->Handle()));
}

TEST_F(AboutBoxTest, AClickOnTheRedMarginClosesIt) {
  HWND panel1 = box->Panel1->Handle();
  Script script({[&] { Click(panel1, 4, 150); }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(script.Done(), 1u);
}

TEST_F(AboutBoxTest, TheCloseBoxClosesItAndTheClockRunsWhileOpen) {
  HWND wnd = box->Handle();
  std::wstring shown;
  Script script({[&] { shown = WindowCaption(wnd); }, [&] { PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
                1300);
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(shown.rfind(L"=Orvak=伴你每时每刻", 0), 0u);
  EXPECT_GT(shown.size(), std::wstring(L"=Orvak=伴你每时每刻*^_^*").size()) << "the time after the first second";
  EXPECT_EQ(shown.substr(shown.size() - 5), L"*^_^*");
}

TEST(AboutBoxOpenings, EachOpeningStartsFromThePlainCaption) {
  for (int i = 0; i < 2; ++i) {
    auto* box = new TAboutBox(Application);
    EXPECT_EQ(WindowCaption(box->Handle()), L"=Orvak=伴你每时每刻");
    box->Timer1Timer(box->Timer1);
    EXPECT_NE(WindowCaption(box->Handle()), L"=Orvak=伴你每时每刻");
    delete box;
  }
}

}  // namespace
