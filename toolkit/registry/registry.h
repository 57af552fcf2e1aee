#pragma once
// The registry accessor: a root key, one open key, typed reads and writes
// with the accessor's own error messages.
#include <windows.h>

#include <string>

#include "toolkit/win/handle.h"

class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : access_(access) {}

  HKEY RootKey() const noexcept { return root_; }
  void SetRootKey(HKEY root);
  // Opens `path` under the root key, creating it when `can_create`;
  // answers whether it is open. Under HKEY_LOCAL_MACHINE it is the key of
  // the 32-bit view, whichever build asks.
  bool OpenKey(const std::wstring& path, bool can_create);
  void CloseKey() { key_.reset(); }

  bool ValueExists(const std::wstring& name) const;
  bool DeleteValue(const std::wstring& name);
  // "Failed to set data for '%s'" when the write is refused.
  void WriteInteger(const std::wstring& name, int32_t value);
  void WriteString(const std::wstring& name, const std::wstring& value);
  // "Failed to get data for '%s'" when the read fails (for an integer, also
  // when the data is longer than four bytes, text counted in code page 936),
  // "Invalid data type for '%s'" when the value is not of the kind asked for.
  int32_t ReadInteger(const std::wstring& name) const;

 private:
  HKEY root_ = HKEY_CURRENT_USER;
  REGSAM access_;
  unique_hkey key_;
};
