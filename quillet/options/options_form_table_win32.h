// The Options dialog's controls as tables in twips: the dialog's own, and those of the two
// panels that keep the activation's option buttons apart as groups of their own.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/window_layout_win32.h"

namespace qm {

inline constexpr int kOptionsClientWidth = 12600, kOptionsClientHeight = 7020;  // twips

// A panel's place in the dialog's client area, in twips: left, top, width, height.
RECT PanelTwips(int panel);
// The picture of a screen: its size in twips, in which Draw gives its parts.
inline constexpr SIZE kScreenPictureTwips{2820, 2610};
// The red circle's size in twips.
inline constexpr SIZE kRedCircleTwips{555, 779};

// The dialog's own children, in tab order; the panels' rows have no class, since each panel
// is a window frame of its own (OptionsPanel) made after them.
std::vector<ControlRow> OptionsDialogTable();
// The option buttons on the panel `panel` (kActivationPanel or kTriggerPanel), relative to it.
std::vector<ControlRow> OptionsPanelTable(int panel);

}  // namespace qm
