// A main window's place and size, kept in the per-user settings between runs.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"
#include "store/user_settings.h"
#include "ui/rect.h"

namespace qm {

// A number of twips as stored: single precision, '.' as the decimal separator, the shortest
// text that reads back to the same single-precision number ("1234.5", "600").
std::string FormatTwips(double twips);
// Reads a stored number of twips whatever locale wrote it: blanks around it, a leading sign,
// '.' or ',' as the decimal separator and an exponent are accepted. `fallback` for anything
// that is not a finite single-precision number.
double ParseTwips(std::string_view text, double fallback = -1);

// Stores top, left, width and height (twips) in this order; the first failure is returned, but
// every value is attempted.
Status SaveWindowGeometry(UserSettings& settings, const Rect& twips);

// The rect to show the window in (twips): the stored position when it lies on the screen, with
// the stored width and height where they fit from there and the designed ones otherwise; else
// the designed size centred on the screen.
Rect RestoreWindowGeometry(UserSettings& settings, const Rect& designed, double screen_width,
                           double screen_height);

// `window` moved to the middle of the screen: half the rounded free room, the fraction dropped.
Rect CenterForm(const Rect& window, double screen_width, double screen_height);

}  // namespace qm
