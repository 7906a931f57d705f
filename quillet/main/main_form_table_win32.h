// The main window's controls and menu bar as tables.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/window_layout_win32.h"

namespace qm {

// The controls in twips as planned (main_layout.h), with their anchors; creation order is the
// tab order. The editor's row only places the glyph editor's control.
const std::vector<ControlRow>& MainFormTable();
// The menu bar; its items have their QuilletCommand as their id.
HMENU CreateMainMenuBar();

}  // namespace qm
