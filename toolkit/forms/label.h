#pragma once
// A label: text drawn on its parent, in its own font and colour; with
// WordWrap its lines break to its width (between characters where a word
// does not fit, so a narrow label shows one character per line).
#include <string>
#include <vector>

#include "toolkit/forms/control.h"

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);

  bool AutoSize() const noexcept { return auto_size_; }
  void SetAutoSize(bool value);
  bool WordWrap() const noexcept { return word_wrap_; }
  void SetWordWrap(bool value);
  void SetCaption(const std::wstring& caption) override;
  void Paint(HDC dc) override;
  void Loaded() override;
  long AccessibleRole() const override;
  long AccessibleState() const override;

  // The lines the caption breaks into at `width` pixels on `dc`.
  static std::vector<std::wstring> WrapLines(HDC dc, const std::wstring& text, int width);

 protected:
  void FontChanged() override;

 private:
  void AdjustBounds();
  bool auto_size_ = true;
  bool word_wrap_ = false;
};
