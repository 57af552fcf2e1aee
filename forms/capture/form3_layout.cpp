#include "forms/capture/form3.h"

#include "resources/resource_ids.h"

void LoadForm3Layout(TForm3& f) {
  f.SetBounds(192, 114, 333, 301);
  f.SetCaption(L"Kelvorav20->显示抓图");
  f.SetColor(clBtnFace);
  f.SetIconResource(IDI_VIEWER);
  f.SetPosition(TPosition::poScreenCenter);
}
