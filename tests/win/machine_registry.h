#pragma once
// Raw Win32 access to per-machine registry values in the 32-bit view, the
// one both builds of the program use: how tests set up and read back what
// the program stores without going through its registry accessor.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace machine_registry {

constexpr REGSAM kView = KEY_WOW64_32KEY;

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  // The data as text (a REG_SZ), without its terminating NUL.
  std::wstring Text() const {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
  DWORD Dword() const {
    DWORD v = 0;
    if (data.size() == sizeof(v)) memcpy(&v, data.data(), sizeof(v));
    return v;
  }
};

inline bool KeyExists(const wchar_t* key, REGSAM view = kView) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// How many values the key holds; -1 when it cannot be opened.
inline int ValueCount(const wchar_t* key, REGSAM view = kView) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &k) != ERROR_SUCCESS) return -1;
  DWORD values = 0;
  const LONG rc = RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS ? static_cast<int>(values) : -1;
}

inline std::optional<Value> Read(const wchar_t* key, const wchar_t* name, REGSAM view = kView) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &k) != ERROR_SUCCESS) return std::nullopt;
  Value v;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(k, name, nullptr, &v.type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    v.data.resize(size);
    rc = RegQueryValueExW(k, name, nullptr, &v.type, v.data.data(), &size);
    v.data.resize(size);
  }
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return v;
}

// Creates the key if needed.
inline LONG Write(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size,
                  REGSAM view = kView) {
  HKEY k = nullptr;
  LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | view,
                            nullptr, &k, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(k);
  return rc;
}

inline LONG WriteDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  return Write(key, name, REG_DWORD, &value, sizeof(value));
}

inline LONG WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  return Write(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void Delete(const wchar_t* key, const wchar_t* name, REGSAM view = kView) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE | view, &k) != ERROR_SUCCESS) return;
  RegDeleteValueW(k, name);
  RegCloseKey(k);
}

}  // namespace machine_registry
