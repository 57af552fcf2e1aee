#include "toolkit/win/text.h"

#include <windows.h>

namespace {
constexpr UINT kDesignCodePage = 936;
}

std::wstring WidenUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

size_t AnsiByteLength(std::wstring_view text) {
  if (text.empty()) return 0;
  const int n = WideCharToMultiByte(kDesignCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  return n > 0 ? static_cast<size_t>(n) : text.size();
}
