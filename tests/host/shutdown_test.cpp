#include "components/shutdown/shutdown_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Handle = ShutdownCalls::Handle;
const Handle kProcess = reinterpret_cast<Handle>(0x70);
const Handle kToken = reinterpret_cast<Handle>(0x7C);

// What each system call answers.
struct Answers {
  bool query_ok = true;
  uint32_t platform_id = 2;
  bool lookup_ok = true;
  ShutdownCalls::Luid luid{0x13, 7};
  uint32_t process_id = 4242;
  bool process_ok = true;
  bool token_ok = true;
  bool adjust_ok = true;
  bool exit_ok = true;
};

// Writes every call with its arguments to the log, answers from `answers`,
// and keeps count of the handles it gave out and got back.
class RecordingCalls : public ShutdownCalls {
 public:
  RecordingCalls(const Answers& answers, std::vector<std::string>& log, std::map<Handle, int>& open)
      : answers_(answers), log_(log), open_(open) {}

  bool QueryPlatformId(uint32_t& platform_id) override {
    log_.push_back("QueryPlatformId");
    if (answers_.query_ok) platform_id = answers_.platform_id;
    return answers_.query_ok;
  }
  bool LookupPrivilegeValue(const char* system_name, const char* name, Luid& luid) override {
    log_.push_back(Format("LookupPrivilegeValue(%s, %s)", system_name ? system_name : "null", name));
    if (answers_.lookup_ok) luid = answers_.luid;
    return answers_.lookup_ok;
  }
  uint32_t GetCurrentProcessId() override {
    log_.push_back("GetCurrentProcessId");
    return answers_.process_id;
  }
  Handle OpenProcess(uint32_t access, bool inherit_handle, uint32_t process_id) override {
    log_.push_back(Format("OpenProcess(0x%x, %d, %u)", access, inherit_handle, process_id));
    if (!answers_.process_ok) return nullptr;
    ++open_[kProcess];
    return kProcess;
  }
  bool OpenProcessToken(Handle process, uint32_t access, Handle& token) override {
    log_.push_back(Format("OpenProcessToken(%s, 0x%x)", Name(process), access));
    if (!answers_.token_ok) return false;
    ++open_[kToken];
    token = kToken;
    return true;
  }
  bool AdjustTokenPrivileges(Handle token, bool disable_all, const TokenPrivileges& s,
                             uint32_t buffer_length) override {
    log_.push_back(Format("AdjustTokenPrivileges(%s, %d, {%u, %u:%d, 0x%x}, %u)", Name(token), disable_all,
                          s.count, s.luid.low, s.luid.high, s.attributes, buffer_length));
    return answers_.adjust_ok;
  }
  void CloseHandle(Handle handle) override {
    log_.push_back(Format("CloseHandle(%s)", Name(handle)));
    --open_[handle];
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    log_.push_back(Format("ExitWindowsEx(0x%x, 0x%x)", flags, reserved));
    return answers_.exit_ok;
  }

 private:
  template <class... A>
  static std::string Format(const char* format, A... args) {
    char buf[160];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
  }
  static const char* Name(Handle h) { return h == kProcess ? "process" : h == kToken ? "token" : "other"; }

  const Answers& answers_;
  std::vector<std::string>& log_;
  std::map<Handle, int>& open_;
};

class ShutdownTest : public testing::Test {
 protected:
  ShutdownPaths& Make() {
    paths_ = std::make_unique<ShutdownPaths>(std::make_unique<RecordingCalls>(answers_, log_, open_));
    log_.clear();
    return *paths_;
  }
  // Every handle given out was given back exactly once.
  void ExpectNoHandleOpen() {
    for (const auto& [handle, count] : open_) EXPECT_EQ(count, 0) << "handle " << handle;
  }

  Answers answers_;
  std::vector<std::string> log_;
  std::map<Handle, int> open_;
  std::unique_ptr<ShutdownPaths> paths_;
};

const std::vector<std::string> kNTSequence = {
    "LookupPrivilegeValue(null, SeShutdownPrivilege)",
    "GetCurrentProcessId",
    "OpenProcess(0x1f0fff, 0, 4242)",
    "OpenProcessToken(process, 0x20)",
    "CloseHandle(process)",
    "AdjustTokenPrivileges(token, 0, {1, 19:7, 0x2}, 0)",
    "CloseHandle(token)",
    "ExitWindowsEx(0x8, 0x0)",
};

TEST(ShutdownFlags, OneBytePerSetWithTheOrdinalAsTheBit) {
  static_assert(sizeof(TShutdownFlags) == 1);
  EXPECT_EQ(TShutdownFlags{}.Bits(), 0);
  EXPECT_EQ(TShutdownFlags({sfFORCE}).Bits(), 0x01);
  EXPECT_EQ(TShutdownFlags({sfLOGOFF}).Bits(), 0x02);
  EXPECT_EQ(TShutdownFlags({sfREBOOT}).Bits(), 0x04);
  EXPECT_EQ(TShutdownFlags({sfSHUTDOWN}).Bits(), 0x08);
  EXPECT_EQ(TShutdownFlags({sfPOWEROFF}).Bits(), 0x10);
  TShutdownFlags all{sfFORCE, sfLOGOFF, sfREBOOT, sfSHUTDOWN, sfPOWEROFF};
  EXPECT_EQ(all.Bits(), 0x1F);
  all.Exclude(sfREBOOT);
  EXPECT_FALSE(all.Contains(sfREBOOT));
  EXPECT_TRUE(all.Contains(sfSHUTDOWN));
  EXPECT_EQ(all.Bits(), 0x1B);
}

TEST(ShutdownFlags, ExitFlagsOfEachSet) {
  const struct {
    TShutdownFlags flags;
    uint32_t exit_flags;
  } cases[] = {
      {{}, 0},
      {{sfLOGOFF}, 0},
      {{sfFORCE}, 4},
      {{sfREBOOT}, 2},
      {{sfSHUTDOWN}, 1},
      {{sfPOWEROFF}, 8},
      {{sfFORCE, sfREBOOT}, 6},
      {{sfSHUTDOWN, sfPOWEROFF}, 9},
      {{sfLOGOFF, sfFORCE}, 4},
      {{sfFORCE, sfLOGOFF, sfREBOOT, sfSHUTDOWN, sfPOWEROFF}, 15},
  };
  for (const auto& c : cases) EXPECT_EQ(ExitFlagsFor(c.flags), c.exit_flags) << "set bits " << int(c.flags.Bits());
}

TEST_F(ShutdownTest, PlatformIdIsAskedForOnceAtConstruction) {
  answers_.platform_id = 1;
  paths_ = std::make_unique<ShutdownPaths>(std::make_unique<RecordingCalls>(answers_, log_, open_));
  EXPECT_EQ(log_, std::vector<std::string>{"QueryPlatformId"});
  EXPECT_EQ(paths_->PlatformId(), 1u);
  EXPECT_EQ(paths_->ExitFlags(), 0u);
  EXPECT_TRUE(paths_->Flags.Empty());
  paths_->Shutdown();
  paths_->Shutdown();
  EXPECT_EQ(log_, (std::vector<std::string>{"QueryPlatformId", "ExitWindowsEx(0x0, 0x0)", "ExitWindowsEx(0x0, 0x0)"}));
}

TEST_F(ShutdownTest, AFailedVersionQueryIsTheUnknownPlatformAndShutdownCallsNothing) {
  answers_.query_ok = false;
  ShutdownPaths& paths = Make();
  EXPECT_EQ(paths.PlatformId(), 4450u);
  paths.Flags = {sfPOWEROFF};
  EXPECT_FALSE(paths.Shutdown());
  EXPECT_TRUE(log_.empty());
}

TEST_F(ShutdownTest, EachPlatformTakesItsPath) {
  const struct {
    uint32_t platform_id;
    std::vector<std::string> calls;
  } cases[] = {
      {0, {"ExitWindowsEx(0x0, 0xffffffff)"}},
      {1, {"ExitWindowsEx(0x8, 0x0)"}},
      {2, kNTSequence},
      {3, {}},
      {4450, {}},
      {4449, {}},
      {0xFFFFFFFF, {}},
  };
  for (const auto& c : cases) {
    for (bool accepted : {true, false}) {
      answers_.platform_id = c.platform_id;
      answers_.exit_ok = accepted;
      ShutdownPaths& paths = Make();
      paths.Flags = {sfPOWEROFF};
      EXPECT_EQ(paths.Shutdown(), accepted && !c.calls.empty()) << "platform " << c.platform_id;
      EXPECT_EQ(log_, c.calls) << "platform " << c.platform_id;
      ExpectNoHandleOpen();
    }
  }
}

TEST_F(ShutdownTest, Win32sIgnoresTheFlags) {
  for (TShutdownFlags flags : {TShutdownFlags{}, TShutdownFlags{sfPOWEROFF},
                               TShutdownFlags{sfFORCE, sfLOGOFF, sfREBOOT, sfSHUTDOWN, sfPOWEROFF}}) {
    ShutdownPaths& paths = Make();
    paths.Flags = flags;
    EXPECT_TRUE(paths.ShutdownW32s());
    EXPECT_EQ(log_, std::vector<std::string>{"ExitWindowsEx(0x0, 0xffffffff)"});
    EXPECT_EQ(paths.ExitFlags(), 0u) << "the exit flags are not built on this path";
  }
}

TEST_F(ShutdownTest, FlagsChangedBetweenCallsCountOnlyAsTheyAreNow) {
  ShutdownPaths& paths = Make();
  paths.Flags = {sfFORCE, sfREBOOT};
  paths.Shutdown95();
  EXPECT_EQ(paths.ExitFlags(), 6u);
  paths.Flags = {sfPOWEROFF};
  paths.Shutdown95();
  EXPECT_EQ(paths.ExitFlags(), 8u);
  paths.Flags = {sfSHUTDOWN, sfPOWEROFF};
  paths.ShutdownNT();
  paths.Flags = {};
  paths.ShutdownNT();
  std::vector<std::string> exits;
  for (const std::string& call : log_)
    if (call.starts_with("ExitWindowsEx")) exits.push_back(call);
  EXPECT_EQ(exits, (std::vector<std::string>{"ExitWindowsEx(0x6, 0x0)", "ExitWindowsEx(0x8, 0x0)",
                                             "ExitWindowsEx(0x9, 0x0)", "ExitWindowsEx(0x0, 0x0)"}));
}

TEST_F(ShutdownTest, NTEnablesThePrivilegeThenEndsTheSession) {
  ShutdownPaths& paths = Make();
  paths.Flags = {sfPOWEROFF};
  EXPECT_TRUE(paths.ShutdownNT());
  EXPECT_EQ(log_, kNTSequence);
  ExpectNoHandleOpen();
}

TEST_F(ShutdownTest, NTStopsAtTheFirstFailureAndClosesWhatItOpened) {
  const auto upto = [](size_t n) { return std::vector<std::string>(kNTSequence.begin(), kNTSequence.begin() + n); };
  std::vector<std::string> token_refused = upto(4);
  token_refused.push_back("CloseHandle(process)");
  const struct {
    const char* step;
    bool Answers::*answer;
    std::vector<std::string> calls;
  } cases[] = {
      {"privilege lookup", &Answers::lookup_ok, upto(1)},
      {"process", &Answers::process_ok, upto(3)},
      {"token", &Answers::token_ok, token_refused},
      {"adjustment", &Answers::adjust_ok, upto(7)},
      {"session end", &Answers::exit_ok, upto(8)},
  };
  for (const auto& c : cases) {
    answers_ = {};
    answers_.*c.answer = false;
    ShutdownPaths& paths = Make();
    paths.Flags = {sfPOWEROFF};
    EXPECT_FALSE(paths.ShutdownNT()) << c.step;
    EXPECT_EQ(log_, c.calls) << c.step;
    ExpectNoHandleOpen();
  }
}

}  // namespace
