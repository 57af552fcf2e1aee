#include "components/trayicon/tray_dispatch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace tray_mouse;
using S = TrayStep;

// What each message does with no trigger set to anything but imNone, in order.
const std::map<uint32_t, std::vector<TrayStep>> kPlainSteps = {
    {kMove, {{S::OnMouseMove}}},
    {kLeftDown, {{S::OnMouseDown, TrayButton::Left}}},
    {kLeftUp, {{S::OnClick}, {S::OnMouseUp, TrayButton::Left}}},
    {kLeftDouble, {{S::OnDblClick}}},
    {kRightDown, {{S::OnMouseDown, TrayButton::Right}}},
    {kRightUp, {{S::OnMouseUp, TrayButton::Right}}},
    {kRightDouble, {{S::OnDblClick}}},
    {kMiddleDown, {{S::OnMouseDown, TrayButton::Middle}}},
    {kMiddleUp, {{S::OnMouseUp, TrayButton::Middle}}},
    {kMiddleDouble, {{S::OnDblClick}}},
};

// Where a trigger puts its action: just before the event step that checks
// it, or at the end for the button-specific triggers. The table is the
// dispatch written out by hand, message by message.
std::vector<TrayStep> Expected(uint32_t msg, TTrayIconMessage trigger, S::Kind action) {
  std::vector<TrayStep> steps;
  const auto before = [&](S::Kind event, TTrayIconMessage t, TrayButton b = TrayButton::Left) {
    if (trigger == t) steps.push_back({action});
    steps.push_back({event, b});
  };
  switch (msg) {
    case kMove: steps.push_back({S::OnMouseMove}); break;
    case kLeftDown: before(S::OnMouseDown, imMouseDown); break;
    case kLeftUp:
      before(S::OnClick, imClick);
      before(S::OnMouseUp, imMouseUp);
      if (trigger == imLeftClickUp) steps.push_back({action});
      break;
    case kLeftDouble:
      before(S::OnDblClick, imDoubleClick);
      if (trigger == imLeftDoubleClick) steps.push_back({action});
      break;
    case kRightDown: before(S::OnMouseDown, imMouseDown, TrayButton::Right); break;
    case kRightUp:
      before(S::OnMouseUp, imMouseUp, TrayButton::Right);
      if (trigger == imRightClickUp) steps.push_back({action});
      break;
    case kRightDouble:
      before(S::OnDblClick, imDoubleClick);
      if (trigger == imRightDoubleClick) steps.push_back({action});
      break;
    case kMiddleDown: before(S::OnMouseDown, imMouseDown, TrayButton::Middle); break;
    case kMiddleUp: before(S::OnMouseUp, imMouseUp, TrayButton::Middle); break;
    case kMiddleDouble: before(S::OnDblClick, imDoubleClick); break;
  }
  return steps;
}

TEST(TrayDispatch, EveryMessageWithEveryRestoreTrigger) {
  for (const auto& [msg, plain] : kPlainSteps) {
    for (int t = imClick; t <= imNone; ++t) {
      const auto trigger = static_cast<TTrayIconMessage>(t);
      EXPECT_EQ(TrayStepsFor(msg, trigger, imNone), Expected(msg, trigger, S::Restore))
          << "message " << msg << " restore on " << t;
      EXPECT_EQ(TrayStepsFor(msg, imNone, trigger), Expected(msg, trigger, S::ShowMenu))
          << "message " << msg << " menu on " << t;
    }
    EXPECT_EQ(TrayStepsFor(msg, imNone, imNone), plain);
  }
}

TEST(TrayDispatch, RestoreComesBeforeTheMenuWhenBothShareATrigger) {
  EXPECT_EQ(TrayStepsFor(kRightUp, imRightClickUp, imRightClickUp),
            (std::vector<TrayStep>{{S::OnMouseUp, TrayButton::Right}, {S::Restore}, {S::ShowMenu}}));
}

TEST(TrayDispatch, TheProgramsSettings) {
  // Left double-click restores once, on the double-click message only.
  for (uint32_t msg : {kLeftDown, kLeftUp, kLeftDouble, kLeftUp}) {
    const auto steps = TrayStepsFor(msg, imLeftDoubleClick, imRightClickUp);
    const bool restores = std::count(steps.begin(), steps.end(), TrayStep{S::Restore}) == 1;
    EXPECT_EQ(restores, msg == kLeftDouble) << msg;
  }
  // The menu opens on the right button's release, after OnMouseUp.
  EXPECT_EQ(TrayStepsFor(kRightUp, imLeftDoubleClick, imRightClickUp),
            (std::vector<TrayStep>{{S::OnMouseUp, TrayButton::Right}, {S::ShowMenu}}));
  EXPECT_TRUE(TrayStepsFor(kRightDown, imLeftDoubleClick, imRightClickUp).size() == 1);
}

TEST(TrayDispatch, UnknownMessagesDoNothing) {
  EXPECT_TRUE(TrayStepsFor(0x020A, imClick, imClick).empty());
  EXPECT_TRUE(TrayStepsFor(0, imMouseDown, imMouseUp).empty());
}

TEST(TrayAnimation, StartingAtIcon4ShowsFiveToTenThenWraps) {
  std::vector<int> shown;
  int index = 4;
  for (int i = 0; i < 8; ++i) shown.push_back(index = NextAnimationIndex(index, 11));
  EXPECT_EQ(shown, (std::vector<int>{5, 6, 7, 8, 9, 10, 0, 1}));
}

TEST(TrayAnimation, AnIndexOutsideTheListRestartsAtTheFirstIcon) {
  EXPECT_EQ(NextAnimationIndex(42, 11), 0);
  EXPECT_EQ(NextAnimationIndex(-5, 11), -4);  // below the list: the next index, as counted
  EXPECT_EQ(NextAnimationIndex(0, 1), 0);
  EXPECT_EQ(NextAnimationIndex(0, 0), 0);
}

}  // namespace
