#pragma once
// Times as text, in the user's long time format from the system locale.
#include <windows.h>

#include <string>

std::wstring TimeToStr(const SYSTEMTIME& time);
