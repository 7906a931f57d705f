// The Win32 services behind the platform seam that the programs with windows need.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/program_restart.h"
#include "platform/shell.h"
#include "platform/sound.h"

namespace qm {

std::unique_ptr<Clipboard> MakeWin32Clipboard(HWND owner);
std::unique_ptr<Sound> MakeWin32Sound();
std::unique_ptr<Shell> MakeWin32Shell();
std::unique_ptr<Desktop> MakeWin32Desktop();
// The system's prompt for consent is owned by `owner`; `arguments` makes the new instance's
// command line from the data file.
std::unique_ptr<ProgramRestart> MakeWin32ProgramRestart(
    HWND owner, std::function<std::string(const std::string& data_file)> arguments);
// The dialogs are made by MakeWin32Dialogs in ui/dialogs_win32.h: the programs' own input
// box builds on the window helpers of ui/, above this layer.

}  // namespace qm
