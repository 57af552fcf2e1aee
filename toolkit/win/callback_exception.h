#pragma once
// Where the exceptions caught at Win32 callbacks go. Nothing may unwind
// through the system's frames, so every callback of the toolkit (window
// procedures, dialog hooks) catches what its handler throws and hands it
// here; the application installs its error display as the handler. With
// none installed (before the application exists, after it has gone) the
// exception is dropped, as there is nothing to show it with.
#include <exception>
#include <functional>

using CallbackExceptionHandler = std::function<void(std::exception_ptr)>;

// Installs the handler (an empty one removes it); answers the one it replaces.
CallbackExceptionHandler SetCallbackExceptionHandler(CallbackExceptionHandler handler);

// What every Win32 callback does with an exception it catches.
void HandleCallbackException(std::exception_ptr e) noexcept;
