#include "toolkit/forms/radio_group.h"

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner) {}

void TRadioGroup::CreateParams(CreateParamsData& params) {
  TGroupBox::CreateParams(params);
  params.window_class.name = L"TRadioGroup";
}
