#include "toolkit/win/callback_exception.h"

#include <utility>

namespace {
CallbackExceptionHandler& Handler() {
  static CallbackExceptionHandler handler;
  return handler;
}
}  // namespace

CallbackExceptionHandler SetCallbackExceptionHandler(CallbackExceptionHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

void HandleCallbackException(std::exception_ptr e) noexcept {
  try {
    if (Handler()) Handler()(e);
  } catch (...) {
    // The handler itself failed: a Win32 frame is above us, so the
    // exception stops here.
  }
}
