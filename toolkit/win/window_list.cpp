#include "toolkit/win/window_list.h"

#include <exception>

namespace {

struct Collected {
  std::vector<HWND> windows;
  std::exception_ptr error;
};

BOOL CALLBACK Collect(HWND wnd, LPARAM out) {
  auto* collected = reinterpret_cast<Collected*>(out);
  try {
    collected->windows.push_back(wnd);
    return TRUE;
  } catch (...) {
    collected->error = std::current_exception();
    return FALSE;
  }
}

std::vector<HWND> Finish(Collected& collected) {
  if (collected.error) std::rethrow_exception(collected.error);
  return std::move(collected.windows);
}

}  // namespace

std::vector<HWND> ThreadWindows() {
  Collected collected;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&collected));
  return Finish(collected);
}

std::vector<HWND> DesktopWindows() {
  Collected collected;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&collected));
  return Finish(collected);
}
