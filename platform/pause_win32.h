// The Win32 pause: the program's message queue runs while it waits.
#pragma once

#include <memory>

#include "platform/pause.h"

namespace qm {

std::unique_ptr<Pause> MakeWin32Pause();

// Runs the messages waiting in this thread's queue. False when a request to end came; it is
// put back for the main loop to see.
bool RunPendingMessages();

}  // namespace qm
