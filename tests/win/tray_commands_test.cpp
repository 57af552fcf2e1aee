// The intro window's tray commands that open windows or end the session,
// against the real Win32 API: which window each makes and who frees it, the
// power-off call (injected, never real), the form the tray menu brings to
// the foreground, and many openings in one process with nothing exhausted.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/shutdown/shutdown.h"
#include "forms/capture/form3.h"
#include "forms/capture/newform.h"
#include "forms/capture/screen_capture.h"
#include "forms/intro/form1.h"
#include "forms/settings/form4.h"
#include "forms/settings/form6.h"
#include "tests/support/bmp_test_files.h"
#include "tests/win/win_test_support.h"
#include "toolkit/forms/screen.h"

namespace fs = std::filesystem;

namespace {

// Counts the calls that would end the session, and refuses them.
class RecordingCalls : public SystemShutdownCalls {
 public:
  explicit RecordingCalls(std::vector<uint32_t>* flags) : flags_(flags) {}
  bool ExitWindowsEx(uint32_t flags, uint32_t) override {
    flags_->push_back(flags);
    return false;
  }

 private:
  std::vector<uint32_t>* flags_;
};

int FormsOfClass(const wchar_t* class_name) {
  int n = 0;
  for (TForm* f : Screen().Forms())
    if (std::wstring(f->ClassName()) == class_name) ++n;
  return n;
}

TForm* VisibleFormOfClass(const wchar_t* class_name) {
  for (TForm* f : Screen().Forms())
    if (std::wstring(f->ClassName()) == class_name && f->HandleAllocated() && IsWindowVisible(f->Handle()))
      return f;
  return nullptr;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int ThreadWindows() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n));
  return n;
}

// Closes the first visible window of the class once it is up, from a timer
// of the same thread, as the user's click on its close box would.
class Closer {
 public:
  explicit Closer(const wchar_t* class_name) : class_name_(class_name), timer_(nullptr) {
    timer_.SetInterval(1);
    timer_.OnTimer = [this](TComponent*) {
      if (TForm* f = VisibleFormOfClass(class_name_)) {
        ++closed_;
        PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
      }
    };
  }
  int Closed() const { return closed_; }

 private:
  const wchar_t* class_name_;
  TTimer timer_;
  int closed_ = 0;
};

class TrayCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm1(Application);
    if (!Form3) Form3 = new TForm3(Application);
    // A capture for the viewer, so that it opens without its message.
    kelvora_test::InfoFields fields;
    fields.width = 2;
    fields.height = 2;
    fields.bits = 24;
    fields.pixels.assign(16, 0x80);
    const kelvora_test::Bytes bytes = kelvora_test::InfoFile(fields);
    std::ofstream(kCaptureName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void TearDown() override {
    delete form;
    fs::remove(kCaptureName);
  }
  TForm1* form = nullptr;
};

TEST_F(TrayCommandsTest, ActiveFormIsTheLastActivatedEvenWhenHidden) {
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }));
  SetForegroundWindow(form->Handle());
  SetActiveWindow(form->Handle());
  ASSERT_TRUE(PumpUntil([&] { return Screen().ActiveForm() == form; }));
  // The display-time timer hides the banner: the tray menu must still find it.
  form->Timer1Timer(form->Timer1);
  ASSERT_FALSE(IsWindowVisible(form->Handle()));
  PumpFor(50);
  EXPECT_EQ(Screen().ActiveForm(), form) << "kept after the hide";
  EXPECT_EQ(GetActiveWindow() == form->Handle(), false) << "no longer the system's active window";
  delete form;
  form = nullptr;
  EXPECT_EQ(Screen().ActiveForm(), nullptr) << "forgotten with the form";
}

TEST_F(TrayCommandsTest, PowerOffAsksNothingAndCallsForAPowerOff) {
  EXPECT_EQ(form->Shutdown1->Flags, TShutdownFlags{sfPOWEROFF});
  // The real calls up to the end of the session, which is refused here.
  std::vector<uint32_t> asked;
  delete form->Shutdown1;
  form->Shutdown1 = new TShutdown(form, std::make_unique<RecordingCalls>(&asked));
  form->Shutdown1->Flags = {sfPOWEROFF};
  DialogWatcher watcher(IDOK);
  form->N12Click(form->N12);
  PumpFor(100);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], 8u) << "EWX_POWEROFF alone";
  EXPECT_TRUE(watcher.Seen().empty()) << "no question, and a refusal shows nothing";
}

TEST_F(TrayCommandsTest, RegionCaptureAndViewerBeforeTheirWindowsExistDoNothing) {
  // The tray menu works from the moment its icon is added: an error box of
  // the banner's start holds the start-up before the selector and the viewer
  // are made.
  TForm3* viewer = std::exchange(Form3, nullptr);
  TNewform* selector = std::exchange(Newform, nullptr);
  DialogWatcher watcher(IDOK);
  form->PopupMenu1Popup(form->PopupMenu1);
  form->PopupMenu1Close(form->N1);
  form->N1Click(form->N1);
  form->N10Click(form->N10);
  PumpFor(50);
  Form3 = viewer;
  Newform = selector;
  EXPECT_TRUE(watcher.Seen().empty()) << "no error, no window";
}

TEST_F(TrayCommandsTest, SettingsAndAboutAreNewWindowsEachTimeAndGoAfterwards) {
  {
    Closer closer(L"TForm4");
    form->N11Click(form->N11);
    EXPECT_EQ(closer.Closed(), 1);
  }
  // The settings window frees itself once its loop has ended.
  EXPECT_TRUE(PumpUntil([] { return FormsOfClass(L"TForm4") == 0; }));
  {
    Closer closer(L"TAboutBox");
    form->N3Click(form->N3);
    EXPECT_EQ(closer.Closed(), 1);
    // Destroyed by the command itself, before it returns.
    EXPECT_EQ(FormsOfClass(L"TAboutBox"), 0);
  }
}

TEST_F(TrayCommandsTest, FiveHundredOpeningsOfEachWindowExhaustNothing) {
  DialogWatcher watcher(IDOK);  // any error box would be answered, and seen
  int windows_before = 0;
  // The first round makes what the toolkit keeps once made (the hint
  // window, say); every later round must leave the count as it found it.
  for (int i = 0; i <= 500; ++i) {
    if (i == 1) {
      EXPECT_TRUE(PumpUntil([] { return FormsOfClass(L"TForm4") == 0; }));
      windows_before = ThreadWindows();
    }
    {
      Closer closer(L"TForm3");
      form->N10Click(form->N10);
      ASSERT_EQ(closer.Closed(), 1) << "viewer, opening " << i;
    }
    {
      Closer closer(L"TForm4");
      form->N11Click(form->N11);
      ASSERT_EQ(closer.Closed(), 1) << "settings, opening " << i;
    }
    {
      Closer closer(L"TAboutBox");
      form->N3Click(form->N3);
      ASSERT_EQ(closer.Closed(), 1) << "about box, opening " << i;
    }
  }
  EXPECT_TRUE(PumpUntil([] { return FormsOfClass(L"TForm4") == 0; }));
  EXPECT_TRUE(watcher.Seen().empty()) << watcher.Seen().size() << " error boxes";
  PumpFor(50);
  EXPECT_EQ(ThreadWindows(), windows_before) << "every window made was destroyed";
  // Still room for more: a window, a bitmap and a font can be made.
  auto* probe = new TForm4(form);
  EXPECT_TRUE(probe->HandleAllocated() || probe->Handle() != nullptr);
  delete probe;
  HDC dc = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 64);
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, dc);
}

}  // namespace
