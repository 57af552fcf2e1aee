#pragma once
// The notification-area icon: adds and removes it through the shell, keeps
// its picture (from an image list, or the application's icon) and hint,
// animates it through the list, and turns the shell's mouse notifications
// into events, the restore action and the popup menu.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "components/trayicon/tray_dispatch.h"
#include "toolkit/core/component.h"
#include "toolkit/forms/control.h"
#include "toolkit/forms/image_list.h"
#include "toolkit/forms/popup_menu.h"
#include "toolkit/win/handle.h"
#include "toolkit/win/timer.h"
#include "toolkit/win/utility_window.h"

class TTrayIcon : public TComponent {
 public:
  // The shell's callback message for the icon.
  static constexpr UINT kCallbackMessage = WM_USER + 1;

  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;
  void Loaded() override;

  bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool value);
  const std::wstring& Hint() const noexcept { return hint_; }
  void SetHint(const std::wstring& hint);
  TPopupMenu* PopupMenu() const noexcept { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  bool Hide() const noexcept { return hide_; }
  void SetHide(bool value) { hide_ = value; }
  TTrayIconMessage RestoreOn() const noexcept { return restore_on_; }
  void SetRestoreOn(TTrayIconMessage value) { restore_on_ = value; }
  TTrayIconMessage PopupMenuOn() const noexcept { return popup_menu_on_; }
  void SetPopupMenuOn(TTrayIconMessage value) { popup_menu_on_ = value; }
  TImageList* Icons() const noexcept { return icons_; }
  void SetIcons(TImageList* icons);
  int IconIndex() const noexcept { return icon_index_; }
  virtual void SetIconIndex(int index);
  unsigned GetAnimateInterval() const { return timer_->Interval(); }
  void SetAnimateInterval(unsigned ms) { timer_->SetInterval(ms); }
  bool GetAnimate() const noexcept { return animate_; }
  void SetAnimate(bool value);
  HWND GetHandle() const noexcept { return window_ ? window_->Handle() : nullptr; }
  // The record handed to the shell, and the icon it shows.
  const NOTIFYICONDATAW& NotifyData() const noexcept { return data_; }
  HICON CurrentIcon() const noexcept { return icon_.get(); }

  virtual void Minimize();
  virtual void Restore();
  virtual void Update();
  virtual void ShowMenu();
  virtual void SetDefaultIcon();
  void EndSession();
  static TShiftState ShiftState();

  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseEnter;
  TMouseMoveEvent OnMouseExit;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseDown;
  TNotifyEvent OnAnimate;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The hidden window's procedure; the shell's callback arrives here.
  virtual LRESULT DoMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual void DoClick();
  virtual void DoDblClick();
  virtual void DoMouseMove(TShiftState shift, int x, int y);
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoOnAnimate(TComponent* sender);

 private:
  bool ApplicationHookProc(UINT msg, WPARAM wp, LPARAM lp);
  void HandleCallback(UINT mouse_message);
  void SetCurrentIcon(unique_hicon icon);
  void StopAnimation();

  NOTIFYICONDATAW data_{};
  unique_hicon icon_;
  TImageList* icons_ = nullptr;
  TPopupMenu* popup_menu_ = nullptr;
  std::unique_ptr<TTimer> timer_;
  std::wstring hint_;
  int icon_index_ = 0;
  bool visible_ = false;
  bool hide_ = true;
  bool animate_ = false;
  bool hooked_ = false;
  TTrayIconMessage restore_on_ = imDoubleClick;
  TTrayIconMessage popup_menu_on_ = imNone;
  UINT taskbar_created_ = 0;
  std::unique_ptr<UtilityWindow> window_;
  bool window_ready_ = false;
};
