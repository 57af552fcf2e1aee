#pragma once
// A radio group: a group box meant to hold radio buttons of its own. The
// program lists no items in it, so it is only the captioned frame.
#include "toolkit/forms/group_box.h"

class TRadioGroup : public TGroupBox {
 public:
  explicit TRadioGroup(TComponent* owner);

 protected:
  void CreateParams(CreateParamsData& params) override;
};
