#pragma once
// The intro window: the green banner that fades out at start, and the owner
// of everything the program keeps running (tray icon, tray menu, timers,
// save dialog).
#include <cstdint>

#include "toolkit/app/timer.h"
#include "toolkit/forms/form.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TForm1"; }

  TTimer* Timer1 = nullptr;  // display time
  TTimer* Timer2 = nullptr;  // fade

  void FormShow(TComponent* sender);
  void FormClose(TComponent* sender, TCloseAction& action);
  void Timer1Timer(TComponent* sender);
  void Timer2Timer(TComponent* sender);

  int32_t FadeCounter() const noexcept { return fade_counter_; }

 private:
  void HideStep();
  int32_t fade_counter_ = 0;
};

// Builds the intro window's controls and stored properties, in layout order.
void LoadForm1Layout(TForm1& form);

extern TForm1* Form1;
