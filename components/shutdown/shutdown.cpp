#include "components/shutdown/shutdown.h"

#include <string>

#include "toolkit/win/text.h"

bool SystemShutdownCalls::QueryPlatformId(uint32_t& platform_id) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  // Only the family is read: newer systems may report an older version to
  // this program, but never another family.
  if (!::GetVersionExW(&info)) return false;
  platform_id = info.dwPlatformId;
  return true;
}

bool SystemShutdownCalls::LookupPrivilegeValue(const char* system_name, const char* name, Luid& luid) {
  const std::wstring system = system_name ? WidenUtf8(system_name) : std::wstring();
  LUID found{};
  if (!::LookupPrivilegeValueW(system_name ? system.c_str() : nullptr, WidenUtf8(name).c_str(), &found))
    return false;
  luid = {found.LowPart, found.HighPart};
  return true;
}

uint32_t SystemShutdownCalls::GetCurrentProcessId() {
  return ::GetCurrentProcessId();
}

ShutdownCalls::Handle SystemShutdownCalls::OpenProcess(uint32_t access, bool inherit_handle,
                                                       uint32_t process_id) {
  return ::OpenProcess(access, inherit_handle, process_id);
}

bool SystemShutdownCalls::OpenProcessToken(Handle process, uint32_t access, Handle& token) {
  return ::OpenProcessToken(process, access, &token) != FALSE;
}

bool SystemShutdownCalls::AdjustTokenPrivileges(Handle token, bool disable_all,
                                                const TokenPrivileges& new_state, uint32_t buffer_length) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = new_state.count;
  privileges.Privileges[0].Luid = {new_state.luid.low, new_state.luid.high};
  privileges.Privileges[0].Attributes = new_state.attributes;
  return ::AdjustTokenPrivileges(token, disable_all, &privileges, buffer_length, nullptr, nullptr) != FALSE;
}

void SystemShutdownCalls::CloseHandle(Handle handle) {
  ::CloseHandle(handle);  // a handle we opened ourselves: nothing to do if refused
}

bool SystemShutdownCalls::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

TShutdown::TShutdown(TComponent* owner) : TShutdown(owner, std::make_unique<SystemShutdownCalls>()) {}

TShutdown::TShutdown(TComponent* owner, std::unique_ptr<ShutdownCalls> calls)
    : TComponent(owner), ShutdownPaths(std::move(calls)) {}
