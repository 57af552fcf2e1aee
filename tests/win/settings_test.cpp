// The settings window as built from its layout, against the real Win32 API
// and the registry of the test prefix: its look, its show handler's reading
// and write-backs, the clicks that store, the done button, and the errors
// the application's error display shows.
#include <gtest/gtest.h>
#include <aclapi.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/win_support.h"
#include "tests/win/settings_fixture.h"
#include "tests/win/window_readback.h"

namespace {

using namespace settings_fixture;

// Records when the component it watches is removed.
class Watch : public TComponent {
 public:
  explicit Watch(TComponent* watched) : TComponent(nullptr) { FreeNotification(watched); }
  bool removed = false;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) removed = true;
  }
};

// The window as Win32 reports it, against the numbers it must have: its
// caption, client size, frame and place on the screen.
TEST_F(SettingsTest, TheWindowIsACentredToolWindowOfTheGivenClientSize) {
  form = new TForm4(intro);
  HWND w = form->Handle();
  EXPECT_EQ(readback::Text(w), L"Kelvora设置");
  EXPECT_EQ(readback::ClientSize(w), "355x287");
  const LONG style = GetWindowLongW(w, GWL_STYLE), ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) << "only a close box";
  EXPECT_EQ(GetWindow(w, GW_OWNER), Application->Handle());
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);

  form->Show();
  readback::ExpectCentredWithClient(w, 355, 287);
}

// The child windows, found by their captions alone, and where each lies in
// its parent.
TEST_F(SettingsTest, ItsControlsLieWhereTheyMustInTheirParents) {
  form = new TForm4(intro);
  const std::vector<HWND> top = readback::Children(form->Handle());
  ASSERT_EQ(top.size(), 1u) << "one panel fills the window";
  HWND panel1 = top[0];
  EXPECT_EQ(readback::Bounds(panel1), "0,0,355,287");

  HWND radio_group = readback::Child(panel1, L"Kelvora启动设置");
  HWND start = readback::Child(panel1, L"每次开机自行启动。");
  HWND no_start = readback::Child(panel1, L"每次开机不要自行启动。");
  HWND group_box = readback::Child(panel1, L"Kelvora启动画面设置");
  HWND panel2 = readback::Child(panel1, L"Panel2");
  for (HWND c : {radio_group, start, no_start, group_box, panel2}) ASSERT_NE(c, nullptr);
  EXPECT_EQ(readback::Children(panel1).size(), 5u);
  EXPECT_EQ(readback::Bounds(radio_group), "16,16,321,129");
  EXPECT_EQ(readback::Bounds(start), "32,48,121,17");
  EXPECT_EQ(readback::Bounds(no_start), "32,72,153,17");
  EXPECT_EQ(readback::Bounds(group_box), "16,168,193,105");
  EXPECT_EQ(readback::Bounds(panel2), "248,192,89,81");
  EXPECT_TRUE(readback::Children(radio_group).empty()) << "the radio group has no items of its own";
  EXPECT_FALSE(IsWindowVisible(panel2)) << "the framed done picture is hidden at first";

  const struct {
    const wchar_t* caption;
    const char* bounds;
  } display_times[] = {{L"画面显示时间为3秒", "16,24,121,17"},
                       {L"画面显示时间为30秒", "16,48,129,17"},
                       {L"画面显示时间为300秒", "16,72,137,17"}};
  EXPECT_EQ(readback::Children(group_box).size(), 3u);
  for (const auto& d : display_times) {
    HWND button = readback::Child(group_box, d.caption);
    ASSERT_NE(button, nullptr) << NarrowToUtf8(d.caption);
    EXPECT_EQ(readback::Bounds(button), d.bounds) << NarrowToUtf8(d.caption);
  }

  // The autostart buttons lie over the frame of the radio group, whose
  // sibling they are: at their centres the panel finds them, not the group.
  for (HWND r : {start, no_start}) {
    RECT b;
    GetWindowRect(r, &b);
    MapWindowPoints(HWND_DESKTOP, panel1, reinterpret_cast<POINT*>(&b), 2);
    const POINT centre{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    EXPECT_EQ(ChildWindowFromPointEx(panel1, centre, CWP_SKIPINVISIBLE), r);
  }
}

// The fonts the controls draw with, read from the GDI objects themselves.
TEST_F(SettingsTest, ItsControlsDrawWithTheGivenFonts) {
  form = new TForm4(intro);
  for (TControl* c : {static_cast<TControl*>(form->RadioGroup1), static_cast<TControl*>(form->GroupBox1)})
    EXPECT_EQ(readback::FontOf(c->Font().Handle()), L"宋体/-13/700/0") << "bold 宋体, ANSI character set";
  const std::wstring form_font = readback::FontOf(form->Font().Handle());
  EXPECT_EQ(form_font.rfind(L"MS Sans Serif/-11/400/", 0), 0u) << NarrowToUtf8(form_font);
  for (TControl* c : {static_cast<TControl*>(form->RadioButton1), static_cast<TControl*>(form->RadioButton2)})
    EXPECT_EQ(readback::FontOf(c->Font().Handle()), form_font) << "the form's font";
  for (TControl* c : {static_cast<TControl*>(form->RadioButton3), static_cast<TControl*>(form->RadioButton4),
                      static_cast<TControl*>(form->RadioButton5)}) {
    const std::wstring font = readback::FontOf(c->Font().Handle());
    EXPECT_EQ(font.rfind(L"MS Sans Serif/-11/400/", 0), 0u) << NarrowToUtf8(font);
  }
}

// What the shown window holds on its surfaces: the desktop colour of the
// panel and the radio group, the lime group captions, the black display-time
// captions, and the done picture drawn unstretched at its place, whose
// framed look puts the same drawing at the same spot on a hot-light panel.
TEST_F(SettingsTest, ItsColoursAndTheDonePictureAsDrawn) {
  Open();
  PumpFor(200);
  HWND panel1 = readback::Children(form->Handle()).at(0);
  HWND radio_group = readback::Child(panel1, L"Kelvora启动设置");
  HWND group_box = readback::Child(panel1, L"Kelvora启动画面设置");
  HWND panel2 = readback::Child(panel1, L"Panel2");
  ASSERT_TRUE(radio_group && group_box && panel2);
  HWND three_seconds = readback::Child(group_box, L"画面显示时间为3秒");
  ASSERT_NE(three_seconds, nullptr);
  const COLORREF desktop = GetSysColor(COLOR_BACKGROUND), lime = RGB(0, 255, 0);

  const readback::Pixels plain(panel1);
  EXPECT_EQ(plain.At(240, 160), desktop) << std::hex << plain.At(240, 160);
  const readback::Pixels group(radio_group);
  EXPECT_EQ(group.At(250, 100), desktop) << std::hex << group.At(250, 100);
  EXPECT_GT(group.Count({0, 0, 321, 20}, lime), 20) << "the caption is lime";
  EXPECT_GT(readback::Pixels(group_box).Count({0, 0, 193, 20}, lime), 20) << "the caption is lime";
  EXPECT_GT(readback::Pixels(three_seconds).Count({17, 0, 121, 17}, RGB(0, 0, 0)), 10) << "a black caption";

  // 814 × 825 units at 1000 per inch: 78 × 79 pixels, from the image's
  // top-left corner at 256, 192 of the panel.
  const RECT around{240, 180, 352, 284};
  const RECT drawn = plain.Extent(around, desktop, false);
  EXPECT_GE(drawn.left, 256) << readback::Describe(drawn);
  EXPECT_GE(drawn.top, 192) << readback::Describe(drawn);
  EXPECT_LE(drawn.right, 256 + 79) << readback::Describe(drawn);
  EXPECT_LE(drawn.bottom, 192 + 80) << readback::Describe(drawn);
  EXPECT_GE(drawn.right - drawn.left, 60) << readback::Describe(drawn);
  EXPECT_GE(drawn.bottom - drawn.top, 60) << readback::Describe(drawn);

  SendMessageW(panel1, WM_MOUSEMOVE, 0, MAKELPARAM(296, 232));
  ASSERT_TRUE(IsWindowVisible(panel2));
  PumpFor(200);
  const readback::Pixels framed(panel2);
  EXPECT_EQ(framed.At(6, 40), GetSysColor(COLOR_HOTLIGHT)) << std::hex << framed.At(6, 40);
  int picture = 0, moved = 0;
  for (int y = drawn.top; y < drawn.bottom; ++y)
    for (int x = drawn.left; x < drawn.right; ++x) {
      if (plain.At(x, y) == desktop) continue;
      ++picture;
      moved += framed.At(x - 248, y - 192) != plain.At(x, y);
    }
  EXPECT_GT(picture, 1000);
  EXPECT_EQ(moved, 0) << "of " << picture << " pixels of the drawing";
}

// What no window shows by itself: the done pictures' hint and cursor.
TEST_F(SettingsTest, TheDonePicturesHintAndCursor) {
  form = new TForm4(intro);
  for (TImage* image : {form->Image1, form->Image2}) {
    EXPECT_EQ(image->Cursor(), crHandPoint);
    EXPECT_EQ(image->HintText(), L"设置完成");
    EXPECT_FALSE(image->Stretch());
  }
}

TEST_F(SettingsTest, ANewWindowHasEveryButtonUncheckedAndThePlainDonePicture) {
  form = new TForm4(intro);
  for (int n = 1; n <= 5; ++n) EXPECT_FALSE(Checked(n)) << n;
  EXPECT_TRUE(form->Image1->Visible());
  EXPECT_FALSE(form->Panel2->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Panel2->Handle()));
}

TEST_F(SettingsTest, FirstRunChecksDoNotStartAndWritesNothing) {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kStudio, machine_registry::kView, 0);
  ASSERT_FALSE(machine_registry::KeyExists(kStudio));
  DialogWatcher watcher;
  Open();
  EXPECT_FALSE(Checked(1));
  EXPECT_TRUE(Checked(2));
  ExpectNoDisplayTimeChecked();
  EXPECT_FALSE(machine_registry::Read(kRun, kAutostart).has_value());
  EXPECT_TRUE(machine_registry::KeyExists(kStudio)) << "opening the window creates the studio key";
  EXPECT_EQ(machine_registry::ValueCount(kStudio), 0);
  EXPECT_TRUE(watcher.Seen().empty()) << "deleting the missing autostart value reports nothing";
  EXPECT_EQ(intro->Timer1->Interval(), kLayoutInterval);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// The autostart value as the program stores it: this program's path, quoted
// where it has a space, as NUL-terminated text.
void ExpectAutostartIsThisProgram() {
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->Text(), Quoted(RunningProgram()));
  EXPECT_EQ(stored->data.size(), (stored->Text().size() + 1) * sizeof(wchar_t)) << "NUL-terminated";
}

TEST_F(SettingsTest, AnAutostartValueFoundChecksStartAndIsRewrittenAsTheRunningProgram) {
  const struct {
    const char* what;
    LONG (*write)();
  } cases[] = {
      {"a stale path", [] { return machine_registry::WriteText(kRun, kAutostart, L"C:\\Old Copy\\kelvora.exe"); }},
      {"a value of another type", [] { return machine_registry::WriteDword(kRun, kAutostart, 1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.write(), ERROR_SUCCESS);
    Open();
    EXPECT_TRUE(Checked(1));
    EXPECT_FALSE(Checked(2));
    ExpectAutostartIsThisProgram();
    delete form;
    form = nullptr;
  }
}

TEST_F(SettingsTest, AnUnofferedDisplayTimeReachesTheIntroWindowButChecksNoButton) {
  ASSERT_EQ(machine_registry::WriteDword(kStudio, kTime, 5000), ERROR_SUCCESS);
  const bool was_enabled = intro->Timer1->Enabled();
  Open();
  ExpectNoDisplayTimeChecked();
  EXPECT_EQ(intro->Timer1->Interval(), 5000u);
  EXPECT_EQ(intro->Timer1->Enabled(), was_enabled) << "its enabled state is not touched";
  EXPECT_EQ(machine_registry::Read(kStudio, kTime)->Dword(), 5000u);
}

TEST_F(SettingsTest, EachOfferedDisplayTimeChecksItsOwnButtonAndIsWrittenBack) {
  const struct {
    DWORD ms;
    int button;
  } cases[] = {{3000, 3}, {30000, 4}, {300000, 5}};
  for (const auto& c : cases) {
    ASSERT_EQ(machine_registry::WriteDword(kStudio, kTime, c.ms), ERROR_SUCCESS);
    Open();
    for (int n = 3; n <= 5; ++n) EXPECT_EQ(Checked(n), n == c.button) << c.ms << " button " << n;
    EXPECT_EQ(intro->Timer1->Interval(), c.ms);
    const auto stored = machine_registry::Read(kStudio, kTime);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored->data.size(), 4u);
    EXPECT_EQ(stored->Dword(), c.ms);
    delete form;
    form = nullptr;
  }
}

// A display time the accessor cannot read as an integer: its error in the
// application's box, the show handler ends there (the autostart group was
// read before it), the window opens all the same and nothing is written
// back. Data longer than an integer's four bytes fails the read whatever its
// type; four bytes or fewer of another type are a type error ("abc" is four
// bytes with its NUL in code page 936).
TEST_F(SettingsTest, AnUnreadableDisplayTimeShowsItsErrorAndEndsTheShowHandler) {
  const BYTE eight[8] = {0xB8, 0x0B, 0, 0, 0, 0, 0, 0};
  const struct {
    DWORD type;
    const void* data;
    DWORD size;
    const wchar_t* error;
  } cases[] = {
      {REG_SZ, L"abc", 8, L"Invalid data type for 'OrvakTuV20Time'"},
      {REG_SZ, L"3000", 10, L"Failed to get data for 'OrvakTuV20Time'"},
      {REG_BINARY, eight, 8, L"Failed to get data for 'OrvakTuV20Time'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NarrowToUtf8(c.error) + ", type " + std::to_string(c.type) + ", " + std::to_string(c.size) + " bytes");
    ASSERT_EQ(machine_registry::Write(kStudio, kTime, c.type, c.data, c.size), ERROR_SUCCESS);
    DialogWatcher watcher;
    Open();
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, c.error);
    EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
    EXPECT_EQ(watcher.Seen()[0].owner, Application->Handle());
    EXPECT_TRUE(Checked(2));
    ExpectNoDisplayTimeChecked();
    EXPECT_EQ(intro->Timer1->Interval(), kLayoutInterval);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    const auto stored = machine_registry::Read(kStudio, kTime);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->data, std::vector<BYTE>(static_cast<const BYTE*>(c.data), static_cast<const BYTE*>(c.data) + c.size));
    delete form;
    form = nullptr;
  }
}

TEST_F(SettingsTest, ChoosingThirtySecondsStoresItAndLeavesTheIntroTimerAlone) {
  Open();
  const unsigned interval = intro->Timer1->Interval();
  const bool enabled = intro->Timer1->Enabled();
  SendMessageW(form->RadioButton4->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(4));
  const auto stored = machine_registry::Read(kStudio, kTime);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored->data.size(), 4u);
  EXPECT_EQ(stored->Dword(), 30000u);
  EXPECT_EQ(intro->Timer1->Interval(), interval);
  EXPECT_EQ(intro->Timer1->Enabled(), enabled);
#ifdef _WIN64
  EXPECT_FALSE(machine_registry::Read(kStudio, kTime, KEY_WOW64_64KEY).has_value())
      << "stored in the 32-bit view, where the 32-bit build looks too";
#endif
}

TEST_F(SettingsTest, EachDisplayTimeButtonStoresItsNumber) {
  Open();
  const struct {
    TRadioButton* TForm4::*button;
    DWORD ms;
  } cases[] = {{&TForm4::RadioButton3, 3000}, {&TForm4::RadioButton5, 300000}, {&TForm4::RadioButton4, 30000}};
  for (const auto& c : cases) {
    SendMessageW((form->*c.button)->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(machine_registry::Read(kStudio, kTime)->Dword(), c.ms);
  }
}

TEST_F(SettingsTest, ClickingTheCheckedButtonWritesNothing) {
  ASSERT_EQ(machine_registry::WriteDword(kStudio, kTime, 3000), ERROR_SUCCESS);
  Open();
  ASSERT_TRUE(Checked(3));
  machine_registry::Delete(kStudio, kTime);
  SendMessageW(form->RadioButton3->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(machine_registry::Read(kStudio, kTime).has_value());
}

TEST_F(SettingsTest, StartAutomaticallyStoresTheProgramPathAndDoNotStartDeletesIt) {
  Open();
  SendMessageW(form->RadioButton1->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(1));
  EXPECT_FALSE(Checked(2));
  ExpectAutostartIsThisProgram();
  SendMessageW(form->RadioButton2->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(2));
  EXPECT_FALSE(machine_registry::Read(kRun, kAutostart).has_value());
  EXPECT_TRUE(machine_registry::KeyExists(kRun)) << "the Run key itself stays";
}

TEST(AutostartCommandTest, APathWithASpaceIsQuoted) {
  EXPECT_EQ(AutostartCommand(L"C:\\Program Files\\x\\kelvora.exe"), L"\"C:\\Program Files\\x\\kelvora.exe\"");
  EXPECT_EQ(AutostartCommand(L"C:\\Tools\\kelvora.exe"), L"C:\\Tools\\kelvora.exe");
  EXPECT_EQ(AutostartCommand(L"D:\\抓图 工具\\kelvora.exe"), L"\"D:\\抓图 工具\\kelvora.exe\"");
}

// Run only by the test below, in a copy of this program placed in a folder
// whose name has a space.
TEST(SettingsChild, DISABLED_StoreAutostartFromThisCopy) {
  auto* form = new TForm4(Application);
  form->RadioButton1->SetChecked(true);
  delete form;
}

TEST(SettingsQuotedPathTest, AProgramInAFolderWithASpaceStoresItsPathQuoted) {
  CleanValues();
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"Kelvora settings test";
  const std::wstring copy = folder + L"\\settings copy.exe";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(RunningProgram().c_str(), copy.c_str(), FALSE));
  std::wstring command = L"\"" + copy + L"\" --gtest_also_run_disabled_tests --gtest_filter=SettingsChild.*";
  // The copy's report goes to a file of its own, not among this program's.
  const std::wstring log = folder + L"\\child.log";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  ASSERT_TRUE(started);
  const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_EQ(code, 0u);
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->Text(), L"\"" + copy + L"\"");
  CleanValues();
  DeleteFileW(copy.c_str());
  DeleteFileW(log.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(SettingsTest, TheDoneButtonSwapsItsLookAtEachMouseMove) {
  Open();
  const int x = form->Image1->Left() + 40, y = form->Image1->Top() + 40;
  SendMessageW(form->Panel1->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  EXPECT_FALSE(form->Image1->Visible());
  EXPECT_TRUE(form->Panel2->Visible());
  EXPECT_TRUE(IsWindowVisible(form->Panel2->Handle()));
  // The same screen point, now over the framed picture.
  POINT p{x, y};
  MapWindowPoints(form->Panel1->Handle(), form->Panel2->Handle(), &p, 1);
  SendMessageW(form->Panel2->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  EXPECT_TRUE(form->Image1->Visible());
  EXPECT_FALSE(form->Panel2->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Panel2->Handle()));
  SendMessageW(form->Panel1->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  EXPECT_FALSE(form->Image1->Visible());
  EXPECT_TRUE(form->Panel2->Visible());
}

// Shown modally, as the tray command shows it, until a click on the done
// picture (either look) or the close box; the window then frees itself.
class ModalSettingsTest : public SettingsTest {
 protected:
  // Runs the modal loop; `act` runs from a timer inside it.
  TModalResult RunModal(std::function<void()> act) {
    form = new TForm4(intro);
    watch = std::make_unique<Watch>(form);
    handle = form->Handle();
    TTimer later(nullptr);
    later.SetInterval(200);
    later.OnTimer = [&](TComponent*) {
      later.SetEnabled(false);
      act();
    };
    const TModalResult result = form->ShowModal();
    EXPECT_TRUE(PumpUntil([&] { return watch->removed; }, 3000)) << "freed after closing";
    form = nullptr;
    return result;
  }
  void ClickAt(HWND target, int x, int y) {
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  std::unique_ptr<Watch> watch;
  HWND handle = nullptr;
};

TEST_F(ModalSettingsTest, TheDonePictureClosesTheWindowWhichFreesItself) {
  ASSERT_EQ(machine_registry::WriteDword(kStudio, kTime, 30000), ERROR_SUCCESS);
  const TModalResult result = RunModal([&] {
    machine_registry::Delete(kStudio, kTime);
    ClickAt(form->Panel1->Handle(), form->Image1->Left() + 40, form->Image1->Top() + 40);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_FALSE(machine_registry::Read(kStudio, kTime).has_value()) << "nothing written at close";
}

TEST_F(ModalSettingsTest, TheFramedDonePictureClosesTheWindowToo) {
  const TModalResult result = RunModal([&] {
    form->Image1MouseMove(form->Image1, 0, 0, 0);
    ClickAt(form->Panel2->Handle(), form->Image2->Left() + 40, form->Image2->Top() + 40);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(ModalSettingsTest, TheCloseBoxClosesTheWindowWhichFreesItself) {
  const TModalResult result = RunModal([&] { PostMessageW(form->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_FALSE(machine_registry::Read(kRun, kAutostart).has_value());
}

TEST_F(ModalSettingsTest, TheIntroWindowsTimersRunDuringTheModalLoop) {
  intro->Timer1->SetInterval(50);
  intro->Timer1->SetEnabled(true);
  bool ticked = false;
  intro->Timer1->OnTimer = [&](TComponent*) { ticked = true; };
  RunModal([&] {
    TTimer* close_after = new TTimer(form);
    close_after->SetInterval(300);
    close_after->OnTimer = [this](TComponent*) { form->Close(); };
  });
  EXPECT_TRUE(ticked);
}

// Takes write access to a per-machine key away from everyone (as for a user
// without rights there) and gives it back when it goes.
class KeyLockedForWriting {
 public:
  explicit KeyLockedForWriting(const wchar_t* path) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, READ_CONTROL | WRITE_DAC | machine_registry::kView, &key_) !=
        ERROR_SUCCESS)
      return;
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) saved_.clear();
    // Everyone may read and change the key's permissions; nobody may write.
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESSW allow{};
    allow.grfAccessPermissions = KEY_READ | WRITE_DAC;
    allow.grfAccessMode = SET_ACCESS;
    allow.grfInheritance = NO_INHERITANCE;
    allow.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    allow.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    allow.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL acl = nullptr;
    SetEntriesInAclW(1, &allow, nullptr, &acl);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    locked_ = !saved_.empty() && RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    LocalFree(acl);
    FreeSid(everyone);
  }
  ~KeyLockedForWriting() {
    if (locked_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
    if (key_) RegCloseKey(key_);
  }
  bool Locked() const { return locked_; }

 private:
  HKEY key_ = nullptr;
  std::vector<BYTE> saved_;
  bool locked_ = false;
};

TEST_F(SettingsTest, WithoutWriteAccessTheAutostartChoiceReportsTheFailedWrite) {
  ASSERT_EQ(machine_registry::WriteText(kRun, kAutostart, L"C:\\kelvora.exe"), ERROR_SUCCESS);
  {
    KeyLockedForWriting lock(kRun);
    ASSERT_TRUE(lock.Locked());
    HKEY probe = nullptr;
    const LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRun, 0, KEY_ALL_ACCESS | machine_registry::kView, &probe);
    if (probe) RegCloseKey(probe);
    ASSERT_EQ(rc, ERROR_ACCESS_DENIED) << "the key's permissions are in force";
    DialogWatcher watcher;
    Open();
    EXPECT_FALSE(Checked(1)) << "an autostart value that cannot be reached counts as absent";
    EXPECT_TRUE(Checked(2));
    EXPECT_TRUE(watcher.Seen().empty()) << "the failed open and delete are silent";
    SendMessageW(form->RadioButton1->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"Failed to set data for 'OrvakTuV20'");
    EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
    EXPECT_TRUE(Checked(1)) << "the chosen button stays checked";
    EXPECT_FALSE(Checked(2));
  }
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->Text(), L"C:\\kelvora.exe") << "untouched";
}

}  // namespace
