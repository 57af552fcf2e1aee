#pragma once
// A panel: a child window with inner and outer bevels, a colour and an
// optional centred caption; aligned children share the area inside the bevels.
#include "toolkit/forms/control.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);

  TBevelCut BevelInner() const noexcept { return bevel_inner_; }
  void SetBevelInner(TBevelCut cut);
  TBevelCut BevelOuter() const noexcept { return bevel_outer_; }
  void SetBevelOuter(TBevelCut cut);
  int BevelWidth() const noexcept { return bevel_width_; }
  void SetBevelWidth(int width);
  RECT AlignArea() const override;
  void ChangeScale(int dpi) override;
  long AccessibleRole() const override;
  std::wstring AccessibleName() const override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  void PaintWindow(HDC dc) override;

 private:
  void Changed();
  TBevelCut bevel_inner_ = TBevelCut::bvNone;
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
  int bevel_width_ = 1;
};

// Draws a 3D frame of `width` pixels just inside `r` and shrinks `r` by it.
void Frame3D(HDC dc, RECT& r, TColor top_left, TColor bottom_right, int width);
