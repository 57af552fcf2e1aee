// The farewell window and the about box as built from their layouts, against
// the real Win32 API: the fade and the clock by calling their handlers
// directly, closing by mouse messages inside their real modal loops.
#include <gtest/gtest.h>
#include <olectl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "forms/settings/about_box.h"
#include "forms/settings/form6.h"
#include "resources/resource_ids.h"
#include "tests/support/win_support.h"
#include "tests/win/win_test_support.h"
#include "tests/win/window_readback.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/dib.h"
#include "toolkit/graphics/metafile.h"

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
  EXPECT_EQ(readback::ClientSize(wnd), "321x234");
  EXPECT_FALSE(IsWindowVisible(wnd)) << "shown only by its creator";
  EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(LayeredAlpha(wnd), 0) << "invisible before the first tick";
  EXPECT_TRUE(GetClassLongW(wnd, GCL_STYLE) & CS_DBLCLKS);
  EXPECT_EQ(readback::Text(wnd), L"Form6");
  EXPECT_TRUE(readback::Children(wnd).empty()) << "the picture is drawn by the window itself";
  EXPECT_EQ(Form6->FadeCounter(), 0);
  EXPECT_TRUE(Form6->Timer1->Enabled());
  // What no window shows by itself: the picture's hint and cursor.
  EXPECT_EQ(Form6->Image1->Cursor(), crHandPoint);
  EXPECT_TRUE(Form6->Image1->ShowHint());
  EXPECT_EQ(Form6->Image1->HintText(), L"Orvak软件：这里是中国！( 双击立刻关闭此窗口.)");
}

// The flag as the window surface holds it: red to the right edge, the light
// yellow stars at the hoist, and below the 233 rows of the picture the one
// row of the window's own button-face colour.
TEST_F(FarewellTest, TheFlagFillsTheWindowButItsLastRow) {
  Form6 = new TForm6(Application);
  HWND wnd = Form6->Handle();
  Form6->Show();
  PumpFor(200);
  readback::ExpectCentredWithClient(wnd, 321, 234);

  const readback::Pixels flag(wnd);
  const COLORREF red = RGB(191, 0, 0), yellow = RGB(255, 255, 128), face = GetSysColor(COLOR_BTNFACE);
  for (const POINT p : {POINT{300, 200}, POINT{320, 100}, POINT{320, 232}, POINT{2, 230}, POINT{200, 0}})
    EXPECT_EQ(flag.At(p.x, p.y), red) << p.x << "," << p.y << ": " << std::hex << flag.At(p.x, p.y);
  EXPECT_EQ(flag.Count({0, 233, 321, 234}, face), 321) << "the row below the picture";
  EXPECT_EQ(flag.Count({0, 232, 321, 233}, face), 0) << "the picture's last row";
  EXPECT_GT(flag.Count({0, 0, 160, 117}, yellow), 200) << "the stars at the hoist";
  EXPECT_EQ(flag.Count({160, 0, 321, 234}, yellow), 0) << "and nowhere else";
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

// The studio picture as the system's own picture reader (OLE's, not ours)
// draws it into a width × height rectangle, pixel by pixel (0x00RRGGBB);
// empty when the system has no reader for it.
std::vector<DWORD> SystemDrawnStudioPicture(int width, int height) {
  using CoInit = HRESULT(WINAPI*)(LPVOID);
  using StreamOnHGlobal = HRESULT(WINAPI*)(HGLOBAL, BOOL, IStream**);
  using LoadPicture = HRESULT(WINAPI*)(IStream*, LONG, BOOL, REFIID, void**);
  HMODULE ole32 = LoadLibraryW(L"ole32.dll"), oleaut32 = LoadLibraryW(L"oleaut32.dll");
  if (!ole32 || !oleaut32) return {};
  auto co_initialize = reinterpret_cast<CoInit>(reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitialize")));
  auto stream_on_hglobal =
      reinterpret_cast<StreamOnHGlobal>(reinterpret_cast<void*>(GetProcAddress(ole32, "CreateStreamOnHGlobal")));
  auto load_picture =
      reinterpret_cast<LoadPicture>(reinterpret_cast<void*>(GetProcAddress(oleaut32, "OleLoadPicture")));
  if (!co_initialize || !stream_on_hglobal || !load_picture) return {};
  co_initialize(nullptr);
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_BANNER_JPEG), MAKEINTRESOURCEW(10));
  if (!found) return {};
  const DWORD size = SizeofResource(nullptr, found);
  const void* bytes = LockResource(LoadResource(nullptr, found));
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  memcpy(GlobalLock(copy), bytes, size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(stream_on_hglobal(copy, TRUE, &stream))) return {};
  IPicture* picture = nullptr;
  const HRESULT loaded = load_picture(stream, static_cast<LONG>(size), FALSE, __uuidof(IPicture),
                                      reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || !picture) return {};
  OLE_XSIZE_HIMETRIC himetric_width = 0;
  OLE_YSIZE_HIMETRIC himetric_height = 0;
  picture->get_Width(&himetric_width);
  picture->get_Height(&himetric_height);
  Dib32 drawn = CreateDib32(width, height);
  unique_hdc dc(CreateCompatibleDC(nullptr));
  std::vector<DWORD> pixels;
  if (drawn.bitmap && dc) {
    select_object picked(dc.get(), drawn.bitmap.get());
    // Whole pixels taken, not the default's black-on-white blend of them.
    SetStretchBltMode(dc.get(), COLORONCOLOR);
    picture->Render(dc.get(), 0, 0, width, height, 0, himetric_height, himetric_width, -himetric_height, nullptr);
    GdiFlush();
    pixels.assign(drawn.pixels, drawn.pixels + static_cast<size_t>(width) * height);
  }
  picture->Release();
  return pixels;
}

// How far what `drawn` shows at `left`, `top` is from a width × height
// picture (0x00RRGGBB pixels): the mean difference per colour channel of
// their averages over blocks of 8 × 8 pixels, so that two ways of sampling
// the same picture agree while two different pictures do not.
double MeanDifference(const readback::Pixels& drawn, int left, int top, const std::vector<DWORD>& picture, int width,
                      int height) {
  constexpr int kBlock = 8;
  double sum = 0;
  int blocks = 0;
  for (int by = 0; by + kBlock <= height; by += kBlock)
    for (int bx = 0; bx + kBlock <= width; bx += kBlock) {
      long d[3] = {}, p[3] = {};
      for (int y = by; y < by + kBlock; ++y)
        for (int x = bx; x < bx + kBlock; ++x) {
          const COLORREF c = drawn.At(left + x, top + y);
          const DWORD q = picture[static_cast<size_t>(y) * width + x];
          d[0] += GetRValue(c), d[1] += GetGValue(c), d[2] += GetBValue(c);
          p[0] += (q >> 16) & 0xFF, p[1] += (q >> 8) & 0xFF, p[2] += q & 0xFF;
        }
      for (int i = 0; i < 3; ++i) sum += std::abs(d[i] - p[i]) / double(kBlock * kBlock);
      ++blocks;
    }
  return sum / (3.0 * blocks);
}

// The box's window and child windows as Win32 reports them: the labels and
// pictures draw on the inner panel and have no windows of their own.
TEST_F(AboutBoxTest, TheBoxAndItsWindowsLieWhereTheyMust) {
  HWND wnd = box->Handle();
  EXPECT_EQ(readback::ClientSize(wnd), "350x160");
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(WindowCaption(wnd), L"=Orvak=伴你每时每刻");
  const std::vector<HWND> top = readback::Children(wnd);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(readback::Bounds(top[0]), "0,0,350,160");
  const std::vector<HWND> inner = readback::Children(top[0]);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(readback::Bounds(inner[0]), "8,16,329,129");
  HWND vertical = readback::Child(inner[0], L"敬请关注下期软件");
  ASSERT_NE(vertical, nullptr);
  EXPECT_EQ(readback::Bounds(vertical), "6,6,19,117") << "along the left, inside the bevels";
  EXPECT_EQ(readback::Children(inner[0]).size(), 1u);
  EXPECT_TRUE(box->Timer1->Enabled());

  box->Show();
  readback::ExpectCentredWithClient(wnd, 350, 160);
}

// The fonts the texts draw with, read from the GDI objects themselves.
TEST_F(AboutBoxTest, TheTextsDrawWithTheGivenFonts) {
  EXPECT_EQ(readback::FontOf(box->StaticText2->Font().Handle()), L"黑体/-13/700/134");
  EXPECT_EQ(readback::FontOf(box->ProductName->Font().Handle()), L"Arial Black/-12/700/0");
  EXPECT_EQ(readback::FontOf(box->Names->Font().Handle()), L"宋体/-14/400/134");
  EXPECT_EQ(readback::FontOf(box->Label1->Font().Handle()), L"宋体/-15/700/0");
  const std::wstring signature = readback::FontOf(box->Comments->Font().Handle());
  EXPECT_EQ(signature.rfind(L"楷体_GB2312/-13/400/", 0), 0u) << NarrowToUtf8(signature);
}

// What the shown box holds on its surfaces: the red margin, the inner
// panel's gradient colour, each text in its colour inside its own place,
// the studio picture stretched over exactly its rectangle and the two small
// icons inside theirs.
TEST_F(AboutBoxTest, ItsColoursTextsAndPicturesAsDrawn) {
  box->Show();
  PumpFor(200);
  HWND panel1 = readback::Children(box->Handle()).at(0);
  HWND panel2 = readback::Children(panel1).at(0);
  const COLORREF ground = GetSysColor(COLOR_GRADIENTACTIVECAPTION), blue = RGB(0, 0, 255),
                 olive = RGB(128, 128, 0);
  const readback::Pixels margin(panel1);
  EXPECT_EQ(margin.At(4, 150), RGB(255, 0, 0)) << std::hex << margin.At(4, 150);
  EXPECT_EQ(margin.At(345, 8), RGB(255, 0, 0)) << std::hex << margin.At(345, 8);

  const readback::Pixels inner(panel2);
  EXPECT_EQ(inner.At(180, 80), ground) << std::hex << inner.At(180, 80);
  EXPECT_GT(inner.Count({112, 8, 314, 25}, blue), 20) << "the product name";
  EXPECT_GT(inner.Count({200, 32, 312, 74}, olive), 5) << "the names";
  EXPECT_EQ(inner.Count({140, 32, 200, 74}, olive), 0) << "the names keep to their label";
  EXPECT_GT(inner.Count({137, 96, 248, 111}, blue), 20) << "the studio's name";
  EXPECT_EQ(inner.Count({140, 112, 245, 122}, blue), 0) << "and nothing below it";
  EXPECT_GT(inner.Count({265, 96, 313, 109}, blue), 0) << "the signature";

  const RECT studio = inner.Extent({26, 6, 110, 118}, ground, false);
  EXPECT_EQ(readback::Describe(studio), readback::Describe({32, 8, 105, 113})) << "73 × 105";
  // The whole picture, shrunk to the control, not its top-left corner: it
  // looks like the system's own drawing of it at that size, more than like
  // its drawing at its own size.
  const std::vector<DWORD> shrunk = SystemDrawnStudioPicture(73, 105);
  const std::vector<DWORD> own_size = SystemDrawnStudioPicture(130, 210);
  if (shrunk.empty() || own_size.empty()) {
    ADD_FAILURE() << "the system could not read the studio picture";
  } else {
    std::vector<DWORD> corner;
    for (int y = 0; y < 105; ++y)
      for (int x = 0; x < 73; ++x) corner.push_back(own_size[static_cast<size_t>(y) * 130 + x]);
    const double to_shrunk = MeanDifference(inner, 32, 8, shrunk, 73, 105);
    const double to_corner = MeanDifference(inner, 32, 8, corner, 73, 105);
    EXPECT_LT(to_shrunk, 12.0) << "against its corner: " << to_corner;
    EXPECT_LT(to_shrunk * 3, to_corner) << to_shrunk;
  }
  // Each icon is looked for a little beyond its place, except where a
  // neighbouring text begins: left of Image1 ends the studio's name.
  const struct {
    RECT icon;
    int margin_left;
  } icons[] = {{{120, 96, 137, 113}, 6}, {{248, 96, 265, 113}, 0}};
  for (const auto& [icon, margin_left] : icons) {
    const RECT around{icon.left - margin_left, icon.top - 6, icon.right - 1, icon.bottom + 6};
    const RECT drawn = inner.Extent(around, ground, false);
    EXPECT_GE(drawn.left, icon.left) << readback::Describe(drawn);
    EXPECT_GE(drawn.top, icon.top) << readback::Describe(drawn);
    EXPECT_LE(drawn.bottom, icon.top + 16) << readback::Describe(drawn);
    EXPECT_GT(drawn.right - drawn.left, 8) << readback::Describe(drawn);
  }
}

// The red text in its narrow column stands taller than it is wide: one
// character per line, eight lines.
TEST_F(AboutBoxTest, TheVerticalTextIsOneCharacterPerLine) {
  box->Show();
  PumpFor(200);
  HWND panel2 = readback::Children(readback::Children(box->Handle()).at(0)).at(0);
  const readback::Pixels column(readback::Child(panel2, L"敬请关注下期软件"));
  const RECT text = column.Extent({0, 0, 19, 117}, RGB(255, 0, 0));
  EXPECT_GE(text.bottom - text.top, 8 * 11) << readback::Describe(text);
  EXPECT_LE(text.right - text.left, 16) << readback::Describe(text);
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
