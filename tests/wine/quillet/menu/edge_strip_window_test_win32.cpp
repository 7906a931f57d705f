// The screen-edge strip as a real window: placement, the always-on-top band, mouse events.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "quillet/menu/edge_strip_window_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

TEST(EdgeStripWindow, SitsOnTopWithoutTaskbarButtonAndReportsTheMouse) {
  EdgeStripWindow strip;
  std::vector<int> events;
  strip.on_mouse_move = [&] { events.push_back(0); };
  strip.on_button_down = [&](int button) { events.push_back(button); };
  ASSERT_TRUE(strip.Create(GetModuleHandleW(nullptr), "\xE2\x80\xA2 Quillet 1.0 - Satellit"));
  HWND w = strip.hwnd();
  EXPECT_EQ(test::ControlText(w), "\xE2\x80\xA2 Quillet 1.0 - Satellit");
  EXPECT_FALSE(IsWindowVisible(w));
  const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  const int width = GetSystemMetrics(SM_CXSCREEN);
  strip.Place(true, RECT{0, 0, width, 1});
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, 1);

  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 0));
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 0));
  SendMessageW(w, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 0));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 0));
  EXPECT_EQ(events, (std::vector<int>{0, 2, 4, 1}));

  // Windows tells every top-level window of a new screen size; the strip is then placed
  // anew along the edge, which now lies elsewhere.
  int display_changes = 0;
  strip.on_display_change = [&] { ++display_changes; };
  SendMessageW(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(display_changes, 1);

  strip.Place(false, RECT{});
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_FALSE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

}  // namespace
}  // namespace qm
