#pragma once
// Helpers for tests that run the real message loop under Wine.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/forms/application.h"
#include "toolkit/win/timer.h"

// Runs the application's loop until `ms` milliseconds have passed.
inline void PumpFor(unsigned ms) {
  bool done = false;
  TTimer stop(nullptr);
  stop.SetInterval(ms);
  stop.OnTimer = [&](TComponent*) { done = true; };
  Application->RunLoop([&] { return done; });
}

// Runs the loop until `cond` holds or `ms` milliseconds have passed;
// answers whether it held.
inline bool PumpUntil(const std::function<bool()>& cond, unsigned ms = 5000) {
  bool timed_out = false;
  TTimer stop(nullptr);
  stop.SetInterval(ms);
  stop.OnTimer = [&](TComponent*) { timed_out = true; };
  Application->RunLoop([&] { return timed_out || cond(); });
  return cond();
}

// The popup menu showing now (a visible "#32768" window), or null.
inline HWND ShownMenuWindow() {
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
       w = FindWindowExW(nullptr, w, L"#32768", nullptr))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

struct SeenDialog {
  std::wstring caption;
  std::wstring text;
  HWND owner;
  std::vector<HWND> disabled_while_up;  // visible top-level windows found disabled
};

// Watches this thread for message boxes, as a user would see them, records
// them and answers each with `answer` (IDOK, IDYES, ...). It runs on a timer
// of the same thread, so it works inside the boxes' own modal loops.
class DialogWatcher {
 public:
  explicit DialogWatcher(int answer = IDOK) : answer_(answer), timer_(nullptr) {
    timer_.SetInterval(30);
    timer_.OnTimer = [this](TComponent*) { Scan(); };
  }
  const std::vector<SeenDialog>& Seen() const { return seen_; }
  void SetAnswer(int answer) { answer_ = answer; }

 private:
  static std::wstring Text(HWND w) {
    wchar_t buf[1024] = {};
    GetWindowTextW(w, buf, 1024);
    return buf;
  }
  void Scan() {
    EnumThreadWindows(GetCurrentThreadId(), &DialogWatcher::Visit, reinterpret_cast<LPARAM>(this));
  }
  static BOOL CALLBACK Visit(HWND w, LPARAM self_ptr) {
    auto* self = reinterpret_cast<DialogWatcher*>(self_ptr);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    for (HWND done : self->answered_)
      if (done == w) return TRUE;
    SeenDialog d{Text(w), {}, GetWindow(w, GW_OWNER), {}};
    HWND text = GetDlgItem(w, 0xFFFF);
    if (text) d.text = Text(text);
    EnumThreadWindows(GetCurrentThreadId(), &DialogWatcher::FindDisabled, reinterpret_cast<LPARAM>(&d));
    self->seen_.push_back(d);
    self->answered_.push_back(w);
    PostMessageW(w, WM_COMMAND, MAKEWPARAM(self->answer_, BN_CLICKED), 0);
    return TRUE;
  }
  static BOOL CALLBACK FindDisabled(HWND w, LPARAM d_ptr) {
    auto* d = reinterpret_cast<SeenDialog*>(d_ptr);
    if (IsWindowVisible(w) && !IsWindowEnabled(w)) d->disabled_while_up.push_back(w);
    return TRUE;
  }
  int answer_;
  TTimer timer_;
  std::vector<SeenDialog> seen_;
  std::vector<HWND> answered_;
};
