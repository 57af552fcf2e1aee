#include "toolkit/registry/registry.h"

#include <vector>

#include "toolkit/core/exceptions.h"

namespace {
ERegistryException SetError(const std::wstring& name) {
  return ERegistryException(FormatMessageText(L"Failed to set data for '%s'", name));
}
ERegistryException GetError(const std::wstring& name) {
  return ERegistryException(FormatMessageText(L"Failed to get data for '%s'", name));
}
ERegistryException TypeError(const std::wstring& name) {
  return ERegistryException(FormatMessageText(L"Invalid data type for '%s'", name));
}
}  // namespace

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::wstring& path, bool can_create) {
  CloseKey();
  HKEY key = nullptr;
  LONG rc;
  if (can_create) {
    rc = RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &key,
                         nullptr);
  } else {
    rc = RegOpenKeyExW(root_, path.c_str(), 0, access_, &key);
  }
  if (rc != ERROR_SUCCESS) return false;
  key_.reset(key);
  return true;
}

bool TRegistry::ValueExists(const std::wstring& name) const {
  return key_ && RegQueryValueExW(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::wstring& name) {
  return key_ && RegDeleteValueW(key_.get(), name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::WriteInteger(const std::wstring& name, int32_t value) {
  const DWORD data = static_cast<DWORD>(value);
  if (!key_ || RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof(data)) != ERROR_SUCCESS)
    throw SetError(name);
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (!key_ || RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              bytes) != ERROR_SUCCESS)
    throw SetError(name);
}

int32_t TRegistry::ReadInteger(const std::wstring& name) const {
  DWORD type = 0, data = 0, size = sizeof(data);
  if (!key_) throw GetError(name);
  const LONG rc = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  // A value of another kind answers with its own type (and, if longer, with
  // ERROR_MORE_DATA): that is a type error, not a failed read.
  if ((rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) && (type != REG_DWORD || size != sizeof(DWORD)))
    throw TypeError(name);
  if (rc != ERROR_SUCCESS) throw GetError(name);
  return static_cast<int32_t>(data);
}

std::wstring TRegistry::ReadString(const std::wstring& name) const {
  if (!key_) throw GetError(name);
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) throw GetError(name);
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw TypeError(name);
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
  rc = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
  if (rc != ERROR_SUCCESS) throw GetError(name);
  return std::wstring(buf.data());
}
