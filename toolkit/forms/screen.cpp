#include "toolkit/forms/screen.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/forms/form.h"

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (active_form_ == form) active_form_ = nullptr;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
