#pragma once
// The standard hint window: a small bordered popup with the hint text on
// the info colour. Its measuring, placing and painting are virtual, so a
// hint window of another look can take its place.
#include <string>

#include "toolkit/forms/control.h"

class THintWindow : public TWinControl {
 public:
  THintWindow();

  // The size the hint needs, as a rectangle at 0, 0, at most `max_width` wide.
  virtual RECT CalcHintRect(int max_width, const std::wstring& hint);
  // Shows the hint in `r` (screen coordinates, kept on the screen), without
  // taking the focus.
  virtual void ActivateHint(RECT r, const std::wstring& hint);
  void ReleaseHandle();
  bool Showing() const;
  long AccessibleRole() const override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  void PaintWindow(HDC dc) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
