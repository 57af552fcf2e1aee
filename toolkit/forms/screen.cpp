#include "toolkit/forms/screen.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/forms/form.h"

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (TForm* f : forms_) {
    if (f->HandleAllocated() && f->Handle() == active) return f;
  }
  return nullptr;
}

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
