// The Win32 pause: the program's message queue runs while it waits.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/pause.h"

namespace qm {

// How a message taken off the queue reaches its window: the program's own way for a wait
// inside one of its commands (DispatchWaitingMessage), or, where none is given,
// TranslateMessage and DispatchMessage.
using MessageDispatch = void (*)(MSG& msg);

// Its waits run the pending messages through `dispatch`.
std::unique_ptr<Pause> MakeWin32Pause(MessageDispatch dispatch = nullptr);

// Runs the messages waiting in this thread's queue through `dispatch`. False when a request
// to end came; it is put back for the main loop to see.
bool RunPendingMessages(MessageDispatch dispatch = nullptr);

}  // namespace qm
