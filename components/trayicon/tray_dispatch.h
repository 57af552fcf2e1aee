#pragma once
// What the tray icon does for each mouse message the shell reports: the
// event steps in order, with the restore action and the popup menu placed
// where their trigger settings put them. Portable, so every combination of
// message and trigger is tested on the host.
#include <cstdint>
#include <vector>

// The mouse event that triggers the restore action or the popup menu.
enum TTrayIconMessage : uint8_t {
  imClick,
  imDoubleClick,
  imMouseDown,
  imMouseUp,
  imLeftClickUp,
  imLeftDoubleClick,
  imRightClickUp,
  imRightDoubleClick,
  imNone,
};

enum class TrayButton : uint8_t { Left, Right, Middle };

struct TrayStep {
  enum Kind : uint8_t { Restore, ShowMenu, OnClick, OnDblClick, OnMouseDown, OnMouseUp, OnMouseMove };
  Kind kind;
  TrayButton button = TrayButton::Left;  // for OnMouseDown / OnMouseUp

  bool operator==(const TrayStep&) const = default;
};

// The shell's mouse message ids (the window messages of the same names).
namespace tray_mouse {
constexpr uint32_t kMove = 0x0200, kLeftDown = 0x0201, kLeftUp = 0x0202, kLeftDouble = 0x0203,
                   kRightDown = 0x0204, kRightUp = 0x0205, kRightDouble = 0x0206, kMiddleDown = 0x0207,
                   kMiddleUp = 0x0208, kMiddleDouble = 0x0209;
}

std::vector<TrayStep> TrayStepsFor(uint32_t mouse_message, TTrayIconMessage restore_on,
                                   TTrayIconMessage popup_menu_on);

// The next icon of the animation: after the current one, wrapping from the
// last icon to the first.
int NextAnimationIndex(int current, int count);
