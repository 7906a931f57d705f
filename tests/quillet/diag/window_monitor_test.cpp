// The window monitor's lines and its caption on a desktop of windows in Z-order.
#include "quillet/diag/window_monitor.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_desktop.h"

namespace qm {
namespace {

const std::string kOwn = "\xE2\x80\xA2 Quillet 1.0";  // "• Quillet 1.0"
const std::string kDateLine = "05.03.2024 14:07:09";

class WindowMonitorTest : public testing::Test {
 protected:
  std::vector<std::string> Lines(WindowHandle main, bool visible_only) {
    return MonitorLines(desktop, clock, title, main, visible_only);
  }
  std::optional<std::string> InFront(WindowHandle monitor = 0) {
    return TitleInFront(desktop, title, kOwn, monitor);
  }

  FakeDesktop desktop;  // topmost first
  FakeClock clock;
  WindowTitleReader title = [this](WindowHandle w) { return desktop.Title(w); };
};

TEST_F(WindowMonitorTest, LinesRunFromTheMainWindowUpwardsNumberedBelowTheDateLine) {
  desktop.windows = {{0x1A2B, "Test"}, {0x10, kOwn}, {0x20, "unter dem Hauptfenster"}};
  EXPECT_EQ(Lines(0x10, true), (std::vector<std::string>{kDateLine, "001 00000010 V '" + kOwn + "'",
                                                         "002 00001A2B V 'Test'"}));
}

TEST_F(WindowMonitorTest, VisibleOnlyLeavesHiddenWindowsOutAndNumbersTheRestWithoutGaps) {
  desktop.windows = {{0xC, "c"}, {0xB, "versteckt", false}, {0xA, ""}};
  EXPECT_EQ(Lines(0xA, true),
            (std::vector<std::string>{kDateLine, "001 0000000A V ''", "002 0000000C V 'c'"}));
  EXPECT_EQ(Lines(0xA, false),
            (std::vector<std::string>{kDateLine, "001 0000000A V ''", "002 0000000B X 'versteckt'",
                                      "003 0000000C V 'c'"}));
}

TEST_F(WindowMonitorTest, NumbersGrowBeyondThreeDigitsAndLongHandlesAreNotCut) {
  for (int i = 0; i < 1000; ++i) desktop.Add("w");
  desktop.windows.front().handle = 0x123456789;
  const std::vector<std::string> lines = Lines(desktop.windows.back().handle, true);
  ASSERT_EQ(lines.size(), 1001u);
  EXPECT_EQ(lines[999].substr(0, 4), "999 ");
  EXPECT_EQ(lines[1000], "1000 123456789 V 'w'");
}

// A desktop on which a window closes while the walk reads its title.
class ClosingDesktop : public FakeDesktop {
 public:
  std::string Title(WindowHandle window) override {
    std::string t = FakeDesktop::Title(window);
    if (window == closes) {
      windows.erase(windows.begin() + 1);
      return {};
    }
    return t;
  }
  WindowHandle closes = 0;
};

TEST(WindowMonitorWalk, EndsWhereAWindowClosesAndOnACycle) {
  ClosingDesktop desktop;
  FakeClock clock;
  desktop.windows = {{1, "a"}, {2, "b"}, {3, "main"}};
  desktop.closes = 2;
  const WindowTitleReader title = [&](WindowHandle w) { return desktop.Title(w); };
  EXPECT_EQ(MonitorLines(desktop, clock, title, 3, true),
            (std::vector<std::string>{kDateLine, "001 00000003 V 'main'", "002 00000002 V ''"}));

  // A Z-order that goes round in a circle while it changes.
  class Circle : public FakeDesktop {
   public:
    WindowHandle Above(WindowHandle w) override { return w == 1 ? 2 : 1; }
  } circle;
  circle.windows = {{1, "a"}, {2, "b"}};
  const WindowTitleReader circle_title = [&](WindowHandle w) { return circle.Title(w); };
  EXPECT_EQ(MonitorLines(circle, clock, circle_title, 1, true).size(), 3u);
}

TEST_F(WindowMonitorTest, CaptionIsTheFirstTitledVisibleWindowInFrontThatIsNotOurs) {
  const WindowHandle own = desktop.Add(kOwn + " - Debugger");
  desktop.Add("x \xE2\x80\xA2 QUILLET 1.0");                   // our prefix in another letter case
  const WindowHandle monitor = desktop.Add("Editor - a.txt");  // copied from the last look
  desktop.Add("versteckt", false);
  desktop.Add("");
  desktop.Add("Editor - a.txt");
  desktop.Add("Rechner");
  desktop.foreground = own;
  EXPECT_EQ(InFront(monitor), "Editor - a.txt");

  // Nothing qualifies: no caption, so the monitor keeps its own.
  desktop.foreground = own;
  desktop.windows.resize(5);
  EXPECT_EQ(InFront(monitor), std::nullopt);
  desktop.foreground = 0;
  EXPECT_EQ(InFront(), std::nullopt);
}

}  // namespace
}  // namespace qm
