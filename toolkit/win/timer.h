#pragma once
// Window-message timers: an interval of 0 never fires; a new interval on an
// enabled timer restarts it; setting the interval it already has does nothing.
#include <functional>
#include <memory>

#include "toolkit/core/component.h"
#include "toolkit/win/utility_window.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const noexcept { return interval_; }
  void SetInterval(unsigned ms);

  TNotifyEvent OnTimer;

 private:
  void UpdateTimer();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  std::unique_ptr<UtilityWindow> window_;
};
