// Keystrokes into the foreground window through SendInput, what Windows says about the
// process behind a window, and letting a target catch up with its input.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/keyboard.h"
#include "platform/keyboard_layouts.h"
#include "platform/pause.h"
#include "platform/typing_pace.h"
#include "platform/window_processes.h"

namespace qm {

std::unique_ptr<Keyboard> MakeWin32Keyboard();

// The Enter key that chose or confirmed a snippet is let go before typing starts (at most a
// second): under Wine a send while it is held may lose the snippet's line breaks. False when
// the program is to end meanwhile.
bool WaitForEnterRelease(Pause& pause);
// `can_leave_dead_key_state`: ToUnicodeEx can read a key without touching the dead-key
// state (Windows 10 1607 and later, and Wine), so a dead key is known for each shift state,
// and a key is offered for a character only where it types that character.
std::unique_ptr<KeyboardLayouts> MakeWin32KeyboardLayouts(bool can_leave_dead_key_state = false);
std::unique_ptr<WindowProcesses> MakeWin32WindowProcesses();
// Its waits run the pending messages through `dispatch` (see RunPendingMessages).
std::unique_ptr<TypingPace> MakeWin32TypingPace(void (*dispatch)(MSG& msg) = nullptr);

// Our own low-level keyboard hook, while it is installed, reads Esc for the typing's watch, which
// then installs no hook of its own: one that came and went in front of ours would take keys
// typed at that moment past it. That hook asks RelayEscape first, for every key, injected or
// not; true: the key is kept from its window.
void SetEscapeRelay(bool on);
bool RelayEscape(DWORD vk, bool up);

// Whether Windows delivers our keystrokes to the window's process: not when it runs at a
// higher integrity level than ours (elevated, or a system process), nor, as a sign of the
// same, when we may not even ask about it; unknown when its level cannot be read.
KeyDelivery DeliveryToProcessOf(HWND window);

}  // namespace qm
