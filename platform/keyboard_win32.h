// Keystrokes into the foreground window through SendInput, and what Windows says about the
// process behind a window.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/keyboard.h"

namespace qm {

std::unique_ptr<Keyboard> MakeWin32Keyboard();

// True when the window's process runs at a higher integrity level than ours (elevated, or a
// system process): Windows then drops our keystrokes without an error. A process we may not
// even ask about counts as such.
bool RunsAboveOurIntegrity(HWND window);

}  // namespace qm
