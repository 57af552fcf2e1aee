#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/win/win_test_support.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/form.h"
#include "toolkit/win/callback_exception.h"
#include "toolkit/win/timer.h"
#include "toolkit/win/utility_window.h"

namespace {

class TestForm : public TForm {
 public:
  explicit TestForm(TComponent* owner) : TForm(owner) {
    SetBounds(10, 10, 200, 120);
    SetCaption(L"Modal test");
    FinishConstruction();
  }
  const wchar_t* ClassName() const override { return L"TKelvoraTestForm"; }
};

// Records its own destruction, and every removal it is told of.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name, std::vector<std::string>* log)
      : TComponent(owner), name_(std::move(name)), log_(log) {}
  ~Probe() override { log_->push_back("destroy " + name_); }
  TComponent* watched = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == watched) {
      log_->push_back(name_ + " told");
      watched = nullptr;
    }
  }

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

TEST(ModalLoop, EndsOnCloseAndKeepsTimersTicking) {
  auto* form = new TestForm(Application);
  int ticks = 0;
  TTimer ticker(nullptr);
  ticker.SetInterval(20);
  ticker.OnTimer = [&](TComponent*) {
    if (++ticks == 5) form->Close();
  };
  const TModalResult result = form->ShowModal();
  EXPECT_EQ(result, mrCancel);
  EXPECT_GE(ticks, 5);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  delete form;
}

TEST(ModalLoop, FreedFormIsDestroyedAfterItsLoopReturnsNotBefore) {
  std::vector<std::string> log;
  auto* form = new TestForm(Application);
  new Probe(form, "child", &log);
  form->OnClose = [](TComponent*, TCloseAction& a) { a = TCloseAction::caFree; };
  TTimer closer(nullptr);
  closer.SetInterval(30);
  closer.OnTimer = [&](TComponent*) {
    closer.SetEnabled(false);
    form->Close();
  };
  form->ShowModal();
  EXPECT_TRUE(log.empty()) << "freed inside its own modal loop";
  PumpUntil([&] { return !log.empty(); }, 2000);
  ASSERT_EQ(log, std::vector<std::string>{"destroy child"});
}

TEST(ModalLoop, CloseActionNoneKeepsTheFormOpen) {
  auto* form = new TestForm(Application);
  int refusals = 0;
  form->OnClose = [&](TComponent*, TCloseAction& a) {
    if (refusals++ < 2) a = TCloseAction::caNone;
  };
  TTimer closer(nullptr);
  closer.SetInterval(20);
  closer.OnTimer = [&](TComponent*) { form->Close(); };
  form->ShowModal();
  EXPECT_EQ(refusals, 3);
  delete form;
}

TEST(ModalLoop, ShowModalOfAVisibleFormIsRefused) {
  auto* form = new TestForm(Application);
  form->Show();
  try {
    form->ShowModal();
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Cannot make a visible window modal");
  }
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "the open window is not affected";
  delete form;
}

TEST(ErrorDisplay, ExceptionFromAHandlerShowsTheBoxAndTheLoopGoesOn) {
  DialogWatcher watcher(IDOK);
  auto* form = new TestForm(Application);
  form->Show();
  int ticks = 0;
  TTimer faulty(nullptr);
  faulty.SetInterval(20);
  faulty.OnTimer = [&](TComponent*) {
    ++ticks;
    if (ticks == 1) throw Exception(L"Boom");
    if (ticks == 2) throw Exception(L"Ends with a stop.");
    if (ticks == 3) throw 42;  // not one of the toolkit's exceptions
    if (ticks == 4) throw Exception(L"中文");
  };
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() >= 4 && ticks >= 6; }, 8000))
      << "boxes " << watcher.Seen().size() << " ticks " << ticks;
  // The boxes nest (the timer goes on ticking inside each one), so the
  // watcher may meet them in any order.
  const auto& seen = watcher.Seen();
  std::multiset<std::wstring> texts;
  for (const SeenDialog& d : seen) {
    texts.insert(d.text);
    EXPECT_EQ(d.caption, L"KelvoraTest");
    EXPECT_EQ(d.owner, Application->Handle());
  }
  EXPECT_EQ(texts, (std::multiset<std::wstring>{L"Boom.", L"Ends with a stop.", L"", L"中文."}));
  // The application's box disables the application's windows while it is up.
  bool form_disabled = false;
  for (const SeenDialog& d : seen)
    for (HWND w : d.disabled_while_up) form_disabled = form_disabled || w == form->Handle();
  EXPECT_TRUE(form_disabled);
  faulty.SetEnabled(false);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  delete form;
}

TEST(ErrorDisplay, ShowHandlerFailureIsShownAndTheFormStillShows) {
  DialogWatcher watcher(IDOK);
  auto* form = new TestForm(Application);
  form->OnShow = [](TComponent*) { throw ERegistryException(L"Invalid data type for 'X'"); };
  form->Show();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  ASSERT_EQ(watcher.Seen().size(), 1u);
  // The last character sorts before the full stop: no stop is added.
  EXPECT_EQ(watcher.Seen()[0].text, L"Invalid data type for 'X'");
  delete form;
}

// The window layer knows no application: what its trampoline catches goes to
// whichever handler is installed, and without one it stops there.
TEST(WindowLayer, TrampolineHandsWhatItCatchesToTheInstalledHandler) {
  std::vector<std::wstring> caught;
  const CallbackExceptionHandler application = SetCallbackExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      caught.push_back(ex.Message());
    }
  });
  auto window = AllocateHWnd([](UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (msg != WM_APP) return 0;
    handled = true;
    throw Exception(L"From the handler");
  });
  EXPECT_EQ(SendMessageW(window->Handle(), WM_APP, 0, 0), 0);
  EXPECT_EQ(caught, std::vector<std::wstring>{L"From the handler"});
  SetCallbackExceptionHandler(nullptr);
  EXPECT_EQ(SendMessageW(window->Handle(), WM_APP, 0, 0), 0) << "dropped, not unwound through the system";
  EXPECT_EQ(caught.size(), 1u);
  SetCallbackExceptionHandler(application);
  DeallocateHWnd(window);
}

TEST(Timer, ZeroIntervalNeverFiresAndDisabledTimersStayQuiet) {
  int zero = 0, disabled = 0, running = 0;
  TTimer t0(nullptr), t1(nullptr), t2(nullptr);
  t0.SetInterval(0);
  t0.OnTimer = [&](TComponent*) { ++zero; };
  t1.SetInterval(10);
  t1.SetEnabled(false);
  t1.OnTimer = [&](TComponent*) { ++disabled; };
  t2.SetInterval(10);
  t2.OnTimer = [&](TComponent*) { ++running; };
  PumpUntil([&] { return running >= 5; });
  EXPECT_EQ(zero, 0);
  EXPECT_EQ(disabled, 0);
  // Giving the zero-interval timer an interval starts it.
  t0.SetInterval(10);
  EXPECT_TRUE(PumpUntil([&] { return zero >= 2; }));
}

TEST(Components, OwnerDestroysLastCreatedFirstAndTellsListeners) {
  std::vector<std::string> log;
  auto* owner = new Probe(nullptr, "owner", &log);
  auto* a = new Probe(owner, "a", &log);
  auto* b = new Probe(owner, "b", &log);
  new Probe(owner, "c", &log);
  Probe outsider(nullptr, "outsider", &log);
  outsider.watched = a;
  outsider.FreeNotification(a);
  b->watched = a;  // a sibling hears through the owner
  delete owner;
  // b went before a, so only the outsider hears of a.
  EXPECT_EQ(log, (std::vector<std::string>{"destroy owner", "destroy c", "destroy b", "destroy a",
                                           "outsider told"}));
  EXPECT_EQ(outsider.watched, nullptr);
}

TEST(Components, SiblingsAreToldOfARemovalThroughTheOwner) {
  std::vector<std::string> log;
  Probe owner(nullptr, "owner", &log);
  auto* a = new Probe(&owner, "a", &log);
  auto* b = new Probe(&owner, "b", &log);
  b->watched = a;
  delete a;
  EXPECT_EQ(b->watched, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"destroy a", "b told"}));
  log.clear();
}

TEST(Application, FormVisibilityShowsTheApplicationWindowWhileAFormIsMarkedVisible) {
  auto* form = new TestForm(Application);
  form->Show();
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  ShowWindow(Application->Handle(), SW_HIDE);
  form->Hide();
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  delete form;
}

// The test prefix, like the run command's, must give every window the fonts
// it is drawn with: the caption buttons' symbols and the Chinese faces the
// layouts name. A face that is missing is silently replaced by another.
std::wstring FaceChosenFor(const wchar_t* face, BYTE charset, wchar_t probe, bool* has_glyph) {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, 0, 0, 0, 0, face);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t chosen[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, chosen);
  WORD index = 0xFFFF;
  GetGlyphIndicesW(dc, &probe, 1, &index, GGI_MARK_NONEXISTING_GLYPHS);
  *has_glyph = index != 0xFFFF;
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return chosen;
}

TEST(PrefixFonts, CaptionButtonSymbolsAndChineseFacesAreThere) {
  bool glyph = false;
  EXPECT_EQ(FaceChosenFor(L"Marlett", SYMBOL_CHARSET, L'r', &glyph), L"Marlett");
  EXPECT_TRUE(glyph) << "the close button's symbol";
  for (const wchar_t* face : {L"宋体", L"黑体", L"楷体_GB2312"}) {
    FaceChosenFor(face, GB2312_CHARSET, L'抓', &glyph);
    EXPECT_TRUE(glyph) << "a Chinese glyph in the face chosen for " << testing::PrintToString(std::wstring(face));
  }
}

}  // namespace
