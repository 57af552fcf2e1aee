#include "forms/capture/newform.h"

#include "toolkit/forms/screen.h"

TNewform* Newform = nullptr;

TNewform::TNewform(TComponent* owner) : TForm(owner) {
  LoadNewformLayout(*this);
  SetBorderStyle(TBorderStyle::bsNone);
  Brush().Style = TBrushStyle::bsClear;
  SetBounds(0, 0, Screen().Width(), Screen().Height());
  FinishConstruction();
}
