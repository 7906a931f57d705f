// A window's or control's place and size in twips, as floating-point numbers.
#pragma once

namespace qm {

struct Rect {
  double left = 0, top = 0, width = 0, height = 0;

  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
  friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

}  // namespace qm
