// The Win32 dialogs behind the platform seam: the system's message boxes and folder browser,
// and the programs' own input box.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/dialogs.h"

namespace qm {

// Every dialog is owned by `owner` (may be null).
std::unique_ptr<Dialogs> MakeWin32Dialogs(HWND owner);

}  // namespace qm
