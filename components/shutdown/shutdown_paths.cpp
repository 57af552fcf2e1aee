#include "components/shutdown/shutdown_paths.h"

#include <utility>

namespace {
// The ExitWindowsEx bit of each option, by ordinal: EWX_FORCE, EWX_LOGOFF
// (which is no bit at all), EWX_REBOOT, EWX_SHUTDOWN, EWX_POWEROFF.
constexpr uint32_t kExitBit[] = {4, 0, 2, 1, 8};
constexpr foo kMembers[] = {sfFORCE, sfLOGOFF, sfREBOOT, sfSHUTDOWN, sfPOWEROFF};

constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";
constexpr uint32_t kPrivilegeEnabled = 2;          // SE_PRIVILEGE_ENABLED
constexpr uint32_t kProcessAllAccess = 0x1F0FFF;    // PROCESS_ALL_ACCESS
constexpr uint32_t kTokenAdjustPrivileges = 0x20;  // TOKEN_ADJUST_PRIVILEGES
// What the Win32s call passes as its reserved argument.
constexpr uint32_t kWin32sReserved = 0xFFFFFFFF;
}  // namespace

uint32_t ExitFlagsFor(TShutdownFlags flags) {
  uint32_t exit_flags = 0;
  for (foo m : kMembers) {
    if (flags.Contains(m)) exit_flags |= kExitBit[m];
  }
  return exit_flags;
}

ShutdownPaths::ShutdownPaths(std::unique_ptr<ShutdownCalls> calls) : calls_(std::move(calls)) {
  uint32_t id = 0;
  platform_id_ = calls_->QueryPlatformId(id) ? id : shutdown_platform::kUnknown;
}

bool ShutdownPaths::Shutdown() {
  switch (platform_id_) {
    case shutdown_platform::kWin32s: return ShutdownW32s();
    case shutdown_platform::kWindows: return Shutdown95();
    case shutdown_platform::kNT: return ShutdownNT();
    default: return false;
  }
}

bool ShutdownPaths::ShutdownW32s() {
  return calls_->ExitWindowsEx(0, kWin32sReserved);
}

bool ShutdownPaths::Shutdown95() {
  Set_shutdown_flags();
  return calls_->ExitWindowsEx(exit_flags_, 0);
}

bool ShutdownPaths::ShutdownNT() {
  ShutdownCalls::Luid luid;
  if (!calls_->LookupPrivilegeValue(nullptr, kShutdownPrivilege, luid)) return false;
  const ShutdownCalls::TokenPrivileges privileges{1, luid, kPrivilegeEnabled};
  ShutdownCalls::Handle token = nullptr;
  if (!OpenOwnToken(token)) return false;
  // Success is the call's result alone: a privilege the user lacks shows
  // only when ExitWindowsEx refuses.
  const bool adjusted = calls_->AdjustTokenPrivileges(token, false, privileges, 0);
  calls_->CloseHandle(token);
  if (!adjusted) return false;
  Set_shutdown_flags();
  return calls_->ExitWindowsEx(exit_flags_, 0);
}

void ShutdownPaths::Set_shutdown_flags() {
  exit_flags_ = ExitFlagsFor(Flags);
}

bool ShutdownPaths::OpenOwnToken(ShutdownCalls::Handle& token) {
  const ShutdownCalls::Handle process =
      calls_->OpenProcess(kProcessAllAccess, false, calls_->GetCurrentProcessId());
  if (!process) return false;
  const bool opened = calls_->OpenProcessToken(process, kTokenAdjustPrivileges, token);
  // Nothing else needs the process handle; kept, it would leak one handle
  // per attempt that does not end the session.
  calls_->CloseHandle(process);
  return opened;
}
