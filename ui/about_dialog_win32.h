// The two About dialogs as windows; they open without blocking the program.
#pragma once

#include <windows.h>

#include "platform/shell.h"
#include "platform/system_info.h"
#include "ui/about.h"

namespace qm {

enum class AboutKind { kFreeware, kCommercial };

// Returns the dialog's window; a second call while one is open brings that one to the front.
HWND ShowAboutDialog(HINSTANCE instance, HWND owner, const ProgramInfo& program, AboutKind kind,
                     Shell& shell, SystemInfo& system);

}  // namespace qm
