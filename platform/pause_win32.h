// The Win32 pause: the program's message queue runs while it waits.
#pragma once

#include <memory>

#include "platform/pause.h"

namespace qm {

std::unique_ptr<Pause> MakeWin32Pause();

}  // namespace qm
