#include "app/start_folder.h"

#include <windows.h>

#include <string>

namespace {

// A folder's full path, without a trailing backslash; empty when unknown.
std::wstring Folder(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

template <typename Ask>
std::wstring Asked(Ask ask) {
  wchar_t buffer[MAX_PATH + 1];
  const UINT length = ask(buffer, MAX_PATH + 1);
  return length > 0 && length <= MAX_PATH ? Folder(buffer) : std::wstring();
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

void LeaveSystemFolder() {
  const std::wstring current = Asked([](wchar_t* b, UINT n) { return GetCurrentDirectoryW(n, b); });
  const std::wstring system_folders[] = {
      Asked([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); }),
      Asked([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); }),
      // A 32-bit program on 64-bit Windows is started in SysWOW64.
      Asked([](wchar_t* b, UINT n) { return GetSystemWow64DirectoryW(b, n); }),
  };
  bool in_system = false;
  for (const std::wstring& folder : system_folders) in_system = in_system || SameFolder(current, folder);
  if (!in_system) return;
  std::wstring own(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size()))) == own.size())
    own.resize(own.size() * 2);
  own.resize(length);
  const size_t slash = own.find_last_of(L'\\');
  if (length == 0 || slash == std::wstring::npos) return;
  own.resize(slash == 2 ? 3 : slash);  // "C:\" keeps its backslash
  // A folder that cannot be entered leaves things as they were: the
  // captures then report where they cannot write.
  SetCurrentDirectoryW(own.c_str());
}
