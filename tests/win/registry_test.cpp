#include <gtest/gtest.h>

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
  EXPECT_EQ(reg.ReadString(L"OrvakTuV20"), L"C:\\程序\\kelvora.exe");
  EXPECT_TRUE(reg.DeleteValue(L"OrvakTuV20"));
  EXPECT_FALSE(reg.ValueExists(L"OrvakTuV20"));
  EXPECT_FALSE(reg.DeleteValue(L"OrvakTuV20"));
}

TEST_F(RegistryTest, WrongTypesAndMissingValuesRaiseTheAccessorsErrors) {
  reg.WriteString(L"text", L"3000");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"text"); }), L"Invalid data type for 'text'");
  reg.WriteInteger(L"number", 7);
  EXPECT_EQ(ErrorOf([&] { reg.ReadString(L"number"); }), L"Invalid data type for 'number'");
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kScratch, L"qword", REG_QWORD, eight, 8), ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"qword"); }), L"Invalid data type for 'qword'");
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

TEST_F(RegistryTest, OpeningWithoutCreateFindsOnlyExistingKeys) {
  TRegistry other;
  other.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", false));
  EXPECT_TRUE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", true));
  EXPECT_TRUE(other.OpenKey(L"Software\\KelvoraTest\\Nowhere", false));
}

}  // namespace
