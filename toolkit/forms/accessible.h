#pragma once
// What assistive technology reads of the toolkit's controls: a screen reader
// or a magnifier asks a window for its object (WM_GETOBJECT, Active
// Accessibility's IAccessible) and walks from there. The toolkit draws its
// controls itself, so each control class says what the system's own control
// of its kind would: role, name, state, place on the screen and the controls
// it holds (TControl's Accessible... members). Windowless controls are read
// as children of their parent's object. The focus events are the system's:
// only windows take the focus, and it tells of each one that does.
#include <windows.h>

class TControl;
class AccessibleObject;

// A control's end of its object: made on first demand, and cut off from the
// control when the control goes, as a client in another process may hold the
// object longer.
class AccessibleLink {
 public:
  AccessibleLink() = default;
  ~AccessibleLink();
  AccessibleLink(const AccessibleLink&) = delete;
  AccessibleLink& operator=(const AccessibleLink&) = delete;

  AccessibleObject* Get(TControl& control);
  // The answer to WM_GETOBJECT for the control's client area.
  LRESULT Answer(TControl& control, WPARAM wp);

 private:
  AccessibleObject* object_ = nullptr;
};
