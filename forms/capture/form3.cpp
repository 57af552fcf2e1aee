#include "forms/capture/form3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner) : TForm(owner) {
  LoadForm3Layout(*this);
  FinishConstruction();
}
