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

#include "tests/win/settings_fixture.h"

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

TEST_F(SettingsTest, LayoutAsDesigned) {
  form = new TForm4(intro);
  HWND w = form->Handle();
  RECT client, window;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 355);
  EXPECT_EQ(client.bottom, 287);
  wchar_t caption[64] = {};
  GetWindowTextW(w, caption, 64);
  EXPECT_STREQ(caption, L"Kelvora设置");
  const LONG style = GetWindowLongW(w, GWL_STYLE), ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) << "only a close box";
  EXPECT_EQ(GetWindow(w, GW_OWNER), Application->Handle());
  EXPECT_EQ(form->Owner(), intro);
  EXPECT_FALSE(IsWindowVisible(w));

  form->Show();
  GetWindowRect(w, &window);
  EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
  EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);

  EXPECT_EQ(form->Panel1->Color(), clBackground);
  EXPECT_EQ(form->Panel1->BevelWidth(), 3);
  EXPECT_EQ(form->Panel1->Width(), 355);
  EXPECT_EQ(form->Panel1->Height(), 287);
  const auto bounds = [](TControl* c) {
    const RECT r = c->BoundsRect();
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
           std::to_string(r.bottom - r.top);
  };
  EXPECT_EQ(bounds(form->RadioGroup1), "16,16,321,129");
  EXPECT_EQ(bounds(form->RadioButton1), "32,48,121,17");
  EXPECT_EQ(bounds(form->RadioButton2), "32,72,153,17");
  EXPECT_EQ(bounds(form->GroupBox1), "16,168,193,105");
  EXPECT_EQ(bounds(form->RadioButton3), "16,24,121,17");
  EXPECT_EQ(bounds(form->RadioButton4), "16,48,129,17");
  EXPECT_EQ(bounds(form->RadioButton5), "16,72,137,17");
  EXPECT_EQ(bounds(form->Image1), "256,192,81,81");
  EXPECT_EQ(bounds(form->Panel2), "248,192,89,81");
  EXPECT_EQ(bounds(form->Image2), "8,0,81,81");

  EXPECT_EQ(form->RadioButton1->Parent(), form->Panel1);
  EXPECT_EQ(form->RadioButton2->Parent(), form->Panel1);
  EXPECT_EQ(form->RadioButton3->Parent(), form->GroupBox1);
  EXPECT_EQ(form->Image2->Parent(), form->Panel2);
  EXPECT_EQ(form->RadioButton1->Caption(), L"每次开机自行启动。");
  EXPECT_EQ(form->RadioButton2->Caption(), L"每次开机不要自行启动。");
  EXPECT_EQ(form->RadioButton3->Caption(), L"画面显示时间为3秒");
  EXPECT_EQ(form->RadioButton4->Caption(), L"画面显示时间为30秒");
  EXPECT_EQ(form->RadioButton5->Caption(), L"画面显示时间为300秒");
  EXPECT_EQ(form->RadioGroup1->Caption(), L"Kelvora启动设置");
  EXPECT_EQ(form->GroupBox1->Caption(), L"Kelvora启动画面设置");
  EXPECT_EQ(form->RadioGroup1->Color(), clBackground);
  for (TControl* c : {static_cast<TControl*>(form->RadioGroup1), static_cast<TControl*>(form->GroupBox1)}) {
    EXPECT_EQ(c->Font().Name(), L"宋体");
    EXPECT_EQ(c->Font().Charset(), ANSI_CHARSET);
    EXPECT_EQ(c->Font().Height(), -13);
    EXPECT_EQ(c->Font().Style(), unsigned{fsBold});
    EXPECT_EQ(c->Font().Color(), clLime);
  }
  EXPECT_EQ(form->Font().Name(), L"MS Sans Serif");
  EXPECT_EQ(form->Font().Height(), -11);
  EXPECT_EQ(form->Font().Color(), clWindowText);
  EXPECT_EQ(form->RadioButton1->Font().Name(), L"MS Sans Serif");
  EXPECT_EQ(form->RadioButton1->Font().Color(), clWindowText);
  EXPECT_EQ(form->RadioButton5->Font().Name(), L"MS Sans Serif");
  EXPECT_EQ(form->RadioButton5->Font().Height(), -11);
  EXPECT_EQ(form->RadioButton5->Font().Color(), clBlack);
  EXPECT_EQ(form->Panel2->Color(), clHotLight);
  EXPECT_EQ(form->Panel2->BevelWidth(), 5);
  EXPECT_EQ(form->Panel2->Caption(), L"Panel2");
  for (TImage* image : {form->Image1, form->Image2}) {
    EXPECT_EQ(image->Cursor(), crHandPoint);
    EXPECT_EQ(image->HintText(), L"设置完成");
    EXPECT_EQ(image->HintControl(), image);
    // 814 x 825 units at 1000 per inch, at 96 dots per inch.
    EXPECT_EQ(image->Picture().Width(), 814 * 96 / 1000);
    EXPECT_EQ(image->Picture().Height(), 825 * 96 / 1000);
    EXPECT_FALSE(image->Stretch());
  }
  // The autostart buttons lie over the frame of the radio group, whose
  // sibling they are.
  for (TRadioButton* r : {form->RadioButton1, form->RadioButton2}) {
    const POINT centre{r->Left() + r->Width() / 2, r->Top() + r->Height() / 2};
    EXPECT_EQ(ChildWindowFromPointEx(form->Panel1->Handle(), centre, CWP_SKIPINVISIBLE), r->Handle());
  }
  EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
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

TEST_F(SettingsTest, AStaleAutostartPathIsReplacedByTheRunningProgram) {
  ASSERT_EQ(machine_registry::WriteText(kRun, kAutostart, L"C:\\Old Copy\\kelvora.exe"), ERROR_SUCCESS);
  Open();
  EXPECT_TRUE(Checked(1));
  EXPECT_FALSE(Checked(2));
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->Text(), Quoted(RunningProgram()));
  EXPECT_EQ(stored->data.size(), (stored->Text().size() + 1) * sizeof(wchar_t)) << "NUL-terminated";
}

TEST_F(SettingsTest, AnAutostartValueOfAnyTypeCountsAsPresent) {
  ASSERT_EQ(machine_registry::WriteDword(kRun, kAutostart, 1), ERROR_SUCCESS);
  Open();
  EXPECT_TRUE(Checked(1));
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ)) << "rewritten as the program's path";
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

TEST_F(SettingsTest, AShortValueOfAnotherTypeIsAnInvalidDataTypeAndEndsTheShowHandler) {
  // "abc" is four bytes with its NUL in code page 936.
  ASSERT_EQ(machine_registry::WriteText(kStudio, kTime, L"abc"), ERROR_SUCCESS);
  DialogWatcher watcher;
  Open();
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"Invalid data type for 'OrvakTuV20Time'");
  EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
  EXPECT_EQ(watcher.Seen()[0].owner, Application->Handle());
  EXPECT_TRUE(Checked(2)) << "the autostart group was read before";
  ExpectNoDisplayTimeChecked();
  EXPECT_EQ(intro->Timer1->Interval(), kLayoutInterval);
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "the window opens all the same";
  EXPECT_EQ(machine_registry::Read(kStudio, kTime)->Text(), L"abc") << "nothing written back";
}

TEST_F(SettingsTest, DataLongerThanFourBytesIsAFailedReadAndEndsTheShowHandler) {
  const BYTE eight[8] = {0xB8, 0x0B, 0, 0, 0, 0, 0, 0};
  for (const auto& [type, data, size] : {std::tuple<DWORD, const void*, DWORD>{REG_SZ, L"3000", 10},
                                         std::tuple<DWORD, const void*, DWORD>{REG_BINARY, eight, 8}}) {
    ASSERT_EQ(machine_registry::Write(kStudio, kTime, type, data, size), ERROR_SUCCESS);
    DialogWatcher watcher;
    Open();
    ASSERT_EQ(watcher.Seen().size(), 1u) << type;
    EXPECT_EQ(watcher.Seen()[0].text, L"Failed to get data for 'OrvakTuV20Time'");
    EXPECT_EQ(watcher.Seen()[0].caption, Application->Title());
    ExpectNoDisplayTimeChecked();
    EXPECT_EQ(intro->Timer1->Interval(), kLayoutInterval);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
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
  const auto stored = machine_registry::Read(kRun, kAutostart);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->Text(), Quoted(RunningProgram()));
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
