#include "toolkit/registry/registry.h"

#include <cstring>
#include <vector>

#include "toolkit/core/exceptions.h"
#include "toolkit/win/text.h"

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

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The size of the data as the program's ANSI code page (936) counts it,
// which is what decides whether it fits an integer: text is stored wide but
// was designed as GBK bytes.
size_t AnsiDataSize(DWORD type, const std::vector<BYTE>& data) {
  if (!IsText(type)) return data.size();
  const std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  return AnsiByteLength(text);
}
}  // namespace

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::wstring& path, bool can_create) {
  CloseKey();
  HKEY key = nullptr;
  // The per-machine keys are always those of the 32-bit view, so that the
  // 32-bit and the 64-bit build of the program share one set of values.
  const REGSAM access = access_ | (root_ == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0);
  LONG rc;
  if (can_create) {
    rc = RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                         nullptr);
  } else {
    rc = RegOpenKeyExW(root_, path.c_str(), 0, access, &key);
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
  if (!key_) throw GetError(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    throw GetError(name);
  std::vector<BYTE> data(size);
  if (size && RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    throw GetError(name);
  data.resize(size);
  // An integer is read into four bytes: longer data fails the read before
  // its type is looked at, so only short data of another kind is a type error.
  if (AnsiDataSize(type, data) > sizeof(DWORD)) throw GetError(name);
  if (type != REG_DWORD) throw TypeError(name);
  DWORD value = 0;
  std::memcpy(&value, data.data(), data.size());
  return static_cast<int32_t>(value);
}
