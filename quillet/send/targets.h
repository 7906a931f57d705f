// Which windows of other applications a snippet may be typed into: the window the user last
// worked in, and the windows whose title contains an entry's target title.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "quillet/send/ignore_list.h"

namespace qm {

// Window titles were read into a buffer of 128 units, and users' ignore lists and target
// titles were written against titles cut there.
inline constexpr std::size_t kMaxTitleChars = 127;

// The window's title cut to kMaxTitleChars characters; empty when it has none.
std::string WindowTitle(Desktop& desktop, WindowHandle window);

// The first usable window from the foreground window down the Z-order: visible, titled,
// not one of the program's own (neither of its process nor with a title that contains
// `own_caption_prefix`, letter case ignored; an empty prefix excludes nothing), not ignored
// and never a target for another reason (the shell's desktop, a cloaked window). 0 when there
// is none. While a dialog of the program is in front, that is the window below it.
// `usable_titles`, when given, receives the titles of all usable windows, front to back, for
// the window-title debugger: the walk always runs to the bottom; `usable_windows`, when given,
// the windows of those titles.
WindowHandle FindLastUsedWindow(Desktop& desktop, const IgnoreList& ignored,
                                const std::string& own_caption_prefix,
                                std::vector<std::string>* usable_titles,
                                std::vector<WindowHandle>* usable_windows = nullptr);

struct TargetCandidate {
  std::string title;  // as the window shows it, cut to kMaxTitleChars
  WindowHandle window = 0;
};

// The visible top-level windows whose title contains `target_title`, letter case ignored,
// front to back. Hidden windows can never receive typing, and many programs keep dozens of
// them, so they are no candidates, and nor are the windows that are never a target (the
// program's own process, the shell, cloaked ones). Ignored titles and other programs' windows
// whose title contains the program's caption are. An empty `target_title` finds nothing.
std::vector<TargetCandidate> FindTitledWindows(Desktop& desktop, std::string_view target_title);

// What a sorted list orders its items by: the items compare as their keys do, byte by byte.
using SortKeyFunction = std::function<std::string(const std::string&)>;

// A portable approximation of a German sorted list: letter case ignored, accented Latin
// letters beside their base letter ("Ärger" before "Editor"), "ß" as "ss". The program
// passes the list box's own sort key instead where it has one.
std::string ApproximateListSortKey(const std::string& text);

// The candidates in the order of a sorted list, as the choice dialog shows them; equal
// titles keep their order on screen, so that each item still leads to its own window.
void SortForChoice(std::vector<TargetCandidate>& candidates,
                   const SortKeyFunction& sort_key = ApproximateListSortKey);

}  // namespace qm
