#pragma once
// The shutdown component's decisions, kept apart from Win32: which exit
// flags the chosen options make, which path each Windows family takes, and
// the calls each path makes, in order. The calls go through ShutdownCalls, so
// the host tests drive every path without ever ending a session.
#include <cstdint>
#include <initializer_list>
#include <memory>

// The options of a shutdown request.
enum foo : uint8_t { sfFORCE, sfLOGOFF, sfREBOOT, sfSHUTDOWN, sfPOWEROFF };

// A set of foo in one byte: bit n stands for the member with ordinal n.
class TShutdownFlags {
 public:
  constexpr TShutdownFlags() = default;
  constexpr TShutdownFlags(std::initializer_list<foo> members) {
    for (foo m : members) Include(m);
  }
  constexpr bool Contains(foo m) const { return bits_ & Bit(m); }
  constexpr void Include(foo m) { bits_ |= Bit(m); }
  constexpr void Exclude(foo m) { bits_ &= static_cast<uint8_t>(~Bit(m)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TShutdownFlags&) const = default;

 private:
  static constexpr uint8_t Bit(foo m) { return static_cast<uint8_t>(1u << m); }
  uint8_t bits_ = 0;
};
static_assert(sizeof(TShutdownFlags) == 1);

// The ExitWindowsEx flags the options ask for.
uint32_t ExitFlagsFor(TShutdownFlags flags);

namespace shutdown_platform {
// The platform ids of the version query, and the marker for a failed query.
constexpr uint32_t kWin32s = 0, kWindows = 1, kNT = 2, kUnknown = 4450;
}  // namespace shutdown_platform

// The system calls of the shutdown paths, in portable terms. Handles are the
// system's own values; a null handle means the call failed.
class ShutdownCalls {
 public:
  using Handle = void*;
  struct Luid {
    uint32_t low = 0;
    int32_t high = 0;
    bool operator==(const Luid&) const = default;
  };
  // A token privileges record with its one entry.
  struct TokenPrivileges {
    uint32_t count = 0;
    Luid luid;
    uint32_t attributes = 0;
    bool operator==(const TokenPrivileges&) const = default;
  };

  virtual ~ShutdownCalls() = default;
  // The running system's platform id; false when the query fails.
  virtual bool QueryPlatformId(uint32_t& platform_id) = 0;
  // `system_name` null means the local system.
  virtual bool LookupPrivilegeValue(const char* system_name, const char* name, Luid& luid) = 0;
  virtual uint32_t GetCurrentProcessId() = 0;
  virtual Handle OpenProcess(uint32_t access, bool inherit_handle, uint32_t process_id) = 0;
  virtual bool OpenProcessToken(Handle process, uint32_t access, Handle& token) = 0;
  // Asks for no previous state and no return length.
  virtual bool AdjustTokenPrivileges(Handle token, bool disable_all, const TokenPrivileges& new_state,
                                     uint32_t buffer_length) = 0;
  virtual void CloseHandle(Handle handle) = 0;
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;
};

// The state and paths of the shutdown component. The platform id is asked
// for once, here, unless the component is being designed.
class ShutdownPaths {
 public:
  explicit ShutdownPaths(std::unique_ptr<ShutdownCalls> calls);

  // Ends the session by the path of the recorded platform; true when the
  // system accepted the request.
  bool Shutdown();
  bool ShutdownW32s();
  bool Shutdown95();
  bool ShutdownNT();
  // Rebuilds the exit flags from Flags.
  void Set_shutdown_flags();

  uint32_t ExitFlags() const { return exit_flags_; }
  uint32_t PlatformId() const { return platform_id_; }

  // Read and written directly, as the layout stores it; empty by default.
  TShutdownFlags Flags;

 private:
  bool OpenOwnToken(ShutdownCalls::Handle& token);

  uint32_t exit_flags_ = 0;
  uint32_t platform_id_ = 0;
  std::unique_ptr<ShutdownCalls> calls_;
};
