#pragma once
// The screen object: the primary screen's size, the monitors, and the
// program's forms.
#include <windows.h>

#include <vector>

class TForm;

class TScreen {
 public:
  int Width() const;
  int Height() const;
  // The virtual screen: the rectangle around every monitor, in screen
  // pixels (the primary monitor's top-left corner is 0, 0, so a monitor
  // left of or above it has negative coordinates). Asked afresh each time.
  RECT DesktopRect() const;
  // Each monitor's rectangle in screen pixels, asked afresh each time.
  std::vector<RECT> MonitorRects() const;
  // The form that was activated last, even if it has been hidden since;
  // null once that form is gone.
  TForm* ActiveForm() const noexcept { return active_form_; }
  void FormActivated(TForm* form) noexcept { active_form_ = form; }
  const std::vector<TForm*>& Forms() const noexcept { return forms_; }
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

 private:
  std::vector<TForm*> forms_;
  TForm* active_form_ = nullptr;
};

TScreen& Screen();
