// The developer's window monitor: the top-level windows from the main window upwards with
// their handles, and the title of the window in front.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop.h"

namespace qm {

// A window's title as the program reads titles elsewhere (cut to the same length), so that
// what the monitor shows is what the target search compares.
using WindowTitleReader = std::function<std::string(WindowHandle)>;

// The monitor's list: a line with the date and time (short date, a blank, long time), then
// one line per window from `main_window` up the Z-order to the top, such as
// "001 00001A2B V 'Test'": the number of lines above it (at least three digits), the handle
// in eight hex digits, "V" for a visible window or "X" for a hidden one, and the title in
// apostrophes. With `visible_only` hidden windows are left out. A window that closes during
// the walk ends it there.
std::vector<std::string> MonitorLines(Desktop& desktop, Clock& clock,
                                      const WindowTitleReader& title, WindowHandle main_window,
                                      bool visible_only);

// The title of the first window from the foreground down the Z-order that is visible, has a
// title, and is not one of the program's own: its title does not contain
// `own_caption_prefix` (letter case ignored) and it is not `monitor`, the monitor itself,
// whose caption copies other windows' titles. nullopt when no window qualifies.
std::optional<std::string> TitleInFront(Desktop& desktop, const WindowTitleReader& title,
                                        const std::string& own_caption_prefix,
                                        WindowHandle monitor);

}  // namespace qm
