#pragma once
// The application object: its hidden top-level window (the one with the
// taskbar button), the one message loop (Run's and every modal loop's), the
// error display (which it installs as the toolkit's callback exception
// handler), the application's message box and the main-window hooks.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/component.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/hint_controller.h"
#include "toolkit/win/handle.h"
#include "toolkit/win/window_class.h"

class TForm;

class TApplication : public TComponent, private MessageTarget {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  const std::wstring& Title() const noexcept { return title_; }
  void SetTitle(const std::wstring& title);
  HWND Handle() const noexcept { return handle_; }
  HICON Icon() const noexcept { return icon_; }
  // The full path of the running program file, as the system reports the
  // module's file name (at most MAX_PATH characters).
  std::wstring ExeName() const;
  TForm* MainForm() const noexcept { return main_form_; }

  // Creates a form owned by the application; the first one becomes the main form.
  template <class F>
  void CreateForm(F*& reference) {
    F* form = new F(this);
    reference = form;
    if (!main_form_) main_form_ = form;
  }

  void Run();
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }
  // Dispatches messages until `done` answers true or the application ends.
  // The loop of the program: Run and every modal loop use it.
  void RunLoop(const std::function<bool()>& done);
  // Dispatches whatever is waiting, then returns.
  void ProcessMessages();

  // The error display: stop icon, the message, the title as caption.
  void ShowException(const Exception& e);
  void HandleException(std::exception_ptr e) noexcept;
  // Owned by the application window; every window of the application is
  // disabled while it is up.
  int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);

  using Hook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
  void HookMainWindow(const void* id, Hook hook);
  void UnhookMainWindow(const void* id);

  void Minimize();
  void Restore();
  // Shows the application window (and its taskbar button) while some form
  // is marked visible, hides it otherwise.
  void UpdateVisible();

  void ForgetForm(TForm* form) noexcept;

  // Hints: the ShowHint switch, their timing, and the class the hint window
  // is made from (replaceable, so a component can put its own in place).
  bool ShowHint() const noexcept { return hints_->Enabled(); }
  void SetShowHint(bool value) { hints_->SetEnabled(value); }
  void SetHintWindowClass(HintController::Factory factory) { hints_->SetFactory(std::move(factory)); }
  HintController& Hints() noexcept { return *hints_; }

 private:
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
  // The loop's one step: takes the next message of this thread (waiting
  // for one when `wait`), gives a key for one of the forms to that form's
  // dialog keys first, and translates and dispatches the rest. Answers
  // false when nothing was waiting; WM_QUIT ends the application's run.
  bool HandleNextMessage(bool wait);
  // A key for one of the forms goes to that form's dialog keys first;
  // answers whether the form used it.
  bool IsDialogKey(const MSG& msg);

  std::wstring title_;
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  HICON icon_ = nullptr;
  std::vector<std::pair<const void*, Hook>> hooks_;
  std::unique_ptr<HintController> hints_;
};

// The one application object; alive from InitializeToolkit to the end of
// the process's entry point.
extern TApplication* Application;

// Creates the application object (and its window) for the life of the scope.
class ToolkitScope {
 public:
  ToolkitScope();
  ~ToolkitScope();
  ToolkitScope(const ToolkitScope&) = delete;
  ToolkitScope& operator=(const ToolkitScope&) = delete;
};

// A modal message window titled with the application title, one OK button.
void ShowMessage(const std::wstring& text);

// A message box's answer, or EOutOfResources "Cannot show a message box"
// when the system could not show it (it answers 0 then).
int CheckedAnswer(int answer);

// The plain system message box owned by `owner`: its answer, checked.
int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// Disables every enabled, visible top-level window of this thread except
// `keep`, and enables them again when it goes.
class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND keep);
  ~TaskWindowsDisabled();
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

 private:
  HWND keep_;
  std::vector<HWND> disabled_;
};
