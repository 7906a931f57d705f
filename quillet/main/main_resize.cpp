// Quillet's main window when it is resized: the lists, editor and panels follow the window.
#include "quillet/main/main_resize.h"

#include <cassert>

namespace qm {

void LayoutScaler::Remember(const Rect& window, const LayoutRects& controls) {
  window_ = window;
  controls_ = controls;
  remembered_ = true;
}

LayoutResult LayoutScaler::Apply(double outer_width, double outer_height) const {
  assert(remembered_);
  LayoutResult result;
  result.window_width = outer_width;
  result.window_height = outer_height;
  double dw = outer_width - window_.width;
  double dh = outer_height - window_.height;
  // The window never gets smaller than at start-up: the controls would overlap.
  if (dw < 0) {
    dw = 0;
    result.window_width = window_.width;
    result.resize_window = true;
  }
  if (dh < 0) {
    dh = 0;
    result.window_height = window_.height;
    result.resize_window = true;
  }

  // From the remembered rects every time, so that a run of resizes cannot drift.
  LayoutRects& c = result.controls;
  c = controls_;
  c[kListenFrame].height += dh;
  c[kTextFrame].width += dw;
  c[kTextFrame].height += dh;
  c[kSteuerungsFrame].height += dh;
  c[kSteuerungsFrame].left += dw;
  c[kContainer1].top += dh;
  c[kContainer2].top += dh;
  c[kLbEntryList].height += dh;
  c[kQuilletTextTB].width += dw;
  c[kQuilletTextTB].height += dh;
  return result;
}

}  // namespace qm
