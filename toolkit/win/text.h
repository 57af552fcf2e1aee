#pragma once
// Text at the Win32 boundary: UTF-16 above it, UTF-8 in the portable code.
#include <string>
#include <string_view>

std::wstring WidenUtf8(std::string_view utf8);

// Length of the text in the ANSI code page the program's strings were
// designed for (936, Simplified Chinese), where byte limits apply.
size_t AnsiByteLength(std::wstring_view text);
