#include "components/trayicon/tray_icon.h"

#include <cwchar>

#include "toolkit/core/exceptions.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/text.h"

namespace {
// The hint limit counts the bytes of the hint in the design's ANSI code page.
constexpr size_t kHintByteLimit = 64;

TMouseButton ToMouseButton(TrayButton b) {
  switch (b) {
    case TrayButton::Right: return TMouseButton::mbRight;
    case TrayButton::Middle: return TMouseButton::mbMiddle;
    default: return TMouseButton::mbLeft;
  }
}

TShiftState ButtonShift(TrayButton b) {
  switch (b) {
    case TrayButton::Right: return ssRight;
    case TrayButton::Middle: return ssMiddle;
    default: return ssLeft;
  }
}

// A program running with raised rights hears the shell's broadcast only
// once it lets that message in. The call exists from Windows 7 on; older
// systems deliver the message anyway.
void AllowShellMessage(HWND wnd, UINT msg) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const auto filter = reinterpret_cast<Filter>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
  if (filter) filter(wnd, msg, MSGFLT_ALLOW, nullptr);
}

unique_hicon ApplicationIconCopy() {
  return unique_hicon(CopyIcon(Application->Icon()));
}
}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
  icon_ = ApplicationIconCopy();
  OnAnimate = [this](TComponent* s) { DoOnAnimate(s); };
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetEnabled(false);
  timer_->OnTimer = [this](TComponent* s) { DoOnAnimate(s); };
  timer_->SetInterval(1000);

  window_ = AllocateHWnd([this](UINT msg, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
    // The window's own creation takes the default path; after that every
    // message is the component's.
    if (!window_ready_) return 0;
    handled = true;
    return DoMessage(msg, wp, lp);
  });
  window_ready_ = true;
  // The shell announces a re-created taskbar with this message; the icon is
  // then added again, or it would be gone for the rest of the run.
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  AllowShellMessage(window_->Handle(), taskbar_created_);

  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = window_->Handle();
  data_.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(this));
  data_.hIcon = icon_.get();
  data_.uFlags = NIF_MESSAGE | NIF_ICON;
  data_.uCallbackMessage = kCallbackMessage;
  Update();
}

TTrayIcon::~TTrayIcon() {
  Shell_NotifyIconW(NIM_DELETE, &data_);  // refused when not in the tray: nothing to undo
  if (hooked_ && Application) Application->UnhookMainWindow(this);
  window_ready_ = false;
  DeallocateHWnd(window_);
  timer_.reset();
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (icons_) {
    timer_->SetEnabled(animate_);
    SetCurrentIcon(icons_->GetIcon(icon_index_));
  } else {
    animate_ = false;
    SetCurrentIcon(ApplicationIconCopy());
  }
  Update();
}

void TTrayIcon::SetCurrentIcon(unique_hicon icon) {
  icon_ = std::move(icon);
  data_.hIcon = icon_.get();
}

void TTrayIcon::SetVisible(bool value) {
  visible_ = value;
  if (value) {
    if (!Shell_NotifyIconW(NIM_ADD, &data_))
      throw EOutOfResources(L"Cannot Create System Shell Notification Icon");
    hide_ = true;
    if (!hooked_) {
      Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
        return ApplicationHookProc(msg, wp, lp);
      });
      hooked_ = true;
    }
  } else {
    if (!Shell_NotifyIconW(NIM_DELETE, &data_))
      throw EOutOfResources(L"Cannot Remove System Shell Notification Icon");
    hide_ = false;
    Application->UnhookMainWindow(this);
    hooked_ = false;
  }
}

void TTrayIcon::SetHint(const std::wstring& hint) {
  if (hint == hint_ || AnsiByteLength(hint) >= kHintByteLimit) return;
  hint_ = hint;
  wcsncpy(data_.szTip, hint_.c_str(), 127);
  data_.szTip[127] = L'\0';
  if (hint_.empty())
    data_.uFlags &= ~static_cast<UINT>(NIF_TIP);
  else
    data_.uFlags |= NIF_TIP;
  Update();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (popup_menu_) popup_menu_->RemoveFreeNotification(this);
  popup_menu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetIcons(TImageList* icons) {
  if (icons_) icons_->RemoveFreeNotification(this);
  icons_ = icons;
  if (icons) icons->FreeNotification(this);
}

void TTrayIcon::Update() {
  data_.hIcon = icon_.get();
  if (visible_) Shell_NotifyIconW(NIM_MODIFY, &data_);  // a refusal changes nothing the user relies on
}

void TTrayIcon::SetIconIndex(int index) {
  icon_index_ = index;
  if (icons_) SetCurrentIcon(icons_->GetIcon(index));
  Update();
}

void TTrayIcon::SetDefaultIcon() {
  SetCurrentIcon(ApplicationIconCopy());
  Update();
}

void TTrayIcon::SetAnimate(bool value) {
  if (icons_ || Loading()) animate_ = value;
  if (icons_) timer_->SetEnabled(value);
}

void TTrayIcon::StopAnimation() {
  animate_ = false;
  timer_->SetEnabled(false);
}

void TTrayIcon::DoOnAnimate(TComponent*) {
  if (!icons_) {
    StopAnimation();
    return;
  }
  SetIconIndex(NextAnimationIndex(icon_index_, icons_->Count()));
  Update();
}

TShiftState TTrayIcon::ShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

LRESULT TTrayIcon::DoMessage(UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_QUERYENDSESSION) return 1;
  if (msg == WM_ENDSESSION) {
    EndSession();
  } else if (msg == kCallbackMessage) {
    HandleCallback(static_cast<UINT>(lp));
  } else if (msg == taskbar_created_ && taskbar_created_ != 0) {
    if (visible_) {
      Shell_NotifyIconW(NIM_ADD, &data_);  // if the new shell refuses, there is no one to tell
    }
  }
  return 0;
}

void TTrayIcon::HandleCallback(UINT mouse_message) {
  POINT p{};
  GetCursorPos(&p);
  const TShiftState shift = ShiftState();
  for (const TrayStep& step : TrayStepsFor(mouse_message, restore_on_, popup_menu_on_)) {
    switch (step.kind) {
      case TrayStep::Restore: Restore(); break;
      case TrayStep::ShowMenu: ShowMenu(); break;
      case TrayStep::OnClick: DoClick(); break;
      case TrayStep::OnDblClick: DoDblClick(); break;
      case TrayStep::OnMouseMove: DoMouseMove(shift, p.x, p.y); break;
      case TrayStep::OnMouseDown:
        DoMouseDown(ToMouseButton(step.button), shift | ButtonShift(step.button), p.x, p.y);
        break;
      case TrayStep::OnMouseUp:
        DoMouseUp(ToMouseButton(step.button), shift | ButtonShift(step.button), p.x, p.y);
        break;
    }
  }
}

void TTrayIcon::DoClick() {
  if (OnClick) OnClick(this);
}

void TTrayIcon::DoDblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TTrayIcon::ShowMenu() {
  POINT p{};
  GetCursorPos(&p);
  if (TForm* active = Screen().ActiveForm()) SetForegroundWindow(active->Handle());
  if (popup_menu_) popup_menu_->Popup(p.x, p.y);
}

void TTrayIcon::Restore() {
  Application->Restore();
  ShowWindow(Application->Handle(), SW_RESTORE);
  SetForegroundWindow(Application->Handle());
  if (OnRestore) OnRestore(this);
}

void TTrayIcon::Minimize() {
  Application->Minimize();
  ShowWindow(Application->Handle(), SW_HIDE);
  if (OnMinimize) OnMinimize(this);
}

bool TTrayIcon::ApplicationHookProc(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_SYSCOMMAND) {
    if (wp == SC_MINIMIZE) Minimize();
    else if (wp == SC_RESTORE) Restore();
  }
  return false;
}

void TTrayIcon::EndSession() {
  Shell_NotifyIconW(NIM_DELETE, &data_);  // the session is ending either way
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == icons_) {
    icons_ = nullptr;
    // Nothing is left to animate through.
    StopAnimation();
  } else if (component == popup_menu_) {
    popup_menu_ = nullptr;
  }
}
