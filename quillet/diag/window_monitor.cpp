// The window monitor's lines and the title of the window in front.
#include "quillet/diag/window_monitor.h"

#include <cstdio>
#include <unordered_set>

#include "store/stored_text.h"
#include "text/utf.h"

namespace qm {

std::vector<std::string> MonitorLines(Desktop& desktop, Clock& clock,
                                      const WindowTitleReader& title, WindowHandle main_window,
                                      bool visible_only) {
  const LocalTime now = clock.Now();
  std::vector<std::string> lines{clock.ShortDate(now) + " " + clock.TimeOfDay(now)};
  // The Z-order changes while it is walked; a window met twice ends the walk instead of
  // going round for ever.
  std::unordered_set<WindowHandle> seen;
  for (WindowHandle w = main_window; w != 0 && seen.insert(w).second; w = desktop.Above(w)) {
    const bool visible = desktop.IsVisible(w);
    if (visible_only && !visible) continue;
    char number[24];
    std::snprintf(number, sizeof number, "%03zu", lines.size());
    lines.push_back(std::string(number) + " " + ZeroPadHex(static_cast<std::int64_t>(w), 8) + " " +
                    (visible ? "V" : "X") + " '" + title(w) + "'");
  }
  return lines;
}

std::optional<std::string> TitleInFront(Desktop& desktop, const WindowTitleReader& title,
                                        const std::string& own_caption_prefix,
                                        WindowHandle monitor) {
  const std::string own = FoldCase(own_caption_prefix);
  std::unordered_set<WindowHandle> seen;
  for (WindowHandle w = desktop.Foreground(); w != 0 && seen.insert(w).second;
       w = desktop.Below(w)) {
    if (w == monitor || !desktop.IsVisible(w)) continue;
    std::string text = title(w);
    if (text.empty()) continue;
    if (!own.empty() && FoldCase(text).find(own) != std::string::npos) continue;
    return text;
  }
  return std::nullopt;
}

}  // namespace qm
