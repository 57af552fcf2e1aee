#include "forms/capture/newform.h"

void LoadNewformLayout(TNewform& f) {
  f.SetBounds(176, 118, 112, 78);
  f.SetCaption(L"Newform");
  f.SetColor(clBtnFace);
}
