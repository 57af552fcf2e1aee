#pragma once
// The shutdown component: logs off, shuts down, reboots or powers off
// Windows, with the call sequence of the running Windows family. The
// decisions live in ShutdownPaths; this side binds them to Win32.
#include <windows.h>

#include <memory>

#include "components/shutdown/shutdown_paths.h"
#include "toolkit/core/component.h"

// The real system calls. Tests derive from it to replace the calls that
// would end the session.
class SystemShutdownCalls : public ShutdownCalls {
 public:
  bool QueryPlatformId(uint32_t& platform_id) override;
  bool LookupPrivilegeValue(const char* system_name, const char* name, Luid& luid) override;
  uint32_t GetCurrentProcessId() override;
  Handle OpenProcess(uint32_t access, bool inherit_handle, uint32_t process_id) override;
  bool OpenProcessToken(Handle process, uint32_t access, Handle& token) override;
  bool AdjustTokenPrivileges(Handle token, bool disable_all, const TokenPrivileges& new_state,
                             uint32_t buffer_length) override;
  void CloseHandle(Handle handle) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
};

class TShutdown : public TComponent, public ShutdownPaths {
 public:
  explicit TShutdown(TComponent* owner);
  // The same, with the system calls given (tests).
  TShutdown(TComponent* owner, std::unique_ptr<ShutdownCalls> calls);
  ~TShutdown() override = default;
};
