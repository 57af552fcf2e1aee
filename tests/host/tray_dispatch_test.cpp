#include "components/trayicon/tray_dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tray_mouse;
using S = TrayStep;

constexpr TrayButton L = TrayButton::Left, R = TrayButton::Right, M = TrayButton::Middle;

// What each shell message raises when neither action is triggered by
// anything (both set to imNone).
struct Plain {
  uint32_t message;
  std::vector<TrayStep> steps;
};
const Plain kPlain[] = {
    {kMove, {{S::OnMouseMove}}},
    {kLeftDown, {{S::OnMouseDown, L}}},
    {kLeftUp, {{S::OnClick}, {S::OnMouseUp, L}}},
    {kLeftDouble, {{S::OnDblClick}}},
    {kRightDown, {{S::OnMouseDown, R}}},
    {kRightUp, {{S::OnMouseUp, R}}},
    {kRightDouble, {{S::OnDblClick}}},
    {kMiddleDown, {{S::OnMouseDown, M}}},
    {kMiddleUp, {{S::OnMouseUp, M}}},
    {kMiddleDouble, {{S::OnDblClick}}},
};

// Every message and trigger under which an action runs, with the whole
// sequence the icon must produce; `Restore` stands for the triggered action
// (the menu takes the same place when it is the one triggered). Any pair not
// listed runs no action and raises only the plain events above.
struct Fired {
  uint32_t message;
  TTrayIconMessage trigger;
  std::vector<TrayStep> steps;
};
const Fired kFired[] = {
    {kLeftDown, imMouseDown, {{S::Restore}, {S::OnMouseDown, L}}},
    {kLeftUp, imClick, {{S::Restore}, {S::OnClick}, {S::OnMouseUp, L}}},
    {kLeftUp, imMouseUp, {{S::OnClick}, {S::Restore}, {S::OnMouseUp, L}}},
    {kLeftUp, imLeftClickUp, {{S::OnClick}, {S::OnMouseUp, L}, {S::Restore}}},
    {kLeftDouble, imDoubleClick, {{S::Restore}, {S::OnDblClick}}},
    {kLeftDouble, imLeftDoubleClick, {{S::OnDblClick}, {S::Restore}}},
    {kRightDown, imMouseDown, {{S::Restore}, {S::OnMouseDown, R}}},
    {kRightUp, imMouseUp, {{S::Restore}, {S::OnMouseUp, R}}},
    {kRightUp, imRightClickUp, {{S::OnMouseUp, R}, {S::Restore}}},
    {kRightDouble, imDoubleClick, {{S::Restore}, {S::OnDblClick}}},
    {kRightDouble, imRightDoubleClick, {{S::OnDblClick}, {S::Restore}}},
    {kMiddleDown, imMouseDown, {{S::Restore}, {S::OnMouseDown, M}}},
    {kMiddleUp, imMouseUp, {{S::Restore}, {S::OnMouseUp, M}}},
    {kMiddleDouble, imDoubleClick, {{S::Restore}, {S::OnDblClick}}},
};

const TTrayIconMessage kTriggers[] = {imClick,          imDoubleClick,     imMouseDown,
                                      imMouseUp,        imLeftClickUp,     imLeftDoubleClick,
                                      imRightClickUp,   imRightDoubleClick, imNone};

std::vector<TrayStep> AsMenu(std::vector<TrayStep> steps) {
  for (TrayStep& s : steps)
    if (s.kind == S::Restore) s.kind = S::ShowMenu;
  return steps;
}

std::string Describe(const std::vector<TrayStep>& steps) {
  static const char* const kNames[] = {"Restore", "ShowMenu", "OnClick", "OnDblClick",
                                       "OnMouseDown", "OnMouseUp", "OnMouseMove"};
  std::string text;
  for (const TrayStep& s : steps) {
    text += kNames[s.kind];
    if (s.kind == S::OnMouseDown || s.kind == S::OnMouseUp)
      text += s.button == L ? "(left)" : s.button == R ? "(right)" : "(middle)";
    text += " ";
  }
  return text;
}

const std::vector<TrayStep>* FiredSteps(uint32_t message, TTrayIconMessage trigger) {
  for (const Fired& f : kFired)
    if (f.message == message && f.trigger == trigger) return &f.steps;
  return nullptr;
}

TEST(TrayDispatch, EachMessageWithoutTriggersRaisesOnlyItsEvents) {
  for (const Plain& p : kPlain)
    EXPECT_EQ(Describe(TrayStepsFor(p.message, imNone, imNone)), Describe(p.steps)) << "message " << p.message;
}

TEST(TrayDispatch, EachTriggerRunsTheRestoreActionAtItsPlaceAndNowhereElse) {
  for (const Plain& p : kPlain)
    for (TTrayIconMessage t : kTriggers) {
      const auto* fired = FiredSteps(p.message, t);
      EXPECT_EQ(Describe(TrayStepsFor(p.message, t, imNone)), Describe(fired ? *fired : p.steps))
          << "message " << p.message << ", restore on " << int{t};
    }
}

TEST(TrayDispatch, EachTriggerPopsUpTheMenuAtItsPlaceAndNowhereElse) {
  for (const Plain& p : kPlain)
    for (TTrayIconMessage t : kTriggers) {
      const auto* fired = FiredSteps(p.message, t);
      EXPECT_EQ(Describe(TrayStepsFor(p.message, imNone, t)), Describe(AsMenu(fired ? *fired : p.steps)))
          << "message " << p.message << ", menu on " << int{t};
    }
}

TEST(TrayDispatch, RestoreComesBeforeTheMenuWhenBothShareATrigger) {
  EXPECT_EQ(TrayStepsFor(kRightUp, imRightClickUp, imRightClickUp),
            (std::vector<TrayStep>{{S::OnMouseUp, R}, {S::Restore}, {S::ShowMenu}}));
  EXPECT_EQ(TrayStepsFor(kLeftUp, imClick, imClick),
            (std::vector<TrayStep>{{S::Restore}, {S::ShowMenu}, {S::OnClick}, {S::OnMouseUp, L}}));
  EXPECT_EQ(TrayStepsFor(kMiddleDouble, imDoubleClick, imDoubleClick),
            (std::vector<TrayStep>{{S::Restore}, {S::ShowMenu}, {S::OnDblClick}}));
}

TEST(TrayDispatch, TwoTriggersOfOneMessageEachTakeTheirOwnPlace) {
  EXPECT_EQ(TrayStepsFor(kLeftUp, imClick, imLeftClickUp),
            (std::vector<TrayStep>{{S::Restore}, {S::OnClick}, {S::OnMouseUp, L}, {S::ShowMenu}}));
  EXPECT_EQ(TrayStepsFor(kLeftUp, imLeftClickUp, imMouseUp),
            (std::vector<TrayStep>{{S::OnClick}, {S::ShowMenu}, {S::OnMouseUp, L}, {S::Restore}}));
  EXPECT_EQ(TrayStepsFor(kRightDouble, imRightDoubleClick, imDoubleClick),
            (std::vector<TrayStep>{{S::ShowMenu}, {S::OnDblClick}, {S::Restore}}));
}

TEST(TrayDispatch, TheProgramsSettings) {
  // Restore on a left double-click, the menu on the right button's release:
  // a left click does neither, the double-click restores once, the right
  // button's press does nothing and its release opens the menu after
  // OnMouseUp.
  const auto program = [](uint32_t message) { return TrayStepsFor(message, imLeftDoubleClick, imRightClickUp); };
  EXPECT_EQ(program(kLeftDown), (std::vector<TrayStep>{{S::OnMouseDown, L}}));
  EXPECT_EQ(program(kLeftUp), (std::vector<TrayStep>{{S::OnClick}, {S::OnMouseUp, L}}));
  EXPECT_EQ(program(kLeftDouble), (std::vector<TrayStep>{{S::OnDblClick}, {S::Restore}}));
  EXPECT_EQ(program(kRightDown), (std::vector<TrayStep>{{S::OnMouseDown, R}}));
  EXPECT_EQ(program(kRightUp), (std::vector<TrayStep>{{S::OnMouseUp, R}, {S::ShowMenu}}));
  EXPECT_EQ(program(kRightDouble), (std::vector<TrayStep>{{S::OnDblClick}}));
}

TEST(TrayDispatch, UnknownMessagesDoNothing) {
  EXPECT_TRUE(TrayStepsFor(0x020A, imClick, imClick).empty());
  EXPECT_TRUE(TrayStepsFor(0x020B, imMouseDown, imMouseUp).empty());
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
