#pragma once
// The one message loop routine: the application's run, every modal loop and
// the processing of waiting messages take their messages through here. A key
// goes first to the dialog-key hook (the forms install one, for the keys a
// form handles itself), then is translated and dispatched to the window it
// was meant for.
#include <windows.h>

#include <functional>

// Answers true when the message was a dialog key and is used up.
using DialogKeyHook = std::function<bool(const MSG& msg)>;

// Installs the hook (an empty one removes it); answers the one it replaces.
DialogKeyHook SetDialogKeyHook(DialogKeyHook hook);

enum class MessageStep {
  Dispatched,  // a message was taken and dispatched
  Quit,        // WM_QUIT was taken: the loop is to end
  None,        // no message was waiting (only without waiting)
};

// Takes the next message of this thread, waiting for one when `wait` is
// true, and dispatches it.
MessageStep DispatchNextMessage(bool wait);
