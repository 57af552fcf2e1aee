#include "toolkit/forms/application.h"

#include <algorithm>
#include <new>

#include "toolkit/forms/form.h"
#include "toolkit/forms/screen.h"
#include "toolkit/win/callback_exception.h"
#include "toolkit/win/system_library.h"
#include "toolkit/win/window_list.h"

TApplication* Application = nullptr;

namespace {
constexpr wchar_t kApplicationClass[] = L"TApplication";

std::wstring WithFullStop(const std::wstring& message) {
  // A message whose last character sorts after the full stop gets one.
  if (!message.empty() && message.back() > L'.') return message + L".";
  return message;
}
}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!icon_) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
  EnsureWindowClass({kApplicationClass, 0, icon_, nullptr});
  // Zero-sized in the middle of the screen: shown, it is only a taskbar
  // button; the message boxes it owns centre themselves on it.
  WindowCreateParams params{kApplicationClass};
  params.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  params.x = GetSystemMetrics(SM_CXSCREEN) / 2;
  params.y = GetSystemMetrics(SM_CYSCREEN) / 2;
  CreateTargetWindow(params);
  hints_ = std::make_unique<HintController>();
  SetCallbackExceptionHandler([this](std::exception_ptr e) { HandleException(e); });
}

TApplication::~TApplication() {
  DestroyComponents();
  hints_.reset();
  if (HWND wnd = DetachWindow()) DestroyWindow(wnd);
  // Last: the windows destroyed above may still fail in their handlers.
  SetCallbackExceptionHandler(nullptr);
}

void TApplication::Initialize() {}

void TApplication::SetTitle(const std::wstring& title) {
  title_ = title;
  if (handle_) SetWindowTextW(handle_, title_.c_str());
}

std::wstring TApplication::ExeName() const {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, n);
}

void TApplication::Run() {
  RunLoop([] { return false; });
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

bool TApplication::IsDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !msg.hwnd) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  for (TForm* form : Screen().Forms()) {
    if (!form->HandleAllocated() || form->Handle() != root) continue;
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    // A key's handler fails as a click's does: the error box, and the
    // form stays as it is (nothing may unwind out of the loop it runs in).
    try {
      return form->DialogKey(msg.wParam, shift);
    } catch (...) {
      HandleException(std::current_exception());
      return true;
    }
  }
  return false;
}

bool TApplication::HandleNextMessage(bool wait) {
  MSG msg;
  if (wait) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return true;  // only with bad arguments; nothing to dispatch
    if (got == 0) {
      terminated_ = true;
      return true;
    }
  } else {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return true;
    }
  }
  if (!IsDialogKey(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void TApplication::RunLoop(const std::function<bool()>& done) {
  while (!terminated_ && !done()) HandleNextMessage(true);
}

void TApplication::ProcessMessages() {
  while (!terminated_ && HandleNextMessage(false)) {
  }
}

void TApplication::ShowException(const Exception& e) {
  try {
    MessageBox(WithFullStop(e.Message()), title_, MB_OK | MB_ICONSTOP);
  } catch (const Exception&) {
    // The error box itself could not be shown: nothing is left to tell the
    // user with.
  }
}

void TApplication::HandleException(std::exception_ptr e) noexcept {
  try {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      ShowException(ex);
    } catch (const std::bad_alloc&) {
      // A command that ran out of memory says so, rather than an empty box.
      ShowException(EOutOfMemory(L"Out of memory"));
    } catch (...) {
      ShowException(Exception(L""));
    }
  } catch (...) {
    // The error display itself failed (no memory for the box): nothing is
    // left to tell the user with.
  }
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  TaskWindowsDisabled disabled(nullptr);
  return SystemMessageBox(handle_, text.c_str(), caption.c_str(), flags | MB_SETFOREGROUND);
}

int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
  LoadControlsLibrary();
  return CheckedAnswer(::MessageBoxW(owner, text, caption, flags));
}

void TApplication::HookMainWindow(const void* id, Hook hook) {
  hooks_.emplace_back(id, std::move(hook));
}

void TApplication::UnhookMainWindow(const void* id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }),
               hooks_.end());
}

void TApplication::Minimize() {
  if (handle_ && !IsIconic(handle_)) ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
  if (handle_ && IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
}

void TApplication::UpdateVisible() {
  if (!handle_) return;
  bool any = false;
  for (TForm* f : Screen().Forms()) any = any || f->Visible();
  ShowWindow(handle_, any ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TApplication::ForgetForm(TForm* form) noexcept {
  if (main_form_ == form) main_form_ = nullptr;
}

LRESULT TApplication::HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Copy: a hook may unhook itself.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    LRESULT result = 0;
    if (hook(msg, wp, lp, result)) return result;
  }
  switch (msg) {
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return 0;
        case SC_RESTORE: Restore(); return 0;
      }
      break;
    case WM_CLOSE:
      if (main_form_) main_form_->Close();
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

ToolkitScope::ToolkitScope() {
  Application = new TApplication();
}

ToolkitScope::~ToolkitScope() {
  delete Application;
  Application = nullptr;
}

int CheckedAnswer(int answer) {
  // A box that could not be shown answers 0: taken for "no", the user's
  // command would end without a word.
  if (answer == 0) throw EOutOfResources(L"Cannot show a message box");
  return answer;
}

void ShowMessage(const std::wstring& text) {
  Application->UpdateVisible();
  Application->MessageBox(text, Application->Title(), MB_OK);
}

TaskWindowsDisabled::TaskWindowsDisabled(HWND keep) : keep_(keep) {
  for (HWND wnd : ThreadWindows()) {
    if (wnd != keep_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
      disabled_.reserve(disabled_.size() + 1);
      EnableWindow(wnd, FALSE);
      disabled_.push_back(wnd);
    }
  }
}

TaskWindowsDisabled::~TaskWindowsDisabled() {
  for (HWND w : disabled_) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
}
