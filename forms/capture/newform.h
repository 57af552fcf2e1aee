#pragma once
// The region selector: a borderless window over the whole primary screen on
// which the user drags the rectangle to capture.
#include "toolkit/forms/form.h"

class TNewform : public TForm {
 public:
  explicit TNewform(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TNewform"; }
};

void LoadNewformLayout(TNewform& form);

extern TNewform* Newform;
