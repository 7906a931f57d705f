// The notification-area icon's mouse events, as the icon's window message carries them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

// The message the icon sends to its window (WM_USER); lParam holds the mouse message,
// wParam the icon's identifier.
inline constexpr unsigned kTrayMessage = 1024;

struct TrayCallbacks {
  std::function<void(unsigned id)> left_down;
  std::function<void(unsigned id)> right_down;
  std::function<void(unsigned id)> double_click;
};

// Handles the icon's message and returns true; any other message is left to the window.
bool DispatchTrayMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam,
                         const TrayCallbacks& callbacks);

// A tooltip shows at most 63 characters.
std::string TrayTip(std::string_view text);

}  // namespace qm
