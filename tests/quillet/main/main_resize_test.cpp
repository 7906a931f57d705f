// The main window's layout follows resizes from the start-up geometry and never shrinks it.
#include "quillet/main/main_resize.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// The outer rect of the main window at start-up: the designed client area plus a frame.
constexpr Rect kStartWindow{1200, 900, 9375, 5940};

LayoutScaler StartedScaler() {
  LayoutScaler scaler;
  scaler.Remember(kStartWindow, kDesignedMainLayout);
  return scaler;
}

TEST(LayoutScaler, EnlargingMovesTheButtonsAndGrowsEditorAndList) {
  const LayoutResult r = StartedScaler().Apply(kStartWindow.width + 600, kStartWindow.height + 300);
  EXPECT_FALSE(r.resize_window);
  const struct {
    LayoutObject object;
    Rect expected;
  } cases[] = {
      {kListenFrame, {60, 120, 2715, 5655}},       {kTextFrame, {2880, 120, 5775, 5655}},
      {kSteuerungsFrame, {8760, 120, 1035, 5655}}, {kContainer1, {120, 4620, 2535, 975}},
      {kContainer2, {120, 4260, 4935, 1335}},      {kLbEntryList, {120, 300, 2475, 4200}},
      {kQuilletTextTB, {120, 300, 5535, 2850}},
  };
  for (const auto& c : cases) {
    const Rect& got = r.controls[c.object];
    EXPECT_EQ(got, c.expected) << "object " << c.object << ": " << got.left << ", " << got.top
                               << ", " << got.width << ", " << got.height;
  }
}

TEST(LayoutScaler, TooSmallSnapsBackInThatDimensionOnly) {
  const LayoutRects& d = kDesignedMainLayout;
  const struct {
    double dw, dh;
    bool resize;
    double width_delta_kept, height_delta_kept;
  } cases[] = {
      {-500, 200, true, 0, 200},
      {300, -1, true, 300, 0},
      {-2000, -3000, true, 0, 0},
      {0, 0, false, 0, 0},
  };
  for (const auto& c : cases) {
    const double w = kStartWindow.width + c.dw, h = kStartWindow.height + c.dh;
    const LayoutResult r = StartedScaler().Apply(w, h);
    SCOPED_TRACE(testing::Message() << "dW " << c.dw << ", dH " << c.dh);
    EXPECT_EQ(r.resize_window, c.resize);
    EXPECT_EQ(r.window_width, c.dw < 0 ? kStartWindow.width : w);
    EXPECT_EQ(r.window_height, c.dh < 0 ? kStartWindow.height : h);
    EXPECT_EQ(r.controls[kSteuerungsFrame].left, d[kSteuerungsFrame].left + c.width_delta_kept);
    EXPECT_EQ(r.controls[kQuilletTextTB].width, d[kQuilletTextTB].width + c.width_delta_kept);
    EXPECT_EQ(r.controls[kQuilletTextTB].height, d[kQuilletTextTB].height + c.height_delta_kept);
    EXPECT_EQ(r.controls[kContainer1].top, d[kContainer1].top + c.height_delta_kept);
  }
}

TEST(LayoutScaler, RepeatedResizesDoNotAccumulate) {
  const LayoutScaler scaler = StartedScaler();
  const LayoutResult once = scaler.Apply(kStartWindow.width + 450, kStartWindow.height + 75);
  LayoutResult last;
  for (int i = 1; i <= 20; ++i) {
    scaler.Apply(kStartWindow.width + 37 * i, kStartWindow.height + 11 * i);
    scaler.Apply(kStartWindow.width - 100, kStartWindow.height - 100);
    last = scaler.Apply(kStartWindow.width + 450, kStartWindow.height + 75);
  }
  EXPECT_EQ(last.controls, once.controls);
  EXPECT_EQ(scaler.Apply(kStartWindow.width, kStartWindow.height).controls, kDesignedMainLayout);
}

TEST(LayoutScaler, ARestoredLargerWindowIsLaidOutEnlargedAtOnce) {
  // The window is created at its designed size, then given the saved, larger geometry.
  const LayoutResult r = StartedScaler().Apply(12000, 8000);
  EXPECT_FALSE(r.resize_window);
  const double dw = 12000 - kStartWindow.width, dh = 8000 - kStartWindow.height;
  EXPECT_EQ(r.controls[kTextFrame].width, 5175 + dw);
  EXPECT_EQ(r.controls[kListenFrame].height, 5355 + dh);
  EXPECT_EQ(r.controls[kSteuerungsFrame].left, 8160 + dw);
  // The right edge of the button column keeps its distance from the window's edge.
  const Rect& buttons = r.controls[kSteuerungsFrame];
  EXPECT_EQ(12000 - (buttons.left + buttons.width),
            kStartWindow.width - (8160 + kDesignedMainLayout[kSteuerungsFrame].width));
}

}  // namespace
}  // namespace qm
