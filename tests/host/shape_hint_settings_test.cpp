#include "components/shapehint/settings_objects.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "toolkit/core/exceptions.h"

namespace {

// Counts the change notifications an object raises, and checks the sender.
struct ChangeCounter {
  explicit ChangeCounter(TSettingsObject& object) {
    object.OnChange = [this, &object](TSettingsObject* sender) {
      EXPECT_EQ(sender, &object);
      ++count;
    };
  }
  int count = 0;
};

TEST(ShadowSettings, DefaultsAreAButtonShadowSixPixelsDeep) {
  TShadow shadow;
  EXPECT_EQ(shadow.Color(), clBtnShadow);
  EXPECT_EQ(shadow.Depth(), 6);
  EXPECT_EQ(shadow.Style(), hssSolid);
}

TEST(ShadowSettings, EachSetterNotifiesOnlyARealChange) {
  TShadow shadow;
  ChangeCounter changes(shadow);
  const std::vector<std::function<void()>> unchanged = {
      [&] { shadow.SetDepth(6); }, [&] { shadow.SetColor(clBtnShadow); }, [&] { shadow.SetStyle(hssSolid); }};
  for (const auto& set : unchanged) set();
  EXPECT_EQ(changes.count, 0) << "setting the current value is no change";

  shadow.SetDepth(7);
  shadow.SetColor(RgbColor(27, 122, 228));
  shadow.SetStyle(hssTracing);
  EXPECT_EQ(changes.count, 3);
  EXPECT_EQ(shadow.Color(), 14973467) << "the intro window's stored shadow colour";
  shadow.SetDepth(7);
  EXPECT_EQ(changes.count, 3);
}

TEST(ShadowSettings, DepthStaysWithinItsRange) {
  TShadow shadow;
  shadow.SetDepth(41);
  EXPECT_EQ(shadow.Depth(), 40);
  shadow.SetDepth(-1);
  EXPECT_EQ(shadow.Depth(), 0);
  shadow.SetDepth(40);
  EXPECT_EQ(shadow.Depth(), 40);
}

TEST(ShadowSettings, AssignCopiesEverythingAndNotifiesOnce) {
  TShadow from, to;
  from.SetColor(clRed);
  from.SetDepth(12);
  from.SetStyle(hssNone);
  ChangeCounter changes(to);
  to.Assign(from);
  EXPECT_EQ(to.Color(), clRed);
  EXPECT_EQ(to.Depth(), 12);
  EXPECT_EQ(to.Style(), hssNone);
  EXPECT_EQ(changes.count, 1);
  to.Assign(from);
  EXPECT_EQ(changes.count, 2) << "an assignment always tells, equal or not";
}

TEST(ThreeDCaptionSettings, DefaultsArePlainText) {
  T3DCaption caption;
  EXPECT_EQ(caption.DisabledStyle(), dsAuto);
  EXPECT_EQ(caption.LightDepth(), 1);
  EXPECT_EQ(caption.ShadowDepth(), 1);
  EXPECT_EQ(caption.LightColor(), clBtnHighlight);
  EXPECT_EQ(caption.ShadowColor(), clBtnShadow);
  EXPECT_EQ(caption.Style(), tdNone);
  EXPECT_EQ(caption.Orientation(), toTopLeft);
  EXPECT_EQ(caption.Tracing(), 0);
}

TEST(ThreeDCaptionSettings, EachSetterNotifiesOnlyARealChange) {
  T3DCaption caption;
  ChangeCounter changes(caption);
  caption.SetDisabledStyle(dsAuto);
  caption.SetLightDepth(1);
  caption.SetShadowDepth(1);
  caption.SetLightColor(clBtnHighlight);
  caption.SetShadowColor(clBtnShadow);
  caption.SetStyle(tdNone);
  caption.SetOrientation(toTopLeft);
  caption.SetTracing(0);
  EXPECT_EQ(changes.count, 0);

  caption.SetDisabledStyle(ds3d);
  caption.SetLightDepth(3);
  caption.SetShadowDepth(2);
  caption.SetLightColor(clHotLight);
  caption.SetShadowColor(clFuchsia);
  caption.SetStyle(tdOutline);
  caption.SetOrientation(toBottomRight);
  caption.SetTracing(-1);
  EXPECT_EQ(changes.count, 8);
}

TEST(ThreeDCaptionSettings, DepthsAndColoursShareOneIndexedSetterEach) {
  T3DCaption caption;
  caption.SetDepth(T3DCaption::kLight, 4);
  caption.SetDepth(T3DCaption::kShadow, 9);
  caption.SetColor(T3DCaption::kLight, clLime);
  caption.SetColor(T3DCaption::kShadow, clOlive);
  EXPECT_EQ(caption.LightDepth(), 4);
  EXPECT_EQ(caption.ShadowDepth(), 9);
  EXPECT_EQ(caption.LightColor(), clLime);
  EXPECT_EQ(caption.ShadowColor(), clOlive);
}

TEST(ThreeDCaptionSettings, AssignKeepsTheOrientation) {
  T3DCaption from, to;
  from.SetDisabledStyle(dsNone);
  from.SetLightDepth(3);
  from.SetShadowDepth(5);
  from.SetLightColor(clHotLight);
  from.SetShadowColor(clFuchsia);
  from.SetStyle(tdExtrudeEnh);
  from.SetTracing(2);
  from.SetOrientation(toBottomLeft);
  to.SetOrientation(toTopRight);
  ChangeCounter changes(to);
  to.Assign(from);
  EXPECT_EQ(to.DisabledStyle(), dsNone);
  EXPECT_EQ(to.LightDepth(), 3);
  EXPECT_EQ(to.ShadowDepth(), 5);
  EXPECT_EQ(to.LightColor(), clHotLight);
  EXPECT_EQ(to.ShadowColor(), clFuchsia);
  EXPECT_EQ(to.Style(), tdExtrudeEnh);
  EXPECT_EQ(to.Tracing(), 2);
  EXPECT_EQ(to.Orientation(), toTopRight);
  EXPECT_EQ(changes.count, 1);
}

TEST(SettingsObjects, AssigningAnotherKindIsAnErrorAndChangesNothing) {
  TShadow shadow;
  T3DCaption caption;
  ChangeCounter changes(shadow);
  try {
    shadow.Assign(caption);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), L"Cannot assign a T3DCaption to a TShadow");
  }
  EXPECT_THROW(caption.Assign(shadow), EConvertError);
  EXPECT_EQ(shadow.Depth(), 6);
  EXPECT_EQ(changes.count, 0);
}

TEST(SettingsObjects, AnUpdateLockHoldsNotificationsUntilItEnds) {
  T3DCaption caption;
  ChangeCounter changes(caption);
  caption.BeginUpdate();
  caption.SetStyle(tdShadow);
  caption.SetTracing(1);
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(caption.Style(), tdShadow) << "values are stored while locked";
  caption.EndUpdate(false);
  EXPECT_EQ(changes.count, 0);
  caption.BeginUpdate();
  caption.SetStyle(tdRaised);
  caption.EndUpdate();
  EXPECT_EQ(changes.count, 1) << "one notification for the whole update";
  caption.SetStyle(tdSunken);
  EXPECT_EQ(changes.count, 2);
}

}  // namespace
