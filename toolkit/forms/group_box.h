#pragma once
// A group box: an etched frame with its caption in the top edge, in the
// control's font and colour; the parent of the controls it groups (radio
// buttons inside one form a group of their own).
#include "toolkit/forms/control.h"

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);
  long AccessibleRole() const override;
  std::vector<TControl*> AccessibleChildren() const override;
  bool Groups(const TControl& sibling) const override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  void PaintWindow(HDC dc) override;
};
