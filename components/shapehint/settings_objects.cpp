#include "components/shapehint/settings_objects.h"

#include <algorithm>

#include "toolkit/core/exceptions.h"

void TSettingsObject::Assign(const TSettingsObject& source) {
  throw EConvertError(std::wstring(L"Cannot assign a ") + source.ClassName() + L" to a " + ClassName());
}

void TSettingsObject::EndUpdate(bool notify) {
  locked_ = false;
  if (notify) Change();
}

void TSettingsObject::Change() {
  if (!locked_ && OnChange) OnChange(this);
}

void TShadow::SetDepth(int value) {
  Store(depth_, static_cast<TShadowDepth>(std::clamp<int>(value, kMinShadowDepth, kMaxShadowDepth)));
}

void TShadow::Assign(const TSettingsObject& source) {
  const auto* shadow = dynamic_cast<const TShadow*>(&source);
  if (!shadow) return TSettingsObject::Assign(source);
  style_ = shadow->style_;
  color_ = shadow->color_;
  depth_ = shadow->depth_;
  Change();
}

void T3DCaption::Assign(const TSettingsObject& source) {
  const auto* caption = dynamic_cast<const T3DCaption*>(&source);
  if (!caption) return TSettingsObject::Assign(source);
  disabled_style_ = caption->disabled_style_;
  light_depth_ = caption->light_depth_;
  shadow_depth_ = caption->shadow_depth_;
  light_color_ = caption->light_color_;
  shadow_color_ = caption->shadow_color_;
  style_ = caption->style_;
  tracing_ = caption->tracing_;
  Change();
}
