#pragma once
// When hints show and go: after the hint pause over a control that has a
// hint to show, for the hint hide time, and never while the application's
// ShowHint is off.
#include <functional>
#include <memory>
#include <string>

#include "toolkit/win/timer.h"

class TControl;
class THintWindow;

class HintController {
 public:
  using Factory = std::function<std::unique_ptr<THintWindow>()>;
  HintController();
  ~HintController();

  // The mouse is over `control` (the innermost control under it).
  void MouseOver(const TControl* control);
  // The mouse left, or pressed a button: the hint goes.
  void Cancel();

  // The class the next hint window is made from; the current one stays.
  void SetFactory(Factory factory);
  THintWindow* Window() const noexcept { return window_.get(); }
  bool Enabled() const noexcept { return enabled_; }
  // Turning hints on makes a new hint window of the current class; turning
  // them off destroys the current one.
  void SetEnabled(bool value);

 private:
  void ShowNow();
  Factory factory_;
  std::unique_ptr<THintWindow> window_;
  TTimer show_timer_{nullptr};
  TTimer hide_timer_{nullptr};
  const TControl* current_ = nullptr;
  std::wstring text_;
  bool enabled_ = true;
  // The hint shows after the mouse has rested this long, and goes after this.
  static constexpr unsigned kPause = 500;
  static constexpr unsigned kHidePause = 2500;
};
