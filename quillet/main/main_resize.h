// Quillet's main window when it is resized: the lists, editor and panels follow the window.
#pragma once

#include <array>
#include <cstddef>

#include "ui/rect.h"

namespace qm {

// The objects that move or grow with the main window, in this order in every array.
enum LayoutObject : std::size_t {
  kListenFrame,
  kTextFrame,
  kSteuerungsFrame,
  kContainer1,     // in ListenFrame
  kContainer2,     // in TextFrame
  kLbEntryList,    // in ListenFrame
  kQuilletTextTB,  // in TextFrame
  kLayoutObjectCount
};

using LayoutRects = std::array<Rect, kLayoutObjectCount>;

// The main window as designed, in twips: each object in its container's client area.
inline constexpr LayoutRects kDesignedMainLayout = {{
    {60, 120, 2715, 5355},    // ListenFrame
    {2880, 120, 5175, 5355},  // TextFrame
    {8160, 120, 1035, 5355},  // SteuerungsFrame
    {120, 4320, 2535, 975},   // Container1
    {120, 3960, 4935, 1335},  // Container2
    {120, 300, 2475, 3900},   // lbEntryList
    {120, 300, 4935, 2550},   // QuilletTextTB, above the abbreviation's rows
}};
inline constexpr double kDesignedMainClientWidth = 9255, kDesignedMainClientHeight = 5535;

struct LayoutResult {
  LayoutRects controls;
  // True when the window came out smaller than at start-up in some dimension; it must then be
  // set to window_width x window_height (the dimension that was large enough keeps its value).
  bool resize_window = false;
  double window_width = 0, window_height = 0;
};

class LayoutScaler {
 public:
  // Takes the geometry at start-up; `window` is the outer rect of the main window.
  void Remember(const Rect& window, const LayoutRects& controls);
  bool remembered() const { return remembered_; }
  const Rect& window() const { return window_; }

  // The layout for the window's new outer size. The view does not call this for a
  // minimisation: the iconic window's tiny size would otherwise be snapped back.
  LayoutResult Apply(double outer_width, double outer_height) const;

 private:
  bool remembered_ = false;
  Rect window_;
  LayoutRects controls_{};
};

}  // namespace qm
