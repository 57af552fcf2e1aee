#include "toolkit/forms/accessible.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/forms/form.h"
#include "toolkit/forms/group_box.h"
#include "toolkit/forms/hint_window.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/label.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/radio_button.h"
#include "toolkit/forms/static_text.h"
#include "toolkit/win/system_library.h"

namespace {

// Spelled out: MinGW's import library gives this identifier wrong bytes.
constexpr IID kIidAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The system's libraries for assistive technology, loaded at the first
// question a reader asks.
struct OleLibraries {
  decltype(&::LresultFromObject) LresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject = nullptr;
  decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
  decltype(&::CoDisconnectObject) CoDisconnectObject = nullptr;
  decltype(&::SysAllocStringLen) SysAllocStringLen = nullptr;
};

const OleLibraries& Ole() {
  static const OleLibraries ole = [] {
    OleLibraries found;
    const HMODULE oleacc = SystemLibrary(L"oleacc.dll"), ole32 = SystemLibrary(L"ole32.dll"),
                  oleaut32 = SystemLibrary(L"oleaut32.dll");
    FindFunction(found.LresultFromObject, oleacc, "LresultFromObject");
    FindFunction(found.CreateStdAccessibleObject, oleacc, "CreateStdAccessibleObject");
    FindFunction(found.CoInitializeEx, ole32, "CoInitializeEx");
    FindFunction(found.CoDisconnectObject, ole32, "CoDisconnectObject");
    FindFunction(found.SysAllocStringLen, oleaut32, "SysAllocStringLen");
    return found;
  }();
  return ole;
}

// An empty answer, as VariantInit makes it.
void Empty(VARIANT* v) { std::memset(v, 0, sizeof *v); }

HWND WindowOf(const TControl& c) {
  if (!c.Windowed()) return nullptr;
  auto& w = const_cast<TWinControl&>(static_cast<const TWinControl&>(c));
  return w.HandleAllocated() ? w.Handle() : nullptr;
}

// Where the reader finds a control: under the frame that holds it, or else
// under its parent.
TControl* AccessibleParentOf(const TControl& c) {
  TWinControl* parent = c.Parent();
  if (!parent) return nullptr;
  for (TControl* sibling : parent->Controls()) {
    if (sibling != &c && sibling->Groups(c)) return sibling;
  }
  return parent;
}

// The control's client area on the screen, in the physical pixels the
// program works in.
RECT ScreenRectOf(const TControl& c) {
  RECT r = c.ClientRect();
  const POINT origin = c.ClientToScreen(POINT{0, 0});
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

bool HoldsFocus(const TControl& c, HWND focus) {
  if (focus && WindowOf(c) == focus) return true;
  const auto children = c.AccessibleChildren();
  return std::any_of(children.begin(), children.end(), [focus](const TControl* k) { return HoldsFocus(*k, focus); });
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (text.empty()) return S_FALSE;
  *out = Ole().SysAllocStringLen ? Ole().SysAllocStringLen(text.data(), static_cast<UINT>(text.size())) : nullptr;
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Every method stops exceptions at the interface: the caller is the system,
// often another process.
template <class F>
HRESULT Guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

// The object a control is read through. Child ids 1 … n name the controls
// of AccessibleChildren, each also an object of its own.
class AccessibleObject final : public IAccessible, public IOleWindow {
 public:
  explicit AccessibleObject(TControl& control) : control_(&control) {}

  // The control is going: every later call answers that the object is no
  // longer connected, and clients in other processes are let go.
  void Disconnect() noexcept {
    control_ = nullptr;
    if (Ole().CoDisconnectObject) Ole().CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, kIidAccessible) || IsEqualIID(iid, __uuidof(IDispatch)) ||
        IsEqualIID(iid, __uuidof(IUnknown))) {
      *out = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(iid, __uuidof(IOleWindow))) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Read through IAccessible's own methods; nothing is offered by name.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&] {
      if (TControl* parent = AccessibleParentOf(*control_)) return Dispatch(*parent, out);
      // A form: the system's object of its whole window, frame and all.
      HWND wnd = WindowOf(*control_);
      return wnd && Ole().CreateStdAccessibleObject
                 ? Ole().CreateStdAccessibleObject(wnd, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(out))
                 : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&] {
      *count = static_cast<long>(control_->AccessibleChildren().size());
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      TControl* c = Target(child);
      if (!c) return Missing();
      return c == control_ ? E_INVALIDARG : Dispatch(*c, out);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      TControl* c = Target(child);
      return c ? Text(c->AccessibleName(), out) : Missing();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    return Number(child, out, [](const TControl& c) { return c.AccessibleRole(); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    return Number(child, out, [](const TControl& c) { return c.AccessibleState(); });
  }
  // The controls have no value, description, help, shortcut or action
  // beyond what their role and state say.
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    return control_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&] {
      HWND focus = GetFocus();
      if (focus && WindowOf(*control_) == focus) {
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
      }
      for (TControl* c : control_->AccessibleChildren()) {
        if (HoldsFocus(*c, focus)) return DispatchVariant(*c, out);
      }
      return S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return Guarded([&] {
      TControl* c = Target(child);
      if (!c) return Missing();
      if (flags != SELFLAG_TAKEFOCUS || !c->Windowed()) return DISP_E_MEMBERNOTFOUND;
      auto& w = static_cast<TWinControl&>(*c);
      if (!w.CanFocus()) return S_FALSE;
      w.SetFocus();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return Guarded([&] {
      TControl* c = Target(child);
      if (!c) return Missing();
      const RECT r = ScreenRectOf(*c);
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    return Guarded([&] {
      TControl* from = Target(start);
      if (!from) return Missing();
      std::vector<TControl*> row;
      ptrdiff_t at = 0;
      switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
          row = from->AccessibleChildren();
          at = direction == NAVDIR_FIRSTCHILD ? 0 : static_cast<ptrdiff_t>(row.size()) - 1;
          break;
        case NAVDIR_NEXT:
        case NAVDIR_PREVIOUS:
          if (TControl* parent = AccessibleParentOf(*from)) row = parent->AccessibleChildren();
          at = std::find(row.begin(), row.end(), from) - row.begin() + (direction == NAVDIR_NEXT ? 1 : -1);
          break;
        default:
          return DISP_E_MEMBERNOTFOUND;
      }
      if (at < 0 || at >= static_cast<ptrdiff_t>(row.size())) return S_FALSE;
      return DispatchVariant(*row[static_cast<size_t>(at)], out);
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    Empty(out);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&] {
      const POINT p{x, y};
      const RECT own = ScreenRectOf(*control_);
      if (!PtInRect(&own, p)) return S_FALSE;
      // Child windows lie over what their parent draws; later controls
      // over earlier ones.
      const auto children = control_->AccessibleChildren();
      for (const bool windowed : {true, false}) {
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
          TControl* c = *it;
          const RECT r = ScreenRectOf(*c);
          if (c->Windowed() == windowed && !(c->AccessibleState() & STATE_SYSTEM_INVISIBLE) && PtInRect(&r, p))
            return DispatchVariant(*c, out);
        }
      }
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
      return S_OK;
    });
  }

  // The window a reader takes the object to belong to: the control's own,
  // or that of the parent a windowless control is drawn on.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const TControl* c = control_; c && !*out; c = c->Parent()) *out = WindowOf(*c);
    if (*out) return S_OK;
    return control_ ? E_FAIL : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  ~AccessibleObject() = default;

  // The control a child id names: this one for CHILDID_SELF, the nth of its
  // children for n; null for any other id, or once the control is gone.
  TControl* Target(const VARIANT& child) const {
    if (!control_ || child.vt != VT_I4) return nullptr;
    if (child.lVal == CHILDID_SELF) return control_;
    const auto children = control_->AccessibleChildren();
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > children.size()) return nullptr;
    return children[static_cast<size_t>(child.lVal) - 1];
  }
  HRESULT Missing() const { return control_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED; }

  static HRESULT Dispatch(TControl& c, IDispatch** out) {
    *out = c.accessible_.Get(c);
    (*out)->AddRef();
    return S_OK;
  }
  static HRESULT DispatchVariant(TControl& c, VARIANT* out) {
    out->vt = VT_DISPATCH;
    return Dispatch(c, &out->pdispVal);
  }
  template <class Read>
  HRESULT Number(const VARIANT& child, VARIANT* out, Read read) {
    if (!out) return E_POINTER;
    Empty(out);
    return Guarded([&] {
      TControl* c = Target(child);
      if (!c) return Missing();
      out->vt = VT_I4;
      out->lVal = read(*c);
      return S_OK;
    });
  }
  HRESULT NoText(const VARIANT& child, BSTR* out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return Target(child) ? S_FALSE : Missing(); });
  }

  TControl* control_;
  LONG refs_ = 1;
};

// ---- AccessibleLink ----

AccessibleLink::~AccessibleLink() {
  if (!object_) return;
  object_->Disconnect();
  object_->Release();
}

AccessibleObject* AccessibleLink::Get(TControl& control) {
  if (!object_) object_ = new AccessibleObject(control);
  return object_;
}

LRESULT AccessibleLink::Answer(TControl& control, WPARAM wp) {
  // COM carries the object to the asking process. Nothing else in the
  // program uses it, so it starts on the first question, on the one
  // thread that has windows, and stays for the life of the process.
  const OleLibraries& ole = Ole();
  // Without them the system answers with its own object.
  if (!ole.LresultFromObject || !ole.CoInitializeEx) return 0;
  static const HRESULT com = ole.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;  // already started in another mode still carries the object
  return ole.LresultFromObject(kIidAccessible, wp, static_cast<IAccessible*>(Get(control)));
}

// ---- what each control says ----

void TControl::NotifyAccessible(DWORD event) const {
  if (HWND own = WindowOf(*this)) {
    NotifyWinEvent(event, own, OBJID_CLIENT, CHILDID_SELF);
    return;
  }
  // A windowless control is a child of its parent's object, by number.
  const TControl* parent = AccessibleParentOf(*this);
  HWND wnd = parent ? WindowOf(*parent) : nullptr;
  if (!wnd) return;
  const auto siblings = parent->AccessibleChildren();
  const auto at = std::find(siblings.begin(), siblings.end(), this);
  if (at != siblings.end()) NotifyWinEvent(event, wnd, OBJID_CLIENT, static_cast<LONG>(at - siblings.begin()) + 1);
}

long TControl::AccessibleRole() const { return ROLE_SYSTEM_CLIENT; }

long TControl::AccessibleState() const {
  long state = 0;
  if (!visible_ || (parent_ && (parent_->AccessibleState() & STATE_SYSTEM_INVISIBLE))) state |= STATE_SYSTEM_INVISIBLE;
  if (!enabled_) state |= STATE_SYSTEM_UNAVAILABLE;
  return state;
}

long TWinControl::AccessibleState() const {
  if (!handle_) return TControl::AccessibleState();
  long state = 0;
  if (!IsWindowVisible(handle_)) state |= STATE_SYSTEM_INVISIBLE;
  if (!IsWindowEnabled(handle_)) state |= STATE_SYSTEM_UNAVAILABLE;
  if (GetFocus() == handle_) state |= STATE_SYSTEM_FOCUSED;
  return state;
}

std::vector<TControl*> TWinControl::AccessibleChildren() const {
  std::vector<TControl*> children;
  for (TControl* c : controls_) {
    if (AccessibleParentOf(*c) == this) children.push_back(c);
  }
  return children;
}

long TForm::AccessibleState() const { return TWinControl::AccessibleState() | STATE_SYSTEM_FOCUSABLE; }

long TRadioButton::AccessibleRole() const { return ROLE_SYSTEM_RADIOBUTTON; }
long TRadioButton::AccessibleState() const {
  return TWinControl::AccessibleState() | STATE_SYSTEM_FOCUSABLE | (Checked() ? STATE_SYSTEM_CHECKED : 0);
}

long TGroupBox::AccessibleRole() const { return ROLE_SYSTEM_GROUPING; }

// The radio buttons a frame holds are read as its own, also those that lie
// over it as children of its parent (the settings window's autostart pair).
bool TGroupBox::Groups(const TControl& sibling) const {
  if (!parent_ || sibling.Parent() != parent_ || !dynamic_cast<const TRadioButton*>(&sibling)) return false;
  const auto& row = parent_->Controls();
  if (std::find(row.begin(), row.end(), &sibling) < std::find(row.begin(), row.end(), this)) return false;
  const RECT frame = BoundsRect(), button = sibling.BoundsRect();
  RECT common;
  return IntersectRect(&common, &frame, &button) && EqualRect(&common, &button);
}

std::vector<TControl*> TGroupBox::AccessibleChildren() const {
  auto children = TWinControl::AccessibleChildren();
  if (parent_) {
    for (TControl* sibling : parent_->Controls()) {
      if (Groups(*sibling)) children.push_back(sibling);
    }
  }
  return children;
}

long TLabel::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }
long TLabel::AccessibleState() const { return TControl::AccessibleState() | STATE_SYSTEM_READONLY; }

long TStaticText::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }
long TStaticText::AccessibleState() const { return TWinControl::AccessibleState() | STATE_SYSTEM_READONLY; }

long TImage::AccessibleRole() const { return ROLE_SYSTEM_GRAPHIC; }

// A picture has no text of its own; the hint it shows is what a sighted user
// reads of it (the settings window's done button: "设置完成").
std::wstring TImage::AccessibleName() const { return ShowHint() ? hint_ : std::wstring(); }

long TPanel::AccessibleRole() const { return ROLE_SYSTEM_PANE; }

// A panel is read by the caption it shows: none where its children cover
// the caption (the settings window's framed done button).
std::wstring TPanel::AccessibleName() const {
  if (caption_.empty()) return {};
  const TextMeasure measure(font_);
  const RECT area = AlignArea();
  const int w = measure.Width(caption_), h = measure.LineHeight();
  const int left = area.left + (area.right - area.left - w) / 2, top = area.top + (area.bottom - area.top - h) / 2;
  const RECT text{left, top, left + w, top + h};
  for (const TControl* c : controls_) {
    RECT common;
    const RECT r = c->BoundsRect();
    if (c->Visible() && IntersectRect(&common, &r, &text) && EqualRect(&common, &text)) return {};
  }
  return caption_;
}

long THintWindow::AccessibleRole() const { return ROLE_SYSTEM_TOOLTIP; }
