#pragma once
// A radio button: the system's radio glyph and the caption in the control's
// font. The radio buttons of one parent form a group: checking one unchecks
// the others and raises its OnClick, whether the user clicked it or the
// program set Checked; a click on the checked one does nothing. From the
// keyboard, Tab stops only on the group's checked button (the first one
// while none is), an arrow key moves through the group checking each button
// it reaches, and Space checks the focused one.
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
  bool TabStop() const override;
  bool SelectInGroup(bool forward) override;
  long AccessibleRole() const override;
  long AccessibleState() const override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintWindow(HDC dc) override;

 private:
  void SetPushed(bool value);
  // The radio buttons of this one's group, in tab order.
  std::vector<TRadioButton*> Group() const;
  bool checked_ = false;
  bool pushed_ = false;  // the left button is held down on it
};
