// The region selector on a real window: the mouse messages a user's press,
// drag and release send it, delivered while it runs modally, and the pixels
// its rubber band leaves on the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "forms/capture/newform.h"
#include "tests/win/screen_pixels.h"
#include "tests/win/win_test_support.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/timer.h"

namespace {

LPARAM Point(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

void Press(HWND w, int x, int y) { SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }
void MoveTo(HWND w, int x, int y) { SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y)); }
void Release(HWND w, int x, int y) { SendMessageW(w, WM_LBUTTONUP, 0, Point(x, y)); }

std::string Describe(const RECT& r) {
  std::ostringstream s;
  s << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
  return s.str();
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A window of another thread with a child that repaints late, as the
// taskbar's notification area repaints its icons after the taskbar: once
// changed, the thread answers sent messages at once but holds its paints
// until 100 ms after the first message the capture's wait sends it.
class LateChildPainter {
 public:
  LateChildPainter(const RECT& where, Rgb colour) : colour_(colour) {
    thread_ = std::thread([this, where] { Run(where); });
    while (!ready_) Sleep(1);
    PumpFor(300);  // until Wine has the painted window on the screen
  }
  ~LateChildPainter() {
    SendMessageW(top_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  void Change(Rgb colour) { SendMessageW(top_, WM_APP, colour, 0); }

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<LateChildPainter*>(GetWindowLongPtrW(GetAncestor(wnd, GA_ROOT), GWLP_USERDATA));
    if (msg == WM_NULL && self && self->holding_ && !self->asked_at_) self->asked_at_ = GetTickCount();
    if (msg == WM_APP) {
      self->colour_ = static_cast<Rgb>(wp);
      self->holding_ = true;
      self->asked_at_ = 0;
      InvalidateRect(self->child_, nullptr, FALSE);
    }
    if (msg == WM_DESTROY && wnd == self->top_) {
      self->holding_ = false;
      PostQuitMessage(0);
    }
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT || !self) return DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    const BYTE r = self->colour_ >> 16, g = self->colour_ >> 8, b = self->colour_;
    unique_hbrush brush(CreateSolidBrush(wnd == self->child_ ? RGB(r, g, b) : RGB(0, 0, 0)));
    FillRect(dc, &ps.rcPaint, brush.get());
    EndPaint(wnd, &ps);
    return 0;
  }

  void Run(const RECT& where) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KelvoraTestLatePainter";
    RegisterClassW(&wc);
    top_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, where.left, where.top,
                           where.right - where.left, where.bottom - where.top, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(top_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    child_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, where.right - where.left,
                                 where.bottom - where.top, top_, nullptr, wc.hInstance, nullptr);
    ShowWindow(top_, SW_SHOWNOACTIVATE);
    UpdateWindow(top_);
    ready_ = true;
    MSG m;
    for (;;) {
      if (holding_) {
        // A filter no message matches still delivers the sent ones.
        PeekMessageW(&m, nullptr, WM_APP + 1, WM_APP + 1, PM_NOREMOVE);
        if (asked_at_ && GetTickCount() - asked_at_ > 100) holding_ = false;
        Sleep(1);
        continue;
      }
      if (GetMessageW(&m, nullptr, 0, 0) <= 0) break;
      // A paint held comes again while its region is there.
      if (m.message != WM_PAINT || !holding_) DispatchMessageW(&m);
    }
  }

  Rgb colour_;
  std::thread thread_;
  HWND top_ = nullptr;
  HWND child_ = nullptr;
  std::atomic<bool> ready_ = false, holding_ = false;
  std::atomic<DWORD> asked_at_ = 0;
};

class SelectorTest : public testing::Test {
 protected:
  void SetUp() override {
    form = new TNewform(Application);
    width = Screen().Width();
    height = Screen().Height();
  }
  void TearDown() override { delete form; }

  RECT Sel() const {
    RECT r;
    form->GetSelRect(r);
    return r;
  }

  // Shows the selector modally and runs one step per timer tick inside its
  // modal loop, as a user's messages would arrive there. Answers how many
  // steps ran before ShowModal returned.
  size_t RunModal(const std::vector<std::function<void(HWND)>>& steps) {
    size_t next = 0;
    TTimer ticker(nullptr);
    ticker.SetInterval(40);
    ticker.OnTimer = [&](TComponent*) {
      if (next < steps.size()) steps[next++](form->Handle());
    };
    TTimer guard(nullptr);
    guard.SetInterval(20000);
    guard.OnTimer = [&](TComponent*) {
      guard.SetEnabled(false);
      ADD_FAILURE() << "the selector did not close on the release";
      form->Close();
    };
    form->ShowModal();
    return next;
  }

  // The window as it shows now.
  std::vector<Rgb> Pixels() const { return ReadWindowPixels(form->Handle(), width, height); }

  // The selector shown, painted and read once, then released.
  std::vector<Rgb> ShownPicture() {
    std::vector<Rgb> shown;
    RunModal({[&](HWND w) {
                UpdateWindow(w);
                shown = Pixels();
              },
              [](HWND w) { Release(w, 0, 0); }});
    return shown;
  }

  // The pixels of `where` in `shown` that differ from `colour`.
  int WrongIn(const std::vector<Rgb>& shown, const RECT& where, const std::function<Rgb(int, int)>& colour) const {
    int wrong = 0;
    for (int y = 0; y < where.bottom - where.top; ++y)
      for (int x = 0; x < where.right - where.left; ++x)
        wrong += shown.at(static_cast<size_t>(where.top + y) * width + where.left + x) != colour(x, y);
    return wrong;
  }

  // The still picture with exactly one band inverted: the outline GDI's
  // Rectangle draws with a one-pixel pen for `band` (corners in any order,
  // right and bottom edges excluded); an empty band inverts nothing.
  void ExpectOnlyBand(const std::vector<Rgb>& still, const std::vector<Rgb>& now, const RECT& band) const {
    const int l = std::min(band.left, band.right), r = std::max(band.left, band.right);
    const int t = std::min(band.top, band.bottom), b = std::max(band.top, band.bottom);
    auto on_band = [&](int x, int y) {
      if (r - l < 1 || b - t < 1 || x < l || x >= r || y < t || y >= b) return false;
      return x == l || x == r - 1 || y == t || y == b - 1;
    };
    int wrong = 0, inverted = 0;
    std::ostringstream first;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const size_t i = static_cast<size_t>(y) * width + x;
        const Rgb want = on_band(x, y) ? (~still[i] & 0xFFFFFF) : still[i];
        if (now[i] != still[i]) ++inverted;
        if (now[i] != want && ++wrong <= 5)
          first << " (" << x << ", " << y << "): " << std::hex << now[i] << " not " << want << std::dec;
      }
    }
    EXPECT_EQ(wrong, 0) << "band " << Describe(band) << ", " << inverted << " pixels changed;" << first.str();
  }

  TNewform* form = nullptr;
  int width = 0, height = 0;
};

TEST_F(SelectorTest, CoversThePrimaryScreenBorderlessAndHidden) {
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_TRUE(SameRect(r, RECT{0, 0, width, height})) << Describe(r);
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(SameRect(Sel(), RECT{0, 0, 0, 0})) << "all zeros before the first drag";
}

TEST_F(SelectorTest, ShowsTheScreenAsItWasBeneathIt) {
  const RECT where{30, 40, 30 + 64, 40 + 48};
  const auto colour = [](int x, int y) { return MakeRgb(x * 4, y * 5, 0x80 + x - y); };
  PatternWindow pattern(where, colour);
  const std::vector<Rgb> shown = ShownPicture();
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  EXPECT_EQ(WrongIn(shown, where, colour), 0) << "the still picture shows the pattern window beneath the selector";
}

// The tray menu prepares the still picture while the user chooses: what it
// shows is still the screen at the showing, and a menu opened while the
// selector is up (the tray stays usable) leaves the shown picture alone.
TEST_F(SelectorTest, APreparedStillPictureIsTakenAtTheShowingAndKeptWhileShown) {
  form->PrepareStill();
  const RECT where{50, 60, 50 + 40, 60 + 30};
  const auto colour = [](int x, int y) { return MakeRgb(0x20 + x * 5, 0xF0 - y * 6, x * y); };
  PatternWindow pattern(where, colour);
  const auto wrong_in = [&](const std::vector<Rgb>& shown) {
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        wrong += shown.at(static_cast<size_t>(where.top + y) * width + where.left + x) != colour(x, y);
    return wrong;
  };
  std::vector<Rgb> shown, repainted;
  RunModal({[&](HWND w) {
              UpdateWindow(w);
              shown = Pixels();
              form->PrepareStill();
              form->DropStill();
              {
                // Something else over the picture, for the repaint to undo.
                window_dc dc(w);
                FillRect(dc.get(), &where, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
              }
              RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
              repainted = Pixels();
            },
            [](HWND w) { Release(w, 0, 0); }});
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  EXPECT_EQ(wrong_in(shown), 0) << "the pattern that came up after the picture was prepared";
  ASSERT_EQ(repainted.size(), shown.size());
  EXPECT_EQ(wrong_in(repainted), 0) << "repainted after a menu's prepare and drop";
  EXPECT_EQ(repainted, shown);
}

// The rest of the screen is copied at once; where the tray menu was, the
// picture waits for what lay under the menu to repaint.
TEST_F(SelectorTest, TheMenusPlaceIsTakenOnceWhatLayUnderItHasRepainted) {
  const RECT where{60, 70, 60 + 40, 70 + 30};
  const auto after = [](int x, int y) { return MakeRgb(0xF0 - x * 3, 0x10 + y * 7, 0x55); };
  PatternWindow pattern(where, [](int, int) { return MakeRgb(0, 0, 0xFF); });
  pattern.Change(after);
  form->SetMenuArea(RECT{where.left + 10, where.top + 5, where.left + 20, where.top + 15});
  const std::vector<Rgb> shown = ShownPicture();
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  EXPECT_EQ(WrongIn(shown, where, after), 0) << "the window under the menu as it was before it repainted";
}

// A child of another thread's window under the menu may repaint after its
// parent has answered: the menu's place waits for it too.
TEST_F(SelectorTest, TheMenusPlaceWaitsForAChildOfAnotherThreadToRepaint) {
  const RECT where{120, 70, 120 + 40, 70 + 30};
  LateChildPainter painter(where, MakeRgb(0, 0, 0xFF));
  painter.Change(MakeRgb(0xF0, 0x80, 0x10));
  form->SetMenuArea(where);
  const std::vector<Rgb> shown = ShownPicture();
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  EXPECT_EQ(WrongIn(shown, where, [](int, int) { return MakeRgb(0xF0, 0x80, 0x10); }), 0)
      << "the child as it was before it repainted";
}

TEST_F(SelectorTest, DragKeepsExactlyOneBandAndRecordsTheRectangleAsDragged) {
  const RECT before = Sel();
  std::vector<Rgb> still;
  HWND captured_at_press = nullptr;
  std::vector<RECT> seen;
  const std::vector<std::function<void(HWND)>> steps = {
      [&](HWND w) {
        UpdateWindow(w);
        still = Pixels();
      },
      // Moves before any press are swallowed.
      [&](HWND w) {
        MoveTo(w, 300, 200);
        MoveTo(w, 310, 220);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{0, 0, 0, 0});
      },
      [&](HWND w) {
        Press(w, 100, 80);
        captured_at_press = GetCapture();
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{0, 0, 0, 0});
      },
      [&](HWND w) {
        MoveTo(w, 200, 150);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{100, 80, 200, 150});
      },
      [&](HWND w) {
        MoveTo(w, 250, 120);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{100, 80, 250, 120});
      },
      // Up and to the left of the press point.
      [&](HWND w) {
        MoveTo(w, 40, 30);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{100, 80, 40, 30});
      },
      // Left of and above the screen, as mouse capture delivers it.
      [&](HWND w) {
        MoveTo(w, -20, -10);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{100, 80, -20, -10});
      },
      [&](HWND w) {
        MoveTo(w, 160, 140);
        seen.push_back(Sel());
        ExpectOnlyBand(still, Pixels(), RECT{100, 80, 160, 140});
      },
      // The release point is not recorded.
      [&](HWND w) { Release(w, 500, 400); },
      [](HWND) { ADD_FAILURE() << "still running after the release"; },
  };
  EXPECT_EQ(RunModal(steps), steps.size() - 1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(GetCapture(), nullptr) << "the release gives the mouse back";
  EXPECT_EQ(captured_at_press, form->Handle()) << "the press captures the mouse";
  const std::vector<RECT> want = {before,
                                  {100, 80, 100, 80},
                                  {100, 80, 200, 150},
                                  {100, 80, 250, 120},
                                  {100, 80, 40, 30},
                                  {100, 80, -20, -10},
                                  {100, 80, 160, 140}};
  ASSERT_EQ(seen.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_TRUE(SameRect(seen[i], want[i])) << "step " << i << ": " << Describe(seen[i]) << " not "
                                            << Describe(want[i]);
  EXPECT_TRUE(SameRect(Sel(), RECT{100, 80, 160, 140})) << Describe(Sel());
}

TEST_F(SelectorTest, PressAndReleaseWithoutMoveGiveAnEmptyRectangleAtThePressPoint) {
  std::vector<Rgb> still;
  RunModal({[&](HWND w) {
              UpdateWindow(w);
              still = Pixels();
            },
            [&](HWND w) {
              Press(w, 321, 123);
              ExpectOnlyBand(still, Pixels(), RECT{0, 0, 0, 0});
            },
            [](HWND w) { Release(w, 321, 123); }});
  EXPECT_TRUE(SameRect(Sel(), RECT{321, 123, 321, 123})) << Describe(Sel());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(SelectorTest, TheRectangleSurvivesUntilTheNextPress) {
  RunModal({[](HWND w) { Press(w, 10, 20); }, [](HWND w) { MoveTo(w, 60, 70); },
            [](HWND w) { Release(w, 60, 70); }});
  ASSERT_TRUE(SameRect(Sel(), RECT{10, 20, 60, 70})) << Describe(Sel());
  // A second showing: moves without a press and a release alone change nothing.
  std::vector<Rgb> still;
  RunModal({[&](HWND w) {
              UpdateWindow(w);
              still = Pixels();
            },
            [&](HWND w) {
              MoveTo(w, 200, 200);
              ExpectOnlyBand(still, Pixels(), RECT{0, 0, 0, 0});
            },
            [](HWND w) { Release(w, 200, 200); }});
  EXPECT_TRUE(SameRect(Sel(), RECT{10, 20, 60, 70})) << Describe(Sel());
  // After a release the flags are down: a move on the next showing draws nothing.
  RunModal({[&](HWND w) {
              UpdateWindow(w);
              still = Pixels();
            },
            [&](HWND w) {
              MoveTo(w, 90, 90);
              ExpectOnlyBand(still, Pixels(), RECT{0, 0, 0, 0});
            },
            [](HWND w) { Release(w, 90, 90); }});
  EXPECT_TRUE(SameRect(Sel(), RECT{10, 20, 60, 70})) << Describe(Sel());
}

// The display changed while the program runs (a monitor plugged in or
// removed, another resolution): the selector covers the screen as it is now,
// not as it was at start-up.
TEST_F(SelectorTest, FollowsAChangeOfTheDisplay) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  // Temporary: the registry keeps the session's own mode.
  ASSERT_EQ(ChangeDisplaySettingsExW(nullptr, &mode, nullptr, CDS_FULLSCREEN, nullptr), DISP_CHANGE_SUCCESSFUL);
  struct Restore {
    ~Restore() { ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr); }
  } restore;
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  RECT r;
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowRect(form->Handle(), &r);
    return SameRect(r, RECT{0, 0, 800, 600});
  })) << "on the display's change: " << Describe(r);
  RECT shown{};
  RunModal({[&](HWND w) {
              GetWindowRect(w, &shown);
              Press(w, 790, 590);
            },
            [](HWND w) { MoveTo(w, 700, 500); }, [](HWND w) { Release(w, 700, 500); }});
  EXPECT_TRUE(SameRect(shown, RECT{0, 0, 800, 600})) << "when shown: " << Describe(shown);
  EXPECT_TRUE(SameRect(Sel(), RECT{790, 590, 700, 500})) << Describe(Sel());

  ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
  RunModal({[&](HWND w) {
              GetWindowRect(w, &shown);
              Release(w, 0, 0);
            }});
  EXPECT_TRUE(SameRect(shown, RECT{0, 0, width, height})) << "back: " << Describe(shown);
}

TEST_F(SelectorTest, ShowingItWhileItIsUpIsRefused) {
  std::wstring refused;
  RunModal({[&](HWND w) {
              try {
                form->ShowModal();
              } catch (const Exception& e) {
                refused = e.Message();
              }
              Release(w, 0, 0);
            }});
  EXPECT_EQ(refused, L"Cannot make a visible window modal");
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

}  // namespace
