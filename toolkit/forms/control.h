#pragma once
// Controls: TControl (windowless, painted by its parent) and TWinControl
// (a window of its own, parent of other controls). The parent routes mouse
// input and painting to its windowless children.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/component.h"
#include "toolkit/core/dpi_scale.h"
#include "toolkit/forms/accessible.h"
#include "toolkit/graphics/color.h"
#include "toolkit/graphics/font.h"
#include "toolkit/win/window_class.h"

class TWinControl;
class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHandPoint = -21;

using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const noexcept { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const noexcept { return left_; }
  int Top() const noexcept { return top_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  virtual void SetBounds(int left, int top, int width, int height);
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  RECT BoundsRect() const noexcept { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return {0, 0, width_, height_}; }

  TAlign Align() const noexcept { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool value);
  bool Enabled() const noexcept { return enabled_; }
  virtual void SetEnabled(bool value);
  // Visible, and every parent visible too.
  bool Showing() const;

  TColor Color() const noexcept { return color_; }
  virtual void SetColor(TColor color);
  TFont& Font() noexcept { return font_; }
  const std::wstring& Caption() const noexcept { return caption_; }
  virtual void SetCaption(const std::wstring& caption);

  const std::wstring& Hint() const noexcept { return hint_; }
  void SetHint(const std::wstring& hint) { hint_ = hint; }
  // ShowHint follows the parent's while ParentShowHint is true; setting it
  // ends that.
  bool ShowHint() const;
  void SetShowHint(bool value) { show_hint_ = value; parent_show_hint_ = false; }
  bool ParentShowHint() const noexcept { return parent_show_hint_; }
  // A control that does not show hints hands hint display to its nearest
  // parent that does; one without hint text shows the text of its nearest
  // parent that has one.
  const TControl* HintControl() const;
  std::wstring HintText() const;

  TCursor Cursor() const noexcept { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }
  TPopupMenu* PopupMenu() const noexcept { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // The dots per inch the control is laid out for: its layout's 96 until
  // ChangeScale.
  int Dpi() const noexcept { return dpi_; }
  // Lays the control out anew for `dpi`: its bounds, its font and whatever
  // else of it is measured in pixels, scaled from its current dots per inch.
  virtual void ChangeScale(int dpi);

  // Screen coordinates of a point given in this control's client area.
  POINT ClientToScreen(POINT p) const;
  virtual void Invalidate();
  // Windowless controls draw themselves here, in their own client
  // coordinates, on their parent's DC.
  virtual void Paint(HDC dc);
  virtual bool Windowed() const noexcept { return false; }

  // Mouse input, in client coordinates; the parent window routes it here.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void Click();
  // The left button's second press of a double click (the window class has
  // CS_DBLCLKS); it comes before that press's MouseDown.
  virtual void DblClick();
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Right button released: the control's popup menu, or its parent's.
  bool ContextPopup(POINT screen_point);

  // What assistive technology reads of the control, as the system's own
  // control of its kind gives it: role and state (ROLE_SYSTEM_*,
  // STATE_SYSTEM_*), name, and the controls read as its children.
  virtual long AccessibleRole() const;
  virtual std::wstring AccessibleName() const { return caption_; }
  virtual long AccessibleState() const;
  virtual std::vector<TControl*> AccessibleChildren() const { return {}; }
  // Whether this control, a frame, holds `sibling` for the reader: a
  // control that lies over it without being its child.
  virtual bool Groups(const TControl&) const { return false; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  friend class TWinControl;
  friend class AccessibleObject;
  void Notification(TComponent* component, TOperation operation) override;
  // Tells assistive technology (NotifyWinEvent) that the control's name,
  // state or visibility changed.
  void NotifyAccessible(DWORD event) const;
  // The control's size or visibility changed: the parent realigns.
  void RequestAlign();
  virtual void BoundsChanged() {}
  virtual void FontChanged() { Invalidate(); }
  // A length the layout gives at 96 dpi, at the control's dots per inch.
  int Scaled(int design_pixels) const { return ScaleForDpi(design_pixels, dpi_); }

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  TFont font_;
  std::wstring caption_;
  std::wstring hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TCursor cursor_ = crDefault;
  TPopupMenu* popup_menu_ = nullptr;
  bool mouse_pressed_ = false;
  int dpi_ = kDesignDpi;
  AccessibleLink accessible_;
};

enum class TBrushStyle { bsSolid, bsClear };
struct TBrush {
  TBrushStyle Style = TBrushStyle::bsSolid;
};

class TWinControl : public TControl, protected MessageTarget {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();
  bool HandleAllocated() const noexcept { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }

  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  void ChangeScale(int dpi) override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  void SetCaption(const std::wstring& caption) override;
  void Invalidate() override;
  RECT ClientRect() const override;
  bool Windowed() const noexcept override { return true; }
  TBrush& Brush() noexcept { return brush_; }

  const std::vector<TControl*>& Controls() const noexcept { return controls_; }
  // The visible windowless child under a client point, topmost first.
  TControl* ControlAtPos(POINT client_point) const;
  // The child area of this control; aligned children share it out.
  virtual RECT AlignArea() const { return ClientRect(); }
  void AlignControls();

  void InsertControl(TControl* child);
  void RemoveControl(TControl* child);

  // The keyboard: a windowed child's place in its parent's tab order (set
  // to a place, it moves there and the others close up), and whether Tab
  // stops on it.
  int TabOrder() const;
  void SetTabOrder(int order);
  virtual bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value) { tab_stop_ = value; }
  const std::vector<TWinControl*>& TabList() const noexcept { return tab_list_; }
  // Showing and enabled, and so are all its parents.
  bool CanFocus() const;
  bool Focused() const;
  void SetFocus();
  // The windowed descendants in tab order: each child, then its own.
  std::vector<TWinControl*> TabOrderList() const;
  // The tab stop that can take the focus after (or before) `current` among
  // the descendants, coming round at the end; the first (last) one when
  // `current` is none of them; null when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;
  // The descendant whose window that is, or null.
  TWinControl* FindControl(HWND wnd);
  // Whether the focused control draws its focus rectangle: as the system's
  // keyboard cues say when the form is shown, and from the first key that
  // moves the focus on. Kept by the form, the top of the parent chain.
  bool FocusCuesShown() const;
  void SetFocusCuesShown(bool value) { focus_cues_shown_ = value; }
  // An arrow key on the focused control: moves within its group (radio
  // buttons) and answers whether it did.
  virtual bool SelectInGroup(bool forward);

  long AccessibleState() const override;
  std::vector<TControl*> AccessibleChildren() const override;

 protected:
  struct CreateParamsData {
    WindowClassParams window_class{L"TWinControl", CS_DBLCLKS};
    WindowCreateParams window{L"TWinControl"};
  };
  virtual void CreateParams(CreateParamsData& params);
  virtual void CreateHandle();
  void DestroyHandle() noexcept;
  // Every message of the window; the default handling is DefaultHandler.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  virtual LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
  // Paints the control itself (background included) before the windowless
  // children are drawn over it.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc);
  // WM_PAINT: the control and its windowless children, through a memory
  // bitmap unless the control's brush is clear.
  void PaintBuffered();
  void Notification(TComponent* component, TOperation operation) override;

  std::vector<TControl*> controls_;
  TBrush brush_;
  TControl* mouse_control_ = nullptr;
  bool tracking_leave_ = false;
  std::vector<TWinControl*> tab_list_;
  bool tab_stop_ = false;
  bool focus_cues_shown_ = true;

 private:
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) final;
  LRESULT RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
  void UpdateMouseControl(TControl* now);
};

TShiftState KeysToShiftState(WPARAM keys);
