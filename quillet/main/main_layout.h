// Quillet's main window as planned, in twips, and how its parts follow the window's size: the
// list and the editor grow with it, the buttons below them and at its right move with it.
#pragma once

#include "ui/layout_anchors.h"
#include "ui/rect.h"

namespace qm {

inline constexpr double kMainClientWidth = 9255, kMainClientHeight = 5535;

// A part of the window: its place as planned in its container's client area, and its anchors.
// The controls inside a part move as it moves.
struct LayoutPart {
  Rect planned;
  unsigned anchors;
};

// The three group boxes, in the window: the entries, the editing, the commands.
inline constexpr LayoutPart kEntriesPart{{60, 120, 2715, 5355}, kGrowsTall};
inline constexpr LayoutPart kEditingPart{{2880, 120, 5175, 5355}, kGrowsWide | kGrowsTall};
inline constexpr LayoutPart kCommandsPart{{8160, 120, 1035, 5355}, kFollowsRight | kGrowsTall};
// In the entries' group: the list, and the row of buttons below it.
inline constexpr LayoutPart kEntryListPart{{120, 300, 2475, 3900}, kGrowsTall};
inline constexpr LayoutPart kEntryButtonsPart{{120, 4320, 2535, 975}, kFollowsBottom};
// In the editing group: the editor, below it the two lines that name the snippet's field
// problems, and below those the rows of the abbreviation, the target and the delivery.
inline constexpr LayoutPart kEditorPart{{120, 300, 4935, 2025}, kGrowsWide | kGrowsTall};
inline constexpr LayoutPart kFieldProblemsPart{{120, 2385, 4935, 480}, kGrowsWide | kFollowsBottom};
inline constexpr LayoutPart kSendRowsPart{{120, 3960, 4935, 1335}, kFollowsBottom};

}  // namespace qm
