#include <gtest/gtest.h>

#include "tests/win/machine_registry.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/registry/registry.h"

namespace {

constexpr wchar_t kScratch[] = L"Software\\KelvoraTest\\Scratch";

// A scratch key of its own, removed afterwards.
class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kScratch, true));
  }
  void TearDown() override {
    reg.CloseKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KelvoraTest");
  }
  static std::wstring ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const ERegistryException& e) {
      return e.Message();
    }
    return L"(no error)";
  }
  TRegistry reg;
};

TEST_F(RegistryTest, IntegersAndStringsRoundTrip) {
  EXPECT_FALSE(reg.ValueExists(L"OrvakTuV20Time"));
  reg.WriteInteger(L"OrvakTuV20Time", 3000);
  EXPECT_TRUE(reg.ValueExists(L"OrvakTuV20Time"));
  EXPECT_EQ(reg.ReadInteger(L"OrvakTuV20Time"), 3000);
  reg.WriteInteger(L"negative", -5);
  EXPECT_EQ(reg.ReadInteger(L"negative"), -5);
  reg.WriteString(L"OrvakTuV20", L"C:\\程序\\kelvora.exe");
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kScratch, L"OrvakTuV20", RRF_RT_REG_SZ, nullptr, text, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, L"C:\\程序\\kelvora.exe");
  EXPECT_TRUE(reg.DeleteValue(L"OrvakTuV20"));
  EXPECT_FALSE(reg.ValueExists(L"OrvakTuV20"));
  EXPECT_FALSE(reg.DeleteValue(L"OrvakTuV20"));
}

TEST_F(RegistryTest, WrongTypesAndMissingValuesRaiseTheAccessorsErrors) {
  // Data longer than an integer's four bytes fails the read, whatever its
  // type; text counts as its code page 936 bytes with the NUL ("3000" is 5).
  reg.WriteString(L"text", L"3000");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"text"); }), L"Failed to get data for 'text'");
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kScratch, L"qword", REG_QWORD, eight, 8), ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"qword"); }), L"Failed to get data for 'qword'");
  reg.WriteString(L"two ideographs", L"中文");  // 4 bytes and the NUL
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"two ideographs"); }), L"Failed to get data for 'two ideographs'");
  // Four bytes or fewer of another type are a type error: "abc" is 4 bytes
  // in code page 936 (8 as stored, wide), one ideograph is 3.
  reg.WriteString(L"short", L"abc");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"short"); }), L"Invalid data type for 'short'");
  reg.WriteString(L"ideograph", L"三");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"ideograph"); }), L"Invalid data type for 'ideograph'");
  const BYTE four[4] = {0xB8, 0x0B, 0, 0};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kScratch, L"binary", REG_BINARY, four, 4), ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"binary"); }), L"Invalid data type for 'binary'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"absent"); }), L"Failed to get data for 'absent'");
}

TEST_F(RegistryTest, WritesWithoutAnOpenKeyFail) {
  TRegistry closed;
  EXPECT_EQ(ErrorOf([&] { closed.WriteInteger(L"x", 1); }), L"Failed to set data for 'x'");
  EXPECT_FALSE(closed.ValueExists(L"x"));
  TRegistry read_only(KEY_READ);
  read_only.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(read_only.OpenKey(kScratch, false));
  EXPECT_EQ(ErrorOf([&] { read_only.WriteString(L"y", L"z"); }), L"Failed to set data for 'y'");
}

// Both builds keep the per-machine values in the 32-bit view.
TEST(MachineRegistryTest, KeysUnderTheMachineRootAreThoseOfThe32BitView) {
  constexpr wchar_t kPath[] = L"SOFTWARE\\KelvoraTest\\MachineView";
  TRegistry machine;
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(machine.OpenKey(kPath, true));
  machine.WriteInteger(L"OrvakTuV20Time", 30000);
  machine.CloseKey();
  const auto stored = machine_registry::Read(kPath, L"OrvakTuV20Time", KEY_WOW64_32KEY);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored->Dword(), 30000u);
#ifdef _WIN64
  EXPECT_FALSE(machine_registry::KeyExists(kPath, KEY_WOW64_64KEY)) << "not in the 64-bit view";
#endif
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPath, KEY_WOW64_32KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KelvoraTest", KEY_WOW64_32KEY, 0);
}

TEST_F(RegistryTest, OpeningWithoutCreateFindsOnlyExistingKeys) {
  TRegistry other;
  other.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", false));
  EXPECT_TRUE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", true));
  EXPECT_TRUE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", false));
}

}  // namespace
