#include "toolkit/win/message_loop.h"

#include <utility>

namespace {
DialogKeyHook& Hook() {
  static DialogKeyHook hook;
  return hook;
}

void Dispatch(const MSG& msg) {
  if (Hook() && Hook()(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}
}  // namespace

DialogKeyHook SetDialogKeyHook(DialogKeyHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

MessageStep DispatchNextMessage(bool wait) {
  MSG msg;
  if (wait) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return MessageStep::Quit;
    if (got == -1) return MessageStep::Dispatched;  // only with bad arguments; nothing to dispatch
  } else {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return MessageStep::None;
    if (msg.message == WM_QUIT) return MessageStep::Quit;
  }
  Dispatch(msg);
  return MessageStep::Dispatched;
}
