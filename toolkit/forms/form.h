#pragma once
// Forms: top-level windows owned by the application window, built from a
// layout, shown modeless or modal, closed with a close action.
#include <windows.h>

#include <functional>

#include "toolkit/forms/control.h"

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;

using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // The window's class name; forms register a class of their own name.
  virtual const wchar_t* ClassName() const { return L"TForm"; }

  TBorderStyle BorderStyle() const noexcept { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  TBorderIcons BorderIcons() const noexcept { return border_icons_; }
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const noexcept { return form_style_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const noexcept { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  // Whether the layout is scaled to the dots per inch of the monitor the
  // form opens on (and follows it to another one). A form sized from the
  // screen itself is not.
  bool Scaled() const noexcept { return scaled_; }
  void SetScaled(bool value) { scaled_ = value; }
  void ChangeScale(int dpi) override;
  void SetClientWidth(int w);
  void SetClientHeight(int h);
  int ClientWidth() const;
  int ClientHeight() const;
  // The window's icon, from this program's icon resources.
  void SetIconResource(int id);

  bool AlphaBlend() const noexcept { return alpha_blend_; }
  void SetAlphaBlend(bool value);
  BYTE AlphaBlendValue() const noexcept { return alpha_value_; }
  void SetAlphaBlendValue(BYTE value);

  void SetVisible(bool value) override;
  void Show();
  void Hide();
  TModalResult ShowModal();
  bool Modal() const noexcept { return modal_; }
  void Close();
  // The control of this form that has the keyboard focus, or null.
  TWinControl* ActiveControl();
  // A key pressed in this form, before any control sees it: Tab and
  // Shift+Tab move the focus through the tab stops, an arrow key moves
  // within the focused control's group. Answers whether the key was used.
  bool DialogKey(WPARAM key, TShiftState shift);
  long AccessibleState() const override;
  // Frees the form once the messages now waiting have been handled, so a
  // handler of its own may ask for it.
  void Release();

  // Raised once the layout is loaded and the window made, before the form
  // is first shown.
  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;

 protected:
  void CreateParams(CreateParamsData& params) override;
  void CreateHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Ends a derived form's constructor: runs Loaded for the layout, creates
  // the window, raises OnCreate, and shows the form when the layout marked
  // it visible.
  void FinishConstruction();
  // The form is about to be shown / has just been hidden; the events run here.
  virtual void DoShow();
  virtual void DoHide();

 private:
  void ApplyStyles();
  void ApplyAlpha();
  void UpdateShowing();
  void CloseModal();
  void CenterOnScreen();
  void TakeFocus();
  void ShowFocusCues();
  DWORD WindowStyle() const;
  DWORD WindowExStyle() const;

  TBorderStyle border_style_ = TBorderStyle::bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  bool alpha_blend_ = false;
  BYTE alpha_value_ = 255;
  bool modal_ = false;
  TModalResult modal_result_ = mrNone;
  HICON icon_ = nullptr;
  int client_width_ = -1, client_height_ = -1;
  bool scaled_ = true;
};
