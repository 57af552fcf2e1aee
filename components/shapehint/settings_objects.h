#pragma once
// The small settings objects of the shaped hints: the drop shadow and the 3D
// text effect. Each setter stores a value only when it differs and then
// tells OnChange, so a listener hears of real changes only.
#include <cstdint>
#include <functional>
#include <string>

#include "components/shapehint/shape_hint_types.h"
#include "toolkit/graphics/color.h"

class TSettingsObject {
 public:
  using TChangeEvent = std::function<void(TSettingsObject* sender)>;

  TSettingsObject() = default;
  TSettingsObject(const TSettingsObject&) = delete;
  TSettingsObject& operator=(const TSettingsObject&) = delete;
  virtual ~TSettingsObject() = default;

  virtual const wchar_t* ClassName() const { return L"TSettingsObject"; }
  // Copies the settings of an object of the same kind; any other kind
  // raises EConvertError.
  virtual void Assign(const TSettingsObject& source);

  // While locked, changes are stored without telling OnChange.
  void BeginUpdate() { locked_ = true; }
  void EndUpdate(bool notify = true);
  bool Updating() const noexcept { return locked_; }

  TChangeEvent OnChange;

 protected:
  void Change();
  template <class T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = value;
    Change();
  }

 private:
  bool locked_ = false;
};

class TShadow : public TSettingsObject {
 public:
  const wchar_t* ClassName() const override { return L"TShadow"; }
  void Assign(const TSettingsObject& source) override;

  TColor Color() const noexcept { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  TShadowDepth Depth() const noexcept { return depth_; }
  // Depths beyond the range are held at its end.
  void SetDepth(int value);
  TShadowStyle Style() const noexcept { return style_; }
  void SetStyle(TShadowStyle value) { Store(style_, value); }

 private:
  TColor color_ = clBtnShadow;
  TShadowDepth depth_ = 6;
  TShadowStyle style_ = hssSolid;
};

class T3DCaption : public TSettingsObject {
 public:
  enum Index { kLight = 0, kShadow = 1 };

  const wchar_t* ClassName() const override { return L"T3DCaption"; }
  // Copies everything but the orientation.
  void Assign(const TSettingsObject& source) override;

  TDisabledStyle DisabledStyle() const noexcept { return disabled_style_; }
  void SetDisabledStyle(TDisabledStyle value) { Store(disabled_style_, value); }
  uint8_t Depth(Index index) const noexcept { return index == kLight ? light_depth_ : shadow_depth_; }
  void SetDepth(Index index, uint8_t value) { Store(index == kLight ? light_depth_ : shadow_depth_, value); }
  uint8_t LightDepth() const noexcept { return light_depth_; }
  void SetLightDepth(uint8_t value) { SetDepth(kLight, value); }
  uint8_t ShadowDepth() const noexcept { return shadow_depth_; }
  void SetShadowDepth(uint8_t value) { SetDepth(kShadow, value); }
  TColor Color(Index index) const noexcept { return index == kLight ? light_color_ : shadow_color_; }
  void SetColor(Index index, TColor value) { Store(index == kLight ? light_color_ : shadow_color_, value); }
  TColor LightColor() const noexcept { return light_color_; }
  void SetLightColor(TColor value) { SetColor(kLight, value); }
  TColor ShadowColor() const noexcept { return shadow_color_; }
  void SetShadowColor(TColor value) { SetColor(kShadow, value); }
  TThreeDStyle Style() const noexcept { return style_; }
  void SetStyle(TThreeDStyle value) { Store(style_, value); }
  TThreeDOrientation Orientation() const noexcept { return orientation_; }
  void SetOrientation(TThreeDOrientation value) { Store(orientation_, value); }
  // Extra pixels after every character.
  int32_t Tracing() const noexcept { return tracing_; }
  void SetTracing(int32_t value) { Store(tracing_, value); }

 private:
  TDisabledStyle disabled_style_ = dsAuto;
  uint8_t light_depth_ = 1;
  uint8_t shadow_depth_ = 1;
  TColor light_color_ = clBtnHighlight;
  TColor shadow_color_ = clBtnShadow;
  TThreeDStyle style_ = tdNone;
  TThreeDOrientation orientation_ = toTopLeft;
  int32_t tracing_ = 0;
};
