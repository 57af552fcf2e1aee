#include "forms/intro/form1.h"

void LoadForm1Layout(TForm1& f) {
  f.SetBorderIcons(0);
  f.SetBorderStyle(TBorderStyle::bsNone);
  f.SetCaption(L"Form1");
  f.SetClientHeight(137);
  f.SetClientWidth(535);
  f.SetColor(clGreen);
  f.SetFormStyle(TFormStyle::fsStayOnTop);
  f.SetHint(L"双击Windows任务栏的Kelvora的图标,即隐藏本窗口.");
  f.SetPosition(TPosition::poScreenCenter);
  f.SetShowHint(true);
  f.SetVisible(true);
  f.OnClose = [&f](TComponent* s, TCloseAction& a) { f.FormClose(s, a); };
  f.OnShow = [&f](TComponent* s) { f.FormShow(s); };

  f.Timer1 = new TTimer(&f);
  f.Timer1->SetName(L"Timer1");
  f.Timer1->SetEnabled(false);
  f.Timer1->SetInterval(111000);
  f.Timer1->OnTimer = [&f](TComponent* s) { f.Timer1Timer(s); };

  f.Timer2 = new TTimer(&f);
  f.Timer2->SetName(L"Timer2");
  f.Timer2->SetInterval(50);
  f.Timer2->OnTimer = [&f](TComponent* s) { f.Timer2Timer(s); };
}
