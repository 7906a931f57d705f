// The notification-area icon of one window of the program: hook, add, remove, unhook.
#pragma once

#include <windows.h>

#include <string>

#include "ui/tray_dispatch.h"

namespace qm {

// Order: HookTrayWindow, AddTrayIcon ... RemoveTrayIcon, UnhookTrayWindow (before the window
// is destroyed). Icon messages go to the callbacks; every other message reaches the window's
// previous procedure, whose result is returned unchanged.
void HookTrayWindow(HWND window, TrayCallbacks callbacks);
void UnhookTrayWindow();
bool AddTrayIcon(unsigned id, HICON icon, const std::string& tip);
void RemoveTrayIcon(unsigned id);
// Changes the tooltip of an icon that is there.
bool SetTrayTip(unsigned id, const std::string& tip);

}  // namespace qm
