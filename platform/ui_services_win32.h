// The Win32 services behind the platform seam that the programs with windows need.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/sound.h"

namespace qm {

std::unique_ptr<Clipboard> MakeWin32Clipboard(HWND owner);
std::unique_ptr<Sound> MakeWin32Sound();
std::unique_ptr<Shell> MakeWin32Shell();
// Message boxes are owned by `owner` (may be null).
std::unique_ptr<Dialogs> MakeWin32Dialogs(HWND owner);
std::unique_ptr<Desktop> MakeWin32Desktop();

}  // namespace qm
