// Where the screen-edge strip that opens the snippet menu stands, and in which colour.
#pragma once

#include <cstdint>
#include <functional>

#include "quillet/menu/popup_settings.h"

namespace qm {

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;

  friend bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
};

struct EdgeStripPlacement {
  bool visible = false;
  bool topmost = false;  // a hidden strip leaves the always-on-top layer as well
  PixelRect rect;        // only meaningful when visible
};

// One pixel thick along the whole edge of `settings.pos` (0 top, 1 bottom, 2 left, 3 right;
// anything else reads as the top, as the loaded setting does) of a screen of the given size,
// always on top; hidden when `settings.via_border` is 0.
EdgeStripPlacement PlaceEdgeStrip(const PopupSettings& settings, int screen_width_px,
                                  int screen_height_px);

// A colour value as the data file holds it: red + 256 * green + 65536 * blue, or 0x80000000
// plus the index of a system colour (a negative number in 32 bits: system colour 15, the
// button face, is -2147483633).
inline constexpr std::int32_t SystemColourValue(int index) {
  return static_cast<std::int32_t>(0x80000000u | static_cast<std::uint32_t>(index));
}

// The plain colour, red + 256 * green + 65536 * blue, that a colour value stands for;
// `system_colour` gives a system colour's plain colour by its index. The top byte of any
// other value is dropped: it would name a palette, and the strip has none.
std::uint32_t PlainColour(std::int32_t colour,
                          const std::function<std::uint32_t(int index)>& system_colour);

}  // namespace qm
