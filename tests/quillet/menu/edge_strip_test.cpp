// The strip's place on the screen for each edge, and the colour values it is painted in.
#include "quillet/menu/edge_strip.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(EdgeStrip, OnePixelAlongTheChosenEdgeOrHidden) {
  const struct {
    int via_border, pos;
    PixelRect rect;  // empty: hidden
  } cases[] = {
      {1, 0, {0, 0, 1920, 1}},    {1, 1, {0, 1079, 1920, 1}}, {1, 2, {0, 0, 1, 1080}},
      {1, 3, {1919, 0, 1, 1080}}, {1, 7, {0, 0, 1920, 1}},    {0, 1, {}},
  };
  for (const auto& c : cases) {
    PopupSettings s;
    s.via_border = c.via_border;
    s.pos = c.pos;
    const EdgeStripPlacement p = PlaceEdgeStrip(s, 1920, 1080);
    const bool shown = c.rect.width > 0;
    EXPECT_TRUE(p.visible == shown && p.topmost == shown) << c.pos;
    EXPECT_TRUE(!shown || p.rect == c.rect) << c.pos;
  }
}

TEST(EdgeStrip, ColourValuesDecodeToPlainColours) {
  // Each system colour differs from every other, so that a wrong index shows.
  auto system_colour = [](int index) { return 0xAB000000u | (0x010101u * index); };
  const std::pair<std::int32_t, std::uint32_t> cases[] = {
      {255, 0x0000FF},
      {256 * 255, 0x00FF00},
      {65536 * 255, 0xFF0000},
      {-2147483633, 0x0F0F0F},
      {SystemColourValue(2), 0x020202},
      {0x7FFFFFFF, 0xFFFFFF},
      {-1, 0xFFFFFF},  // no system colour: the top byte goes
  };
  for (const auto& [value, plain] : cases) EXPECT_EQ(PlainColour(value, system_colour), plain);
  EXPECT_EQ(PopupSettings{}.colour, SystemColourValue(15));
}

}  // namespace
}  // namespace qm
