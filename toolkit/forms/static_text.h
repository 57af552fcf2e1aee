#pragma once
// Static text: a small window of its own showing its caption, wrapped to its
// width (a column one character wide shows one character per line). Being a
// window, it takes its own mouse input: a click on it never reaches its
// parent.
#include "toolkit/forms/control.h"

class TStaticText : public TWinControl {
 public:
  explicit TStaticText(TComponent* owner);

  bool AutoSize() const noexcept { return auto_size_; }
  void SetAutoSize(bool value);
  // The parent's colour shows behind the text until a colour of its own is
  // set.
  bool ParentColor() const noexcept { return parent_color_; }
  void SetColor(TColor color) override;
  void SetCaption(const std::wstring& caption) override;
  void Loaded() override;
  long AccessibleRole() const override;
  long AccessibleState() const override;

 protected:
  void CreateParams(CreateParamsData& params) override;
  void PaintWindow(HDC dc) override;
  void FontChanged() override;

 private:
  void AdjustBounds();
  bool auto_size_ = true;
  bool parent_color_ = true;
};
