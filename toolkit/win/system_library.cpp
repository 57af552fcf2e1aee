#include "toolkit/win/system_library.h"

#include <string>

HMODULE SystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

void LoadControlsLibrary() noexcept {
  // By its bare name: the manifest's redirection, not the search path,
  // finds version 6. Failing, each box loads what it needs itself.
  static const HMODULE controls = LoadLibraryW(L"comctl32.dll");
  static_cast<void>(controls);
}
