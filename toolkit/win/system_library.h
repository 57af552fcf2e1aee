#pragma once
// Libraries of the system that only some commands need, loaded at the first
// call that needs them: a program that never shows the save dialog or
// answers a screen reader does not load them (and what they load in turn)
// at its start, nor keep their memory while it waits in the tray.
#include <windows.h>

// The library from the system folder by its full path, never from the
// program's own folder; loaded once and kept. Null when it cannot be had.
HMODULE SystemLibrary(const wchar_t* name);

// `function` from `library`, or null with either missing.
template <typename F>
void FindFunction(F& function, HMODULE library, const char* name) {
  function = library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

// The common controls library the program's manifest names (version 6),
// loaded once and kept. Each message box and dialog needs it for its
// buttons; loaded before the tray menu first shows and before the first
// box, never at start, where its memory would stay with a program that
// only waits in the tray. Under Wine 10, a box that itself loaded the
// library after the tray menu had shown sometimes took no clicks.
void LoadControlsLibrary() noexcept;
