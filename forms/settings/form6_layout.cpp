#include "forms/settings/form6.h"
#include "resources/resource_ids.h"

void LoadForm6Layout(TForm6& f) {
  f.SetBorderStyle(TBorderStyle::bsNone);
  f.SetCaption(L"Form6");
  f.SetClientHeight(234);
  f.SetClientWidth(321);
  f.SetColor(clBtnFace);
  f.SetFormStyle(TFormStyle::fsStayOnTop);
  f.SetPosition(TPosition::poScreenCenter);
  f.SetAlphaBlend(true);
  f.SetAlphaBlendValue(0);
  f.OnClose = [&f](TComponent* s, TCloseAction& a) { f.FormClose(s, a); };
  f.OnCreate = [&f](TComponent* s) { f.FormCreate(s); };

  f.Image1 = new TImage(&f);
  f.Image1->SetName(L"Image1");
  f.Image1->SetParent(&f);
  f.Image1->SetBounds(0, 0, 321, 233);
  f.Image1->SetCursor(crHandPoint);
  f.Image1->SetHint(kFarewellHint);
  f.Image1->Picture().LoadMetafileResource(IDR_FAREWELL_PICTURE);
  f.Image1->SetShowHint(true);
  f.Image1->OnDblClick = [&f](TComponent* s) { f.Image1DblClick(s); };

  f.Timer1 = new TTimer(&f);
  f.Timer1->SetName(L"Timer1");
  f.Timer1->SetInterval(40);
  f.Timer1->OnTimer = [&f](TComponent* s) { f.Timer1Timer(s); };

  // From the farewell on, hints are sky-blue rounded shapes with a nose.
  f.ShapeHint1 = new TShapeHint(&f);
  f.ShapeHint1->SetName(L"ShapeHint1");
  f.ShapeHint1->SetBorderColor(clRed);
  f.ShapeHint1->SetColor(clSkyBlue);
  f.ShapeHint1->Font().Set(L"黑体", -12, fsBold, clBlue, GB2312_CHARSET);
}
