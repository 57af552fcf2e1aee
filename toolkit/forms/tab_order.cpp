// The keyboard side of windowed controls: tab order, tab stops and focus.
#include <algorithm>

#include "toolkit/forms/control.h"

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tab_list_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& list = parent_->tab_list_;
  const auto at = std::find(list.begin(), list.end(), this);
  if (at == list.end()) return;
  list.erase(at);
  const auto place = static_cast<size_t>(std::clamp(order, 0, static_cast<int>(list.size())));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(place), this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

std::vector<TWinControl*> TWinControl::TabOrderList() const {
  std::vector<TWinControl*> list;
  for (TWinControl* child : tab_list_) {
    list.push_back(child);
    const auto below = child->TabOrderList();
    list.insert(list.end(), below.begin(), below.end());
  }
  return list;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
  auto list = TabOrderList();
  if (!forward) std::reverse(list.begin(), list.end());
  const auto n = list.size();
  const auto at = std::find(list.begin(), list.end(), current);
  // Starts just after the current control, or at the first one.
  const size_t start = at == list.end() ? 0 : static_cast<size_t>(at - list.begin()) + 1;
  for (size_t i = 0; i < n; ++i) {
    TWinControl* c = list[(start + i) % n];
    if (c->TabStop() && c->CanFocus()) return c;
  }
  return nullptr;
}

TWinControl* TWinControl::FindControl(HWND wnd) {
  if (!wnd) return nullptr;
  if (handle_ == wnd) return this;
  for (TWinControl* child : tab_list_) {
    if (TWinControl* found = child->FindControl(wnd)) return found;
  }
  return nullptr;
}

bool TWinControl::FocusCuesShown() const {
  const TWinControl* top = this;
  while (top->Parent()) top = top->Parent();
  return top->focus_cues_shown_;
}

bool TWinControl::SelectInGroup(bool) { return false; }
