// Where the screen-edge strip that opens the snippet menu stands, and in which colour.
#include "quillet/menu/edge_strip.h"

namespace qm {

EdgeStripPlacement PlaceEdgeStrip(const PopupSettings& settings, int screen_width_px,
                                  int screen_height_px) {
  EdgeStripPlacement p;
  if (settings.via_border == 0) return p;
  p.visible = true;
  p.topmost = true;
  constexpr int kThickness = 1;
  switch (settings.pos) {
    case 1:
      p.rect = {0, screen_height_px - kThickness, screen_width_px, kThickness};
      break;
    case 2:
      p.rect = {0, 0, kThickness, screen_height_px};
      break;
    case 3:
      p.rect = {screen_width_px - kThickness, 0, kThickness, screen_height_px};
      break;
    default:
      p.rect = {0, 0, screen_width_px, kThickness};
      break;
  }
  return p;
}

std::uint32_t PlainColour(std::int32_t colour,
                          const std::function<std::uint32_t(int index)>& system_colour) {
  const auto bits = static_cast<std::uint32_t>(colour);
  if ((bits & 0xFF000000u) == 0x80000000u) {
    return system_colour(static_cast<int>(bits & 0x00FFFFFFu)) & 0x00FFFFFFu;
  }
  return bits & 0x00FFFFFFu;
}

}  // namespace qm
