#pragma once
// Hidden utility windows: a zero-size popup tool window, never shown, whose
// messages go to a function. Timers and the tray icon live on them.
#include <windows.h>

#include <functional>
#include <memory>

#include "toolkit/win/window_class.h"

class UtilityWindow : private MessageTarget {
 public:
  // Answers a message; `handled` false passes it to the default procedure.
  using Procedure = std::function<LRESULT(UINT msg, WPARAM wp, LPARAM lp, bool& handled)>;
  explicit UtilityWindow(Procedure proc);
  ~UtilityWindow() override;
  UtilityWindow(const UtilityWindow&) = delete;
  UtilityWindow& operator=(const UtilityWindow&) = delete;
  HWND Handle() const noexcept { return handle_; }

 private:
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  Procedure proc_;
};

std::unique_ptr<UtilityWindow> AllocateHWnd(UtilityWindow::Procedure proc);
void DeallocateHWnd(std::unique_ptr<UtilityWindow>& window) noexcept;
