#include "toolkit/win/time_text.h"

std::wstring TimeToStr(const SYSTEMTIME& time) {
  // No format and no flags: the user's locale picks its long time format.
  wchar_t text[128] = {};
  const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, 128);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length - 1)) : std::wstring();
}
