#pragma once
// The capture viewer: shows the last capture on a green panel.
#include "toolkit/forms/form.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TForm3"; }
};

void LoadForm3Layout(TForm3& form);

extern TForm3* Form3;
