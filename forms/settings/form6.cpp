#include "forms/settings/form6.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(TComponent* owner) : TForm(owner) {
  LoadForm6Layout(*this);
  FinishConstruction();
}

TForm6::~TForm6() {
  // The window frees itself on closing; the global must not outlive it.
  if (Form6 == this) Form6 = nullptr;
}

void TForm6::FormCreate(TComponent*) {
  fade_counter_ = 0;
}

void TForm6::Timer1Timer(TComponent*) {
  ++fade_counter_;
  SetAlphaBlend(true);
  SetAlphaBlendValue(static_cast<BYTE>(fade_counter_ & 0xFF));
  if (fade_counter_ == 255) {
    Timer1->SetEnabled(false);
    Close();
  }
}

void TForm6::Image1DblClick(TComponent*) {
  Close();
}

void TForm6::FormClose(TComponent*, TCloseAction& action) {
  action = TCloseAction::caFree;
}
