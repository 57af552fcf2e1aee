#include "components/trayicon/tray_dispatch.h"

namespace {

class Steps {
 public:
  Steps(TTrayIconMessage restore_on, TTrayIconMessage popup_on) : restore_on_(restore_on), popup_on_(popup_on) {}

  // The restore action and the menu, each if its trigger is `trigger`.
  void Triggers(TTrayIconMessage trigger) {
    if (restore_on_ == trigger) steps_.push_back({TrayStep::Restore});
    if (popup_on_ == trigger) steps_.push_back({TrayStep::ShowMenu});
  }
  void Event(TrayStep::Kind kind, TrayButton button = TrayButton::Left) { steps_.push_back({kind, button}); }

  void Click() {
    Triggers(imClick);
    Event(TrayStep::OnClick);
  }
  void DblClick() {
    Triggers(imDoubleClick);
    Event(TrayStep::OnDblClick);
  }
  void MouseDown(TrayButton b) {
    Triggers(imMouseDown);
    Event(TrayStep::OnMouseDown, b);
  }
  void MouseUp(TrayButton b) {
    Triggers(imMouseUp);
    Event(TrayStep::OnMouseUp, b);
  }

  std::vector<TrayStep> Take() { return std::move(steps_); }

 private:
  TTrayIconMessage restore_on_, popup_on_;
  std::vector<TrayStep> steps_;
};

}  // namespace

std::vector<TrayStep> TrayStepsFor(uint32_t mouse_message, TTrayIconMessage restore_on,
                                   TTrayIconMessage popup_menu_on) {
  using namespace tray_mouse;
  Steps s(restore_on, popup_menu_on);
  switch (mouse_message) {
    case kMove:
      s.Event(TrayStep::OnMouseMove);
      break;
    case kLeftDown:
      s.MouseDown(TrayButton::Left);
      break;
    case kLeftUp:
      s.Click();
      s.MouseUp(TrayButton::Left);
      s.Triggers(imLeftClickUp);
      break;
    case kLeftDouble:
      s.DblClick();
      s.Triggers(imLeftDoubleClick);
      break;
    case kRightDown:
      s.MouseDown(TrayButton::Right);
      break;
    case kRightUp:
      s.MouseUp(TrayButton::Right);
      s.Triggers(imRightClickUp);
      break;
    case kRightDouble:
      s.DblClick();
      s.Triggers(imRightDoubleClick);
      break;
    case kMiddleDown:
      s.MouseDown(TrayButton::Middle);
      break;
    case kMiddleUp:
      s.MouseUp(TrayButton::Middle);
      break;
    case kMiddleDouble:
      s.DblClick();
      break;
    default:
      break;
  }
  return s.Take();
}

int NextAnimationIndex(int current, int count) {
  return current < count - 1 ? current + 1 : 0;
}
