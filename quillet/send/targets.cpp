// The window the user last worked in, and the windows found by their title.
#include "quillet/send/targets.h"

#include <algorithm>
#include <unordered_set>

#include "text/utf.h"

namespace qm {

std::string WindowTitle(Desktop& desktop, WindowHandle window) {
  std::string title = desktop.Title(window);
  std::size_t pos = 0;
  for (std::size_t n = 0; n < kMaxTitleChars && pos < title.size(); ++n) {
    NextCodePoint(title, pos);
  }
  title.resize(pos);
  return title;
}

WindowHandle FindLastUsedWindow(Desktop& desktop, const IgnoreList& ignored,
                                const std::string& own_caption_prefix,
                                std::vector<std::string>* usable_titles,
                                std::vector<WindowHandle>* usable_windows) {
  if (usable_titles) usable_titles->clear();
  if (usable_windows) usable_windows->clear();
  const std::string own = FoldCase(own_caption_prefix);
  WindowHandle result = 0;
  // The Z-order changes while it is walked; a window met twice ends the walk instead of
  // going round for ever.
  std::unordered_set<WindowHandle> seen;
  for (WindowHandle w = desktop.Foreground(); w != 0 && seen.insert(w).second;
       w = desktop.Below(w)) {
    if (!desktop.IsVisible(w)) continue;
    const std::string title = WindowTitle(desktop, w);
    if (title.empty()) continue;
    if (!own.empty() && FoldCase(title).find(own) != std::string::npos) continue;
    if (ignored.Ignores(title)) continue;
    if (desktop.WhyNeverTarget(w) != NeverTarget::kNo) continue;
    if (result == 0) result = w;
    if (usable_titles) usable_titles->push_back(title);
    if (usable_windows) usable_windows->push_back(w);
  }
  return result;
}

std::vector<TargetCandidate> FindTitledWindows(Desktop& desktop, std::string_view target_title) {
  std::vector<TargetCandidate> found;
  if (target_title.empty()) return found;
  const std::string wanted = FoldCase(target_title);
  for (const WindowHandle w : desktop.TopLevelWindows()) {
    if (!desktop.IsVisible(w)) continue;
    std::string title = WindowTitle(desktop, w);
    if (!title.empty() && FoldCase(title).find(wanted) != std::string::npos &&
        desktop.WhyNeverTarget(w) == NeverTarget::kNo) {
      found.push_back({std::move(title), w});
    }
  }
  return found;
}

std::string ApproximateListSortKey(const std::string& text) {
  // Latin-1 letters from U+00E0 on, by their base letter; null keeps the character itself.
  static constexpr const char* kBase[32] = {
      "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",
      "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y"};
  const std::string folded = FoldCase(text);
  std::string primary;
  primary.reserve(folded.size());
  for (std::size_t pos = 0; pos < folded.size();) {
    const std::size_t start = pos;
    const char32_t cp = NextCodePoint(folded, pos);
    if (cp == 0xDF) {
      primary += "ss";
    } else if (cp >= 0xE0 && cp <= 0xFF && kBase[cp - 0xE0]) {
      primary += kBase[cp - 0xE0];
    } else {
      primary.append(folded, start, pos - start);
    }
  }
  // The accents decide only between otherwise equal titles, as in the list box.
  return primary + '\x01' + folded;
}

void SortForChoice(std::vector<TargetCandidate>& candidates, const SortKeyFunction& sort_key) {
  std::vector<std::pair<std::string, TargetCandidate>> keyed;
  keyed.reserve(candidates.size());
  for (auto& c : candidates) keyed.emplace_back(sort_key(c.title), std::move(c));
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i) candidates[i] = std::move(keyed[i].second);
}

}  // namespace qm
