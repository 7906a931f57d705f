// The one way a message of the program's thread reaches its window, in every loop of ours.
#pragma once

#include <windows.h>

namespace qm {

// Hands `msg`, just taken off the thread's queue, to its window. The thread's active window
// gets its keys through the dialog manager first: a dialog, a modeless one too, its Tab,
// Enter and Esc, and a window of controls (WS_EX_CONTROLPARENT) its Tab.
void DispatchThreadMessage(MSG& msg);
// The same for a loop that waits inside a command of ours (a send, an import, an encoding):
// there no window gets dialog keys. The active one may be ours in the middle of the command,
// and a Return repeating from the key that started it must not press its default button.
void DispatchWaitingMessage(MSG& msg);

}  // namespace qm
