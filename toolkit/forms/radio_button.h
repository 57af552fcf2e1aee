#pragma once
// A radio button: the system's radio glyph and the caption in the control's
// font. The radio buttons of one parent form a group: checking one unchecks
// the others and raises its OnClick, whether the user clicked it or the
// program set Checked; a click on the checked one does nothing.
#include "toolkit/forms/control.h"

class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* owner);

  bool Checked() const noexcept { return checked_; }
  // Setting the state it has does nothing; checking unchecks the group's
  // other buttons, then raises OnClick.
  void SetChecked(bool value);
  // A user's click: checks the button if it is not checked yet.
  void Click() override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintWindow(HDC dc) override;

 private:
  void SetPushed(bool value);
  bool checked_ = false;
  bool pushed_ = false;  // the left button is held down on it
};
