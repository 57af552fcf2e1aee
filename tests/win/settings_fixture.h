#pragma once
// The settings window under test: the registry values it reads and writes,
// in the 32-bit view of the machine's registry, cleaned before and after
// each test, and a window opened as the tray command opens it.
#include <gtest/gtest.h>

#include <string>

#include "forms/intro/form1.h"
#include "forms/settings/form4.h"
#include "tests/win/machine_registry.h"
#include "tests/win/win_test_support.h"

namespace settings_fixture {

constexpr wchar_t kRun[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStudio[] = L"SOFTWARE\\Orvak";
constexpr wchar_t kAutostart[] = L"OrvakTuV20";
constexpr wchar_t kTime[] = L"OrvakTuV20Time";
// The intro window's display-time interval as its layout sets it.
constexpr unsigned kLayoutInterval = 111000;

inline std::wstring RunningProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The autostart value for a program path, as the system needs it: quoted
// when the path has a space.
inline std::wstring Quoted(const std::wstring& path) {
  return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

inline void SetShift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// A key pressed and released while `GetFocus()` has the focus.
inline void Press(WPARAM key, bool shift = false) {
  SetShift(shift);
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
  Application->ProcessMessages();
  SetShift(false);
}

inline void CleanValues() {
  machine_registry::Delete(kRun, kAutostart);
  machine_registry::Delete(kStudio, kTime);
}

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    CleanValues();
    intro = new TForm1(Application);
    // The fade would hide the intro window meanwhile; it is not under test.
    intro->Timer2->SetEnabled(false);
  }
  void TearDown() override {
    delete intro;  // and the settings window it owns, if still there
    CleanValues();
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  // A new settings window, shown as the tray command shows it but without
  // its modal loop, so the test can look at it.
  void Open() {
    form = new TForm4(intro);
    form->Show();
  }
  bool Checked(int n) const {
    TRadioButton* const buttons[] = {form->RadioButton1, form->RadioButton2, form->RadioButton3,
                                     form->RadioButton4, form->RadioButton5};
    return buttons[n - 1]->Checked();
  }
  void ExpectNoDisplayTimeChecked() const {
    EXPECT_FALSE(Checked(3));
    EXPECT_FALSE(Checked(4));
    EXPECT_FALSE(Checked(5));
  }
  TForm1* intro = nullptr;
  TForm4* form = nullptr;
};

}  // namespace settings_fixture
