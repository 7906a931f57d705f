// What the Options dialog draws itself: the edge bars, the colour sample, the red circle and
// the picture of a screen.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qm {

// Draws the owner-drawn control of `item` in the strip's `colour` (a data-file colour value),
// with the edge bar `edge` as the chosen one, at `dpi`.
void DrawOptionsItem(const DRAWITEMSTRUCT& item, std::int32_t colour, int edge, int dpi);

}  // namespace qm
