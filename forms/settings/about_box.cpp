#include "forms/settings/about_box.h"

#include "toolkit/win/time_text.h"

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
  LoadAboutBoxLayout(*this);
  FinishConstruction();
}

void TAboutBox::Panel1Click(TComponent*) {
  Close();
}

void TAboutBox::Timer1Timer(TComponent*) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring clock = kAboutCaption + TimeToStr(now) + kAboutClockTail;
  if (clock != Caption()) SetCaption(clock);
}
