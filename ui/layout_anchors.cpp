// How the controls of a window's table follow the window.
#include "ui/layout_anchors.h"

namespace qm {

Rect Anchored(const Rect& planned, unsigned anchors, double grown_width, double grown_height) {
  Rect r = planned;
  if (anchors & kFollowsRight) r.left += grown_width;
  if (anchors & kFollowsBottom) r.top += grown_height;
  if (anchors & kGrowsWide) r.width += grown_width;
  if (anchors & kGrowsTall) r.height += grown_height;
  return r;
}

Growth GrowthSinceStart(double start_width, double start_height, double width, double height) {
  // The controls would overlap in a window smaller than at start-up.
  Growth g;
  g.window_width = width;
  g.window_height = height;
  g.width = width - start_width;
  g.height = height - start_height;
  if (g.width < 0) {
    g.width = 0;
    g.window_width = start_width;
    g.set_back = true;
  }
  if (g.height < 0) {
    g.height = 0;
    g.window_height = start_height;
    g.set_back = true;
  }
  return g;
}

}  // namespace qm
