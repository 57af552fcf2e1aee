#pragma once
// The region selector: a borderless window over the whole primary screen on
// which the user drags the rectangle to capture. It shows the screen as it
// was when it appeared, and an inverted rubber band follows the drag.
#include <memory>

#include "toolkit/forms/form.h"
#include "toolkit/graphics/graphic.h"

class TNewform : public TForm {
 public:
  explicit TNewform(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TNewform"; }

  // The press point (Left, Top) and the latest move point (Right, Bottom),
  // exactly as dragged: never put in order.
  void GetSelRect(RECT& rect) const;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoShow() override;
  void DoHide() override;

 private:
  void ButtonDown(int x, int y);
  void Move(int x, int y);
  void ButtonUp();
  RECT SelRect{0, 0, 0, 0};
  // The screen as it was just before the window appeared: an unpainted
  // window does not keep the pixels beneath it on every desktop.
  std::unique_ptr<TBitmap> still_;
};

void LoadNewformLayout(TNewform& form);

extern TNewform* Newform;
