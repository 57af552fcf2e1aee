#pragma once
// An image control: draws its picture at its own size, stretched, or fitted
// (shrunk with its aspect kept, never enlarged), optionally centred.
#include "toolkit/forms/control.h"
#include "toolkit/graphics/picture.h"

class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);

  TPicture& Picture() noexcept { return picture_; }
  // Tells the image its picture changed (after loading into Picture()).
  void PictureChanged();
  bool Stretch() const noexcept { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Invalidate(); }
  bool Center() const noexcept { return center_; }
  void SetCenter(bool v) { center_ = v; Invalidate(); }
  bool Proportional() const noexcept { return proportional_; }
  void SetProportional(bool v) { proportional_ = v; Invalidate(); }
  bool AutoSize() const noexcept { return auto_size_; }
  void SetAutoSize(bool v) { auto_size_ = v; PictureChanged(); }

  // Where the picture goes, in the image's client coordinates.
  RECT DestRect() const;
  void Paint(HDC dc) override;
  void ChangeScale(int dpi) override;
  long AccessibleRole() const override;
  std::wstring AccessibleName() const override;

 private:
  TPicture picture_;
  bool stretch_ = false, center_ = false, proportional_ = false, auto_size_ = false;
};
