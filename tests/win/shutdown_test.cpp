// TShutdown against the real Win32 API, with the calls that would end the
// session (and, for one case, the version query) replaced.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "components/shutdown/shutdown.h"

namespace {

struct Seen {
  int version_queries = 0;
  std::vector<std::pair<uint32_t, uint32_t>> exits;
  int handles_closed = 0;
  bool calls_destroyed = false;
};

// The real calls, except that ExitWindowsEx is only recorded (and refused,
// when asked to) and the version query can be made to fail.
class NoSessionEndCalls : public SystemShutdownCalls {
 public:
  NoSessionEndCalls(Seen& seen, bool query_fails = false, bool exit_refused = false)
      : seen_(seen), query_fails_(query_fails), exit_refused_(exit_refused) {}
  ~NoSessionEndCalls() override { seen_.calls_destroyed = true; }

  bool QueryPlatformId(uint32_t& platform_id) override {
    ++seen_.version_queries;
    return !query_fails_ && SystemShutdownCalls::QueryPlatformId(platform_id);
  }
  void CloseHandle(Handle handle) override {
    ++seen_.handles_closed;
    SystemShutdownCalls::CloseHandle(handle);
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    seen_.exits.emplace_back(flags, reserved);
    return !exit_refused_;
  }

 private:
  Seen& seen_;
  bool query_fails_;
  bool exit_refused_;
};

TEST(Shutdown, TheVersionIsAskedOnceAndIsTheNTFamilyUnderWine) {
  Seen seen;
  TShutdown shutdown(nullptr, std::make_unique<NoSessionEndCalls>(seen));
  EXPECT_EQ(seen.version_queries, 1);
  EXPECT_EQ(shutdown.PlatformId(), 2u);
  EXPECT_TRUE(shutdown.Flags.Empty());
  EXPECT_EQ(shutdown.ExitFlags(), 0u);
  shutdown.Flags = {sfPOWEROFF};
  shutdown.Shutdown();
  shutdown.Shutdown();
  EXPECT_EQ(seen.version_queries, 1) << "never asked again";
}

TEST(Shutdown, AFailedVersionQueryCallsNothing) {
  Seen seen;
  TShutdown shutdown(nullptr, std::make_unique<NoSessionEndCalls>(seen, true));
  EXPECT_EQ(shutdown.PlatformId(), 4450u);
  shutdown.Flags = {sfPOWEROFF};
  EXPECT_FALSE(shutdown.Shutdown());
  EXPECT_TRUE(seen.exits.empty());
  EXPECT_EQ(seen.handles_closed, 0);
}

TEST(Shutdown, PowerOffEnablesThePrivilegeForRealAndAsksForFlagsEight) {
  Seen seen;
  TShutdown shutdown(nullptr, std::make_unique<NoSessionEndCalls>(seen));
  shutdown.Flags = {sfPOWEROFF};
  EXPECT_TRUE(shutdown.Shutdown());
  EXPECT_EQ(seen.exits, (std::vector<std::pair<uint32_t, uint32_t>>{{8, 0}}));
  EXPECT_EQ(seen.handles_closed, 2) << "the process and its token";
  EXPECT_EQ(shutdown.ExitFlags(), 8u);
}

TEST(Shutdown, ARefusedSessionEndIsFalse) {
  Seen seen;
  TShutdown shutdown(nullptr, std::make_unique<NoSessionEndCalls>(seen, false, true));
  shutdown.Flags = {sfFORCE, sfREBOOT};
  EXPECT_FALSE(shutdown.Shutdown());
  EXPECT_EQ(seen.exits, (std::vector<std::pair<uint32_t, uint32_t>>{{6, 0}}));
}

TEST(Shutdown, RealPrivilegeLookupAndToken) {
  SystemShutdownCalls calls;
  ShutdownCalls::Luid luid;
  ASSERT_TRUE(calls.LookupPrivilegeValue(nullptr, "SeShutdownPrivilege", luid));
  LUID expected{};
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &expected));
  EXPECT_EQ(luid, (ShutdownCalls::Luid{expected.LowPart, expected.HighPart}));
  EXPECT_FALSE(calls.LookupPrivilegeValue(nullptr, "SeNoSuchPrivilege", luid));
  EXPECT_EQ(calls.GetCurrentProcessId(), GetCurrentProcessId());
}

// The handle the system gives out next. Freed slots are given out again
// lowest first, so a handle left open by any call moves it.
HANDLE NextHandle() {
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
  CloseHandle(h);
  return h;
}

// Each attempt that does not end the session gives back the process and
// token handles it took. Wine counts no handles (GetProcessHandleCount
// answers 0), so the next handle's value shows a leak instead.
TEST(Shutdown, RefusedAttemptsLeaveNoHandleOpen) {
  Seen seen;
  TShutdown shutdown(nullptr, std::make_unique<NoSessionEndCalls>(seen, false, true));
  shutdown.Flags = {sfPOWEROFF};
  const HANDLE first = NextHandle();
  ASSERT_EQ(NextHandle(), first);
  HANDLE kept = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
  ASSERT_NE(NextHandle(), first) << "one handle left open must show";
  CloseHandle(kept);
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(shutdown.Shutdown()) << "attempt " << i;
  EXPECT_EQ(seen.exits.size(), 1000u);
  EXPECT_EQ(NextHandle(), first);
}

TEST(Shutdown, TheOwnerDestroysIt) {
  Seen seen;
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* shutdown = new TShutdown(owner.get(), std::make_unique<NoSessionEndCalls>(seen));
  shutdown->Flags = {sfPOWEROFF};
  ASSERT_EQ(owner->Components(), std::vector<TComponent*>{shutdown});
  EXPECT_EQ(shutdown->Owner(), owner.get());
  owner.reset();
  EXPECT_TRUE(seen.calls_destroyed) << "the component, and with it its calls, is gone";
  EXPECT_TRUE(seen.exits.empty());
}

TEST(Shutdown, TheDefaultCallsAreTheSystemOnes) {
  TShutdown shutdown(nullptr);
  EXPECT_EQ(shutdown.PlatformId(), 2u);
  EXPECT_TRUE(shutdown.Flags.Empty());
}

}  // namespace
