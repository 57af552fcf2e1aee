#include "toolkit/forms/control.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/forms/application.h"
#include "toolkit/forms/popup_menu.h"
#include "toolkit/win/handle.h"

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  Invalidate();
  RequestAlign();
}

void TControl::ChangeScale(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int from = dpi_;
  dpi_ = dpi;
  font_.SetHeight(MulDivRound(font_.Height(), dpi, from));
  SetBounds(MulDivRound(left_, dpi, from), MulDivRound(top_, dpi, from), MulDivRound(width_, dpi, from),
            MulDivRound(height_, dpi, from));
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && !Loading()) parent_->AlignControls();
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  Invalidate();
  visible_ = value;
  Invalidate();
  RequestAlign();
  NotifyAccessible(value ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Invalidate();
}

bool TControl::Showing() const {
  return visible_ && (!parent_ || parent_->Showing());
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

void TControl::SetCaption(const std::wstring& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
  NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

bool TControl::ShowHint() const {
  if (parent_show_hint_ && parent_) return parent_->ShowHint();
  return show_hint_;
}

const TControl* TControl::HintControl() const {
  const TControl* c = this;
  while (c && !c->ShowHint()) c = c->parent_;
  return c;
}

std::wstring TControl::HintText() const {
  for (const TControl* c = HintControl(); c; c = c->parent_) {
    if (!c->hint_.empty()) return c->hint_;
  }
  return {};
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popup_menu_) popup_menu_->RemoveFreeNotification(this);
  popup_menu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popup_menu_) popup_menu_ = nullptr;
}

POINT TControl::ClientToScreen(POINT p) const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (c->Windowed()) {
      auto* w = const_cast<TWinControl*>(static_cast<const TWinControl*>(c));
      if (w->HandleAllocated()) {
        ::ClientToScreen(w->Handle(), &p);
        return p;
      }
    }
    p.x += c->left_;
    p.y += c->top_;
  }
  return p;
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  const RECT r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, FALSE);
}

void TControl::Paint(HDC) {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

bool TControl::ContextPopup(POINT screen_point) {
  for (TControl* c = this; c; c = c->parent_) {
    if (c->popup_menu_) {
      c->popup_menu_->Popup(screen_point.x, screen_point.y);
      return true;
    }
  }
  return false;
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Owned controls go first, while this window still exists for them to
  // leave; children owned elsewhere are cut loose.
  DestroyComponents();
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(CreateParamsData& params) {
  params.window.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible_ ? WS_VISIBLE : 0);
  params.window.x = left_;
  params.window.y = top_;
  params.window.width = width_;
  params.window.height = height_;
  params.window.caption = caption_.c_str();
  params.window.parent = parent_ ? parent_->Handle() : nullptr;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  if (parent_ && !parent_->HandleAllocated()) {
    parent_->HandleNeeded();  // creates this one too
    if (handle_) return;
  }
  CreateParamsData params;
  CreateParams(params);
  params.window.class_name = params.window_class.name;
  EnsureWindowClass(params.window_class);
  CreateTargetWindow(params.window);
  // The system puts a new child window below its siblings; in the toolkit a
  // control made later lies over those made before it (radio buttons over
  // the frame of a group they are not children of).
  if (parent_) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!enabled_) EnableWindow(handle_, FALSE);
  for (TControl* c : controls_) {
    if (c->Windowed()) static_cast<TWinControl*>(c)->HandleNeeded();
  }
  AlignControls();
}

void TWinControl::DestroyHandle() noexcept {
  if (HWND wnd = DetachWindow()) DestroyWindow(wnd);
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (!handle_) {
    if (parent && parent->HandleAllocated()) CreateHandle();
    return;
  }
  if (parent && parent->HandleAllocated()) {
    ::SetParent(handle_, parent->Handle());
  } else if (!parent) {
    DestroyHandle();
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  BoundsChanged();
  AlignControls();
  RequestAlign();
}

void TWinControl::ChangeScale(int dpi) {
  TControl::ChangeScale(dpi);
  const auto children = controls_;
  for (TControl* child : children) child->ChangeScale(dpi);
}

void TWinControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (handle_) ShowWindow(handle_, value ? SW_SHOWNA : SW_HIDE);
  RequestAlign();
}

void TWinControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (handle_) EnableWindow(handle_, value ? TRUE : FALSE);
}

void TWinControl::SetCaption(const std::wstring& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (handle_) SetWindowTextW(handle_, caption_.c_str());
  Invalidate();
  // The system tells of the window's new text; the client area's object,
  // named by it too, is the toolkit's to tell of.
  NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, width_, height_};
  if (handle_) GetClientRect(handle_, &r);
  return r;
}

void TWinControl::InsertControl(TControl* child) {
  controls_.push_back(child);
  child->parent_ = this;
  if (child->Windowed()) tab_list_.push_back(static_cast<TWinControl*>(child));
  if (child->Align() != TAlign::alNone) AlignControls();
  child->Invalidate();
}

void TWinControl::RemoveControl(TControl* child) {
  child->Invalidate();
  controls_.erase(std::remove(controls_.begin(), controls_.end(), child), controls_.end());
  tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), child), tab_list_.end());
  child->parent_ = nullptr;
  if (mouse_control_ == child) mouse_control_ = nullptr;
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Windowed() || !c->Visible()) continue;
    const RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::AlignControls() {
  if (Loading()) return;
  RECT area = AlignArea();
  // The toolkit's order: top, bottom, left, right, then what is left to
  // the client-aligned controls.
  for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (TControl* c : controls_) {
      if (c->Align() != kind || !c->Visible()) continue;
      const int w = c->Width(), h = c->Height();
      switch (kind) {
        case TAlign::alTop:
          c->SetBounds(area.left, area.top, area.right - area.left, h);
          area.top += h;
          break;
        case TAlign::alBottom:
          c->SetBounds(area.left, area.bottom - h, area.right - area.left, h);
          area.bottom -= h;
          break;
        case TAlign::alLeft:
          c->SetBounds(area.left, area.top, w, area.bottom - area.top);
          area.left += w;
          break;
        case TAlign::alRight:
          c->SetBounds(area.right - w, area.top, w, area.bottom - area.top);
          area.right -= w;
          break;
        default:
          c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
          break;
      }
    }
  }
}

void TWinControl::Notification(TComponent* component, TOperation operation) {
  TControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == mouse_control_) mouse_control_ = nullptr;
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : controls_) {
    if (c->Windowed() || !c->Visible()) continue;
    const int saved = SaveDC(dc);
    POINT org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Paint(dc);
    RestoreDC(dc, saved);
  }
}

LRESULT TWinControl::HandleMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  return WndProc(msg, wp, lp);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(handle_, msg, wp, lp);
}

void TWinControl::UpdateMouseControl(TControl* now) {
  if (now == mouse_control_) return;
  TControl* before = mouse_control_;
  mouse_control_ = now;
  if (before) before->MouseLeave();
  if (now) now->MouseEnter();
}

LRESULT TWinControl::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  TControl* child = ControlAtPos(p);
  TControl* target = child ? child : this;
  const int x = p.x - (child ? child->Left() : 0);
  const int y = p.y - (child ? child->Top() : 0);
  const TShiftState shift = KeysToShiftState(wp);
  if (msg != WM_MOUSEMOVE) Application->Hints().Cancel();
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!tracking_leave_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
        tracking_leave_ = TrackMouseEvent(&tme) != FALSE;
      }
      UpdateMouseControl(child);
      Application->Hints().MouseOver(target);
      target->MouseMove(shift, x, y);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      target->mouse_pressed_ = true;
      if (msg == WM_LBUTTONDBLCLK) target->DblClick();
      target->MouseDown(TMouseButton::mbLeft, shift | (msg == WM_LBUTTONDBLCLK ? unsigned{ssDouble} : 0u), x, y);
      break;
    case WM_RBUTTONDOWN:
      target->MouseDown(TMouseButton::mbRight, shift, x, y);
      break;
    case WM_MBUTTONDOWN:
      target->MouseDown(TMouseButton::mbMiddle, shift, x, y);
      break;
    case WM_LBUTTONUP: {
      const bool was_pressed = target->mouse_pressed_;
      target->mouse_pressed_ = false;
      target->MouseUp(TMouseButton::mbLeft, shift, x, y);
      if (was_pressed) target->Click();
      break;
    }
    case WM_RBUTTONUP:
      target->MouseUp(TMouseButton::mbRight, shift, x, y);
      break;
    case WM_MBUTTONUP:
      target->MouseUp(TMouseButton::mbMiddle, shift, x, y);
      break;
  }
  return DefaultHandler(msg, wp, lp);
}

void TWinControl::PaintBuffered() {
  paint_dc paint(handle_);
  if (brush_.Style == TBrushStyle::bsClear) {
    PaintWindow(paint.get());
    PaintControls(paint.get());
    return;
  }
  // Drawn off the screen first and copied in one go, without flicker.
  RECT client;
  GetClientRect(handle_, &client);
  const int w = std::max<LONG>(client.right, 1), h = std::max<LONG>(client.bottom, 1);
  unique_hdc mem(CreateCompatibleDC(paint.get()));
  unique_hbitmap bmp(CreateCompatibleBitmap(paint.get(), w, h));
  if (!mem || !bmp) {
    // Short of GDI memory: draw straight on the screen instead.
    PaintWindow(paint.get());
    PaintControls(paint.get());
    return;
  }
  select_object keep_bmp(mem.get(), bmp.get());
  unique_hbrush back(CreateSolidBrush(ColorToRGB(color_)));
  FillRect(mem.get(), &client, back.get());
  PaintWindow(mem.get());
  PaintControls(mem.get());
  const RECT& area = paint.area();
  BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, mem.get(), area.left,
         area.top, SRCCOPY);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // painted with the rest in WM_PAINT, without flicker
    case WM_PAINT:
      PaintBuffered();
      return 0;
    case WM_SIZE: {
      RECT r;
      GetWindowRect(handle_, &r);
      if (!(GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)) {
        left_ = r.left;
        top_ = r.top;
      }
      width_ = r.right - r.left;
      height_ = r.bottom - r.top;
      AlignControls();
      InvalidateRect(handle_, nullptr, FALSE);
      break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return RouteMouse(msg, wp, lp);
    case WM_MOUSELEAVE: {
      tracking_leave_ = false;
      // Moving into another window of the program hands the hint over to
      // it; it is cancelled only when the mouse has left the program.
      POINT cursor{};
      GetCursorPos(&cursor);
      HWND under = WindowFromPoint(cursor);
      if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) Application->Hints().Cancel();
      UpdateMouseControl(nullptr);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == handle_) {
        const TControl* c = mouse_control_ ? mouse_control_ : this;
        if (c->Cursor() == crHandPoint) {
          ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_GETOBJECT:
      // The system's default object would read the control as a plain
      // window; the toolkit's says what it is.
      if (static_cast<LONG>(static_cast<DWORD>(lp)) == OBJID_CLIENT) return accessible_.Answer(*this, wp);
      break;
    case WM_CONTEXTMENU: {
      POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      // From the keyboard (the context-menu key, Shift+F10) the system sends
      // no point: the menu opens at the top left of the focused control,
      // which is this one, or of the window when nothing else has the focus.
      if (screen.x == -1 && screen.y == -1) {
        if (ContextPopup(ClientToScreen(POINT{0, 0}))) return 0;
        break;
      }
      POINT client = screen;
      ScreenToClient(handle_, &client);
      TControl* child = ControlAtPos(client);
      if ((child ? child : static_cast<TControl*>(this))->ContextPopup(screen)) return 0;
      break;
    }
  }
  return DefaultHandler(msg, wp, lp);
}
