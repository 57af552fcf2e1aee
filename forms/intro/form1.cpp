#include "forms/intro/form1.h"

#include "toolkit/app/application.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  LoadForm1Layout(*this);
  FinishConstruction();
}

void TForm1::HideStep() {
  ShowWindow(Handle(), SW_HIDE);
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TForm1::FormShow(TComponent*) {
  fade_counter_ = 255;
  Timer2->SetEnabled(true);
}

void TForm1::FormClose(TComponent*, TCloseAction& action) {
  action = TCloseAction::caFree;
}

void TForm1::Timer1Timer(TComponent*) {
  HideStep();
}

void TForm1::Timer2Timer(TComponent*) {
  --fade_counter_;
  SetAlphaBlend(true);
  SetAlphaBlendValue(static_cast<BYTE>(fade_counter_ & 0xFF));
  if (fade_counter_ == 0) {
    HideStep();
    Timer2->SetEnabled(false);
  }
}
