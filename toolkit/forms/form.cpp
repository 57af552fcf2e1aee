#include "toolkit/forms/form.h"

#include <windowsx.h>

#include "toolkit/core/exceptions.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/image_list.h"
#include "toolkit/forms/popup_menu.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/dpi.h"

namespace {
// Posted to a form that asked to be freed once its handlers have returned.
constexpr UINT CM_RELEASE = WM_APP + 0x100;
}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  BeginLoading();
  Screen().AddForm(this);
}

TForm::~TForm() {
  Screen().RemoveForm(this);
  if (Application) Application->ForgetForm(this);
  // Owned components go while the window is still there.
  DestroyComponents();
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
  if (Application && !Application->Destroying()) Application->UpdateVisible();
}

void TForm::FinishConstruction() {
  const bool show = visible_;
  visible_ = false;
  // Laid out for the monitor it opens on (the primary one when centred on
  // the screen, else the one at its designed place) before its components
  // finish loading, so that they start with the scaled layout: the tray
  // icon with its picture at the scaled size, say.
  if (scaled_)
    ChangeScale(position_ == TPosition::poScreenCenter ? PrimaryMonitorDpi() : DpiAtPoint(POINT{left_, top_}));
  EndLoading();
  HandleNeeded();
  AlignControls();
  // A failing create handler is reported and the form is still made.
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  if (show) SetVisible(true);
}

DWORD TForm::WindowStyle() const {
  DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  switch (border_style_) {
    case TBorderStyle::bsNone:
      style |= WS_POPUP;
      break;
    case TBorderStyle::bsSingle:
    case TBorderStyle::bsToolWindow:
      style |= WS_CAPTION | WS_BORDER;
      break;
    case TBorderStyle::bsSizeable:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TBorderStyle::bsDialog:
      style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      break;
  }
  if (border_style_ != TBorderStyle::bsNone && (border_icons_ & biSystemMenu)) {
    style |= WS_SYSMENU;
    if (border_style_ == TBorderStyle::bsSingle || border_style_ == TBorderStyle::bsSizeable) {
      if (border_icons_ & biMinimize) style |= WS_MINIMIZEBOX;
      if (border_icons_ & biMaximize) style |= WS_MAXIMIZEBOX;
    }
  }
  return style;
}

DWORD TForm::WindowExStyle() const {
  DWORD ex = 0;
  if (border_style_ == TBorderStyle::bsToolWindow) ex |= WS_EX_TOOLWINDOW;
  if (border_style_ == TBorderStyle::bsDialog) ex |= WS_EX_DLGMODALFRAME;
  if (form_style_ == TFormStyle::fsStayOnTop) ex |= WS_EX_TOPMOST;
  if (alpha_blend_) ex |= WS_EX_LAYERED;
  return ex;
}

void TForm::CreateParams(CreateParamsData& params) {
  params.window_class.name = ClassName();
  params.window_class.style = CS_DBLCLKS;
  params.window_class.icon = icon_ ? icon_ : Application->Icon();
  params.window.style = WindowStyle();
  params.window.ex_style = WindowExStyle();
  params.window.x = left_;
  params.window.y = top_;
  params.window.width = width_;
  params.window.height = height_;
  params.window.caption = caption_.c_str();
  // Owned by the application window: no taskbar buttons of their own.
  params.window.parent = Application->Handle();
}

void TForm::CreateHandle() {
  if (client_width_ >= 0 || client_height_ >= 0) {
    RECT r{0, 0, client_width_ >= 0 ? client_width_ : 0, client_height_ >= 0 ? client_height_ : 0};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    if (client_width_ >= 0) width_ = r.right - r.left;
    if (client_height_ >= 0) height_ = r.bottom - r.top;
  }
  TWinControl::CreateHandle();
  if (icon_) SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ApplyAlpha();
}

void TForm::ApplyStyles() {
  if (!handle_) return;
  SetWindowLongW(handle_, GWL_STYLE, static_cast<LONG>(WindowStyle() | (IsWindowVisible(handle_) ? WS_VISIBLE : 0)));
  SetWindowLongW(handle_, GWL_EXSTYLE, static_cast<LONG>(WindowExStyle()));
  SetWindowPos(handle_, form_style_ == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ApplyAlpha();
}

void TForm::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  ApplyStyles();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == border_icons_) return;
  border_icons_ = icons;
  ApplyStyles();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == form_style_) return;
  form_style_ = style;
  ApplyStyles();
}

void TForm::ChangeScale(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int from = dpi_;
  if (client_width_ >= 0) client_width_ = MulDivRound(client_width_, dpi, from);
  if (client_height_ >= 0) client_height_ = MulDivRound(client_height_, dpi, from);
  if (handle_) {
    // A window that exists is given its new rectangle by the system; only
    // what it holds is laid out anew.
    dpi_ = dpi;
    font_.SetHeight(MulDivRound(font_.Height(), dpi, from));
    const auto children = controls_;
    for (TControl* child : children) child->ChangeScale(dpi);
  } else {
    TWinControl::ChangeScale(dpi);
  }
  for (TComponent* c : Components()) {
    if (auto* list = dynamic_cast<TImageList*>(c)) list->ChangeScale(dpi);
    if (auto* menu = dynamic_cast<TPopupMenu*>(c)) menu->ChangeScale(dpi);
  }
}

void TForm::SetClientWidth(int w) {
  client_width_ = w;
  if (handle_) {
    RECT r{0, 0, w, ClientHeight()};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    SetBounds(left_, top_, r.right - r.left, height_);
  }
}

void TForm::SetClientHeight(int h) {
  client_height_ = h;
  if (handle_) {
    RECT r{0, 0, ClientWidth(), h};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    SetBounds(left_, top_, width_, r.bottom - r.top);
  }
}

int TForm::ClientWidth() const {
  const RECT r = ClientRect();
  return r.right - r.left;
}

int TForm::ClientHeight() const {
  const RECT r = ClientRect();
  return r.bottom - r.top;
}

void TForm::SetIconResource(int id) {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  if (handle_ && icon_) SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
}

void TForm::SetAlphaBlend(bool value) {
  if (value == alpha_blend_) return;
  alpha_blend_ = value;
  ApplyAlpha();
}

void TForm::SetAlphaBlendValue(BYTE value) {
  if (value == alpha_value_) return;
  alpha_value_ = value;
  ApplyAlpha();
}

void TForm::ApplyAlpha() {
  if (!handle_) return;
  const LONG ex = GetWindowLongW(handle_, GWL_EXSTYLE);
  if (alpha_blend_) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongW(handle_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    // Where the system has no layered windows this fails and the window
    // simply stays opaque.
    SetLayeredWindowAttributes(handle_, 0, alpha_value_, LWA_ALPHA);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(handle_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

void TForm::CenterOnScreen() {
  SetBounds((Screen().Width() - width_) / 2, (Screen().Height() - height_) / 2, width_, height_);
}

void TForm::SetVisible(bool value) {
  if (Loading()) {
    visible_ = value;
    return;
  }
  if (value == visible_) return;
  visible_ = value;
  UpdateShowing();
}

void TForm::UpdateShowing() {
  HandleNeeded();
  if (visible_) {
    if (position_ == TPosition::poScreenCenter) CenterOnScreen();
    // A form whose show handler fails is shown all the same.
    try {
      DoShow();
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
    ShowWindow(handle_, SW_SHOWNORMAL);
    if (form_style_ == TFormStyle::fsStayOnTop)
      SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Its first frame now: the banner shows at the end of its construction,
    // and the forms made after it would otherwise hold its paint back.
    UpdateWindow(handle_);
  } else {
    ShowWindow(handle_, SW_HIDE);
    DoHide();
  }
  Application->UpdateVisible();
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::Show() {
  SetVisible(true);
  if (!handle_) return;
  SetForegroundWindow(handle_);
  TakeFocus();
}

void TForm::TakeFocus() {
  // The focus rectangle is hidden until the keyboard is used, unless the
  // system's keyboard cues say to show it always.
  BOOL cues = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
  SetFocusCuesShown(cues != FALSE);
  TWinControl* first = FindNextControl(nullptr, true);
  HWND target = first ? first->Handle() : handle_;
  // A form the tray icon brought to the foreground while it was hidden
  // already holds the focus, but its window could not take the display's
  // keyboard focus then; the focus is given again now that it is showing,
  // or keys would not reach it (and a menu it pops up would take none).
  if (GetFocus() == target) ::SetFocus(nullptr);
  ::SetFocus(target);
}

void TForm::ShowFocusCues() {
  if (FocusCuesShown()) return;
  SetFocusCuesShown(true);
  if (TWinControl* focused = ActiveControl()) focused->Invalidate();
}

TWinControl* TForm::ActiveControl() {
  return FindControl(GetFocus());
}

bool TForm::DialogKey(WPARAM key, TShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  TWinControl* focused = ActiveControl();
  bool used = false;
  switch (key) {
    case VK_TAB:
      if (TWinControl* next = FindNextControl(focused == this ? nullptr : focused, !(shift & ssShift))) {
        next->SetFocus();
        used = true;
      }
      break;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      used = focused && focused != this && focused->SelectInGroup(key == VK_RIGHT || key == VK_DOWN);
      break;
  }
  if (used) ShowFocusCues();
  return used;
}

void TForm::Hide() { SetVisible(false); }

TModalResult TForm::ShowModal() {
  if (visible_ || !enabled_ || modal_) throw EInvalidOperation(L"Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  HWND was_active = GetActiveWindow();
  modal_ = true;
  modal_result_ = mrNone;
  {
    TaskWindowsDisabled others(nullptr);
    try {
      Show();
      Application->RunLoop([this] {
        if (modal_result_ != mrNone) CloseModal();
        return modal_result_ != mrNone;
      });
    } catch (...) {
      modal_ = false;
      if (handle_) Hide();
      throw;
    }
    if (Application->Terminated()) modal_result_ = mrCancel;
    Hide();
  }
  modal_ = false;
  if (was_active && IsWindow(was_active) && IsWindowVisible(was_active)) SetActiveWindow(was_active);
  return modal_result_;
}

void TForm::CloseModal() {
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) {
    modal_result_ = mrNone;
  } else if (action == TCloseAction::caFree) {
    Release();
  }
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == TCloseAction::caHide) {
    Hide();
  } else if (action == TCloseAction::caMinimize) {
    if (handle_) ShowWindow(handle_, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TForm::Release() {
  if (handle_) PostMessageW(handle_, CM_RELEASE, 0, 0);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case CM_RELEASE:
      delete this;
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED:
      // Moved to a monitor of another scale: the layout follows, into the
      // rectangle the system suggests.
      if (scaled_) {
        const RECT suggested = *reinterpret_cast<const RECT*>(lp);
        ChangeScale(HIWORD(wp));
        SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        AlignControls();
        Invalidate();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // The screen remembers the last form activated, hidden or not: the
      // tray icon brings it to the foreground so that its popup menu takes
      // the keyboard and closes on a click elsewhere.
      if (LOWORD(wp) != WA_INACTIVE) Screen().FormActivated(this);
      break;
    case WM_MOVE:
      if (handle_) {
        RECT r;
        GetWindowRect(handle_, &r);
        left_ = r.left;
        top_ = r.top;
      }
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}
