// The notification-area icon's mouse events, as the icon's window message carries them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// The message the icon sends to its window (WM_USER); lParam holds the mouse message,
// wParam the icon's identifier.
inline constexpr unsigned kTrayMessage = 1024;

// What the user did on the icon; the window's frame hands it to OnTrayIcon.
enum class TrayEvent { kNone, kLeftDown, kRightDown, kDoubleClick };

// The event of the icon's message, whose lParam holds the mouse message.
TrayEvent TrayEventOf(std::intptr_t lparam);

// A tooltip shows at most 63 characters.
std::string TrayTip(std::string_view text);

}  // namespace qm
