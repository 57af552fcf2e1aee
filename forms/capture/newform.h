#pragma once
// The region selector: a borderless window over the whole virtual screen
// (every monitor) on which the user drags the rectangle to capture. It shows
// the screen as it was when it appeared, and an inverted rubber band follows
// the drag.
#include <memory>

#include "forms/capture/screen_capture.h"
#include "toolkit/forms/form.h"

class TNewform : public TForm {
 public:
  explicit TNewform(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TNewform"; }

  // The press point (Left, Top) and the latest move point (Right, Bottom),
  // in screen pixels, exactly as dragged: never put in order.
  void GetSelRect(RECT& rect) const;

  // Makes the next showing's still picture now, while the user is still
  // choosing from the tray menu, so that its memory is in when the selector
  // shows; DropStill gives it up when another command was chosen. Neither
  // touches the picture of a selector that is showing.
  void PrepareStill();
  void DropStill();
  // Where the tray menu that chose the selector was on the screen: the
  // still picture takes the rest of the screen at once, and this area once
  // the windows under the menu have repainted it.
  void SetMenuArea(const RECT& area) noexcept { menu_area_ = area; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoShow() override;
  void DoHide() override;

 private:
  void ButtonDown(int x, int y);
  void Move(int x, int y);
  void ButtonUp();
  // Inverts the outline of SelRect on the window: the rubber band.
  void InvertBand(HDC dc) const;
  // Places the window over the virtual screen as it is now.
  void CoverDesktop();
  RECT SelRect{0, 0, 0, 0};
  // The virtual screen the window covers; client point 0, 0 is its top-left.
  RECT desktop_{0, 0, 0, 0};
  // The screen as it was just before the window appeared: an unpainted
  // window does not keep the pixels beneath it on every desktop. Made by
  // PrepareStill or at the showing, given up when the window hides.
  std::unique_ptr<StillPicture> still_;
  bool showing_ = false;
  RECT menu_area_{0, 0, 0, 0};
};

void LoadNewformLayout(TNewform& form);

extern TNewform* Newform;
