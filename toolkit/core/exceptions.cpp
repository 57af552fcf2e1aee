#include "toolkit/core/exceptions.h"

std::wstring FormatMessageText(const std::wstring& pattern, const std::wstring& arg) {
  std::wstring out = pattern;
  const size_t at = out.find(L"%s");
  if (at != std::wstring::npos) out.replace(at, 2, arg);
  return out;
}
