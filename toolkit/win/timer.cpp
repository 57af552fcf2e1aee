#include "toolkit/win/timer.h"

#include <windows.h>

#include "toolkit/core/exceptions.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHWnd([this](UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (msg != WM_TIMER) return 0;
    handled = true;
    if (enabled_ && OnTimer) OnTimer(this);
    return 0;
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  enabled_ = false;
  if (window_) KillTimer(window_->Handle(), kTimerId);
  DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (!window_) return;
  KillTimer(window_->Handle(), kTimerId);
  if (enabled_ && interval_ != 0) {
    if (!SetTimer(window_->Handle(), kTimerId, interval_, nullptr))
      throw EOutOfResources(L"Not enough timers available");
  }
}
