// Mantello's hidden main window: the tray icon's owner, the tray menu, the progress caption.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace qm {

inline constexpr const wchar_t* kMantelloWindowClass = L"MantelloForm1";

// Runs the program: creates the window, the icon and the start hint, then the message loop.
// Returns the process exit code.
int RunMantello(HINSTANCE instance);

}  // namespace qm
