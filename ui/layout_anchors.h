// How the controls of a window's table follow the window where it is larger than planned, and
// how far a window that may not get smaller than at start-up has grown.
#pragma once

#include "ui/rect.h"

namespace qm {

// A control's anchors; without any it keeps its place and size.
enum Anchor : unsigned {
  kGrowsWide = 1u << 0,      // its width grows with the window's
  kGrowsTall = 1u << 1,      // its height grows with the window's
  kFollowsRight = 1u << 2,   // it moves right with the window's right edge
  kFollowsBottom = 1u << 3,  // it moves down with the window's bottom edge
};

// `planned` in a window `grown_width` wider and `grown_height` taller than planned.
Rect Anchored(const Rect& planned, unsigned anchors, double grown_width, double grown_height);

// A window that may not get smaller than at start-up, at its size now.
struct Growth {
  // How far it has grown since start-up in each dimension: nothing where it came out smaller.
  double width = 0, height = 0;
  // It came out smaller in some dimension: it is to be set to window_width x window_height,
  // which keep the size it has in a dimension that was large enough.
  bool set_back = false;
  double window_width = 0, window_height = 0;
};
Growth GrowthSinceStart(double start_width, double start_height, double width, double height);

}  // namespace qm
