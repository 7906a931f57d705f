// The main window's parts follow resizes from the plan and the window never shrinks below its
// start-up size.
#include "quillet/main/main_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/layout_anchors.h"

namespace qm {
namespace {

// The outer rect of the main window at start-up: the planned client area plus a frame.
constexpr Rect kStartWindow{1200, 900, 9375, 5940};

Growth GrowthAt(double width, double height) {
  return GrowthSinceStart(kStartWindow.width, kStartWindow.height, width, height);
}

Rect Laid(const LayoutPart& part, const Growth& growth) {
  return Anchored(part.planned, part.anchors, growth.width, growth.height);
}

TEST(MainLayout, EnlargingMovesTheButtonsAndGrowsEditorAndList) {
  const Growth g = GrowthAt(kStartWindow.width + 600, kStartWindow.height + 300);
  EXPECT_FALSE(g.set_back);
  const struct {
    const char* part;
    const LayoutPart& laid;
    Rect expected;
  } cases[] = {
      {"entries", kEntriesPart, {60, 120, 2715, 5655}},
      {"editing", kEditingPart, {2880, 120, 5775, 5655}},
      {"commands", kCommandsPart, {8760, 120, 1035, 5655}},
      {"entry buttons", kEntryButtonsPart, {120, 4620, 2535, 975}},
      {"send rows", kSendRowsPart, {120, 4260, 4935, 1335}},
      {"entry list", kEntryListPart, {120, 300, 2475, 4200}},
      {"editor", kEditorPart, {120, 300, 5535, 2325}},
      {"field problems", kFieldProblemsPart, {120, 2685, 5535, 480}},
  };
  for (const auto& c : cases) {
    const Rect got = Laid(c.laid, g);
    EXPECT_EQ(got, c.expected) << c.part << ": " << got.left << ", " << got.top << ", " << got.width
                               << ", " << got.height;
  }
}

TEST(MainLayout, TooSmallSnapsBackInThatDimensionOnly) {
  const struct {
    double dw, dh;
    bool set_back;
    double width_delta_kept, height_delta_kept;
  } cases[] = {
      {-500, 200, true, 0, 200},
      {300, -1, true, 300, 0},
      {-2000, -3000, true, 0, 0},
      {0, 0, false, 0, 0},
  };
  for (const auto& c : cases) {
    const double w = kStartWindow.width + c.dw, h = kStartWindow.height + c.dh;
    const Growth g = GrowthAt(w, h);
    SCOPED_TRACE(testing::Message() << "dW " << c.dw << ", dH " << c.dh);
    EXPECT_EQ(g.set_back, c.set_back);
    EXPECT_EQ(g.window_width, c.dw < 0 ? kStartWindow.width : w);
    EXPECT_EQ(g.window_height, c.dh < 0 ? kStartWindow.height : h);
    EXPECT_EQ(Laid(kCommandsPart, g).left, kCommandsPart.planned.left + c.width_delta_kept);
    EXPECT_EQ(Laid(kEditorPart, g).width, kEditorPart.planned.width + c.width_delta_kept);
    EXPECT_EQ(Laid(kEditorPart, g).height, kEditorPart.planned.height + c.height_delta_kept);
    EXPECT_EQ(Laid(kEntryButtonsPart, g).top, kEntryButtonsPart.planned.top + c.height_delta_kept);
  }
}

// Every layout starts from the plan, so that a run of resizes cannot drift.
TEST(MainLayout, RepeatedResizesDoNotAccumulate) {
  const LayoutPart* parts[] = {&kEntriesPart,   &kEditingPart,      &kCommandsPart,
                               &kEntryListPart, &kEntryButtonsPart, &kEditorPart,
                               &kSendRowsPart,  &kFieldProblemsPart};
  const auto all = [&](const Growth& g) {
    std::vector<Rect> laid;
    for (const LayoutPart* part : parts) laid.push_back(Laid(*part, g));
    return laid;
  };
  const std::vector<Rect> once = all(GrowthAt(kStartWindow.width + 450, kStartWindow.height + 75));
  std::vector<Rect> last;
  for (int i = 1; i <= 20; ++i) {
    all(GrowthAt(kStartWindow.width + 37 * i, kStartWindow.height + 11 * i));
    all(GrowthAt(kStartWindow.width - 100, kStartWindow.height - 100));
    last = all(GrowthAt(kStartWindow.width + 450, kStartWindow.height + 75));
  }
  EXPECT_EQ(last, once);
  const std::vector<Rect> start = all(GrowthAt(kStartWindow.width, kStartWindow.height));
  for (std::size_t i = 0; i < start.size(); ++i) EXPECT_EQ(start[i], parts[i]->planned) << i;
}

TEST(MainLayout, ARestoredLargerWindowIsLaidOutEnlargedAtOnce) {
  // The window is created at its planned size, then given the saved, larger geometry.
  const Growth g = GrowthAt(12000, 8000);
  EXPECT_FALSE(g.set_back);
  const double dw = 12000 - kStartWindow.width, dh = 8000 - kStartWindow.height;
  EXPECT_EQ(Laid(kEditingPart, g).width, 5175 + dw);
  EXPECT_EQ(Laid(kEntriesPart, g).height, 5355 + dh);
  EXPECT_EQ(Laid(kCommandsPart, g).left, 8160 + dw);
  // The right edge of the button column keeps its distance from the window's edge.
  const Rect buttons = Laid(kCommandsPart, g);
  EXPECT_EQ(12000 - (buttons.left + buttons.width),
            kStartWindow.width - (8160 + kCommandsPart.planned.width));
}

}  // namespace
}  // namespace qm
