// The system's open and save dialogs behind the platform seam.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/file_dialogs.h"

namespace qm {

// The dialogs are modal to `owner` (may be null).
std::unique_ptr<FileDialogs> MakeWin32FileDialogs(HWND owner);

}  // namespace qm
