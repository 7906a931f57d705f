// Quillet.exe: the program around the main window, its icon in the notification area and
// its life cycle.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// Runs the program with its command line; returns the process exit code.
int RunQuillet(HINSTANCE instance, const std::wstring& command_line);

}  // namespace qm
