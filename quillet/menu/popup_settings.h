// How the snippet menu opens and looks: the settings of the data file's section "Common".
#pragma once

#include <cstdint>

namespace qm {

// Kept apart from the life cycle that loads and saves them, so that the menu and the strip
// need nothing of it.
struct PopupSettings {
  int via_border = 0;                 // PumActViaBorder: the screen-edge strip opens the menu too
  int pos = 0;                        // PumActPos: 0 top, 1 bottom, 2 left, 3 right
  int by_click = 0;                   // PumActBorderByClick: 0 hover, 1 click
  std::int32_t colour = -2147483633;  // PumActBorderCol: system colour 15, button face
  int mode = 0;                       // PumMode: the check box state, cascading menu
};

}  // namespace qm
