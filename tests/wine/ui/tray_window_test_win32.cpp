// The tray icon's messages in-process: they reach the frame that owns the icon as handler
// calls, the rest of the window's messages its other handlers.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/tray_icon_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

class IconWindow : public WindowFrame {
 public:
  bool Create() {
    return CreatePlainWindow(GetModuleHandleW(nullptr), FrameClass{L"QmTrayTestWindow"}, "tray",
                             FramePlacement{0, WS_OVERLAPPED, 0, 0, 10, 10});
  }
  TrayCallbacks callbacks;
  TrayIcons tray;
  std::vector<UINT> seen;  // messages that reached the fallback handler

 private:
  void OnTrayIcon(unsigned id, UINT mouse_message) override {
    DispatchTrayMessage(kTrayMessage, id, mouse_message, callbacks);
  }
  void OnDestroy() override { tray.RemoveAll(); }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message < WM_USER) return std::nullopt;
    seen.push_back(message);
    return static_cast<LRESULT>(wparam * 100 + lparam);
  }
};

class TrayWindow : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create());
    window_.tray.SetWindow(window_.hwnd());
    window_.callbacks = Recording();
  }

  TrayCallbacks Recording() {
    TrayCallbacks c;
    c.left_down = [this](unsigned id) { calls_.push_back("left " + std::to_string(id)); };
    c.right_down = [this](unsigned id) { calls_.push_back("right " + std::to_string(id)); };
    c.double_click = [this](unsigned id) { calls_.push_back("double " + std::to_string(id)); };
    return c;
  }

  IconWindow window_;
  std::vector<std::string> calls_;
};

TEST_F(TrayWindow, IconMessagesReachTheirCallbackAndNotTheFallback) {
  const struct {
    LPARAM mouse;
    const char* expected;  // nullptr: no callback
  } cases[] = {
      {WM_LBUTTONDOWN, "left 7"},     {WM_RBUTTONDOWN, "right 7"}, {WM_LBUTTONDBLCLK, "double 7"},
      {WM_RBUTTONDBLCLK, "double 7"}, {WM_LBUTTONUP, nullptr},     {WM_MOUSEMOVE, nullptr},
      {WM_MBUTTONDOWN, nullptr},      {MAKELPARAM(WM_LBUTTONDOWN, 3), "left 7"},
  };
  for (const auto& c : cases) {
    calls_.clear();
    EXPECT_EQ(SendMessageW(window_.hwnd(), kTrayMessage, 7, c.mouse), 0) << c.mouse;
    if (c.expected) {
      EXPECT_EQ(calls_, std::vector<std::string>{c.expected}) << c.mouse;
    } else {
      EXPECT_TRUE(calls_.empty()) << c.mouse;
    }
  }
  EXPECT_TRUE(window_.seen.empty()) << "the fallback handler saw an icon message";
  EXPECT_EQ(SendMessageW(window_.hwnd(), WM_USER + 5, 3, 4), 304) << "other messages keep theirs";
  EXPECT_EQ(window_.seen, std::vector<UINT>{WM_USER + 5});
}

TEST_F(TrayWindow, AHandlerThatThrowsOrDestroysTheWindowDoesNotBreakIt) {
  window_.callbacks.left_down = [](unsigned) { throw std::runtime_error("broken handler"); };
  window_.callbacks.right_down = [this](unsigned) { window_.Destroy(); };
  EXPECT_EQ(SendMessageW(window_.hwnd(), kTrayMessage, 1, WM_LBUTTONDOWN), 0);
  HWND window = window_.hwnd();
  EXPECT_EQ(SendMessageW(window, kTrayMessage, 1, WM_RBUTTONDOWN), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(window_.hwnd(), nullptr);
}

TEST_F(TrayWindow, AWindowDestroyedLeavesNoIconBehind) {
  const HWND window = window_.hwnd();
  DestroyWindow(window);
  EXPECT_EQ(window_.hwnd(), nullptr) << "the frame lets go of its handle";
  EXPECT_FALSE(window_.tray.Add(1, nullptr, "weg")) << "no window to add the icon to";
  EXPECT_FALSE(window_.tray.SetTip(1, "weg"));
}

TEST_F(TrayWindow, TipIsCutToWhatTheIconShows) {
  EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
  std::string emoji;
  for (int i = 0; i < 70; ++i) emoji += "\xF0\x9F\x98\x80";  // 😀, two UTF-16 units each
  const std::string cut = TrayTip(emoji);
  EXPECT_EQ(cut.size(), 63u * 4);
  EXPECT_LT(Utf8ToWide(cut).size(), 128u) << "must fit the icon's tip field";

  const HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  // Only where the virtual desktop has a notification area to take it.
  if (FindWindowW(L"Shell_TrayWnd", nullptr)) {
    EXPECT_TRUE(window_.tray.Add(1, icon, emoji));
    EXPECT_TRUE(window_.tray.Add(1, icon, "zweimal hinzugef\xC3\xBCgt"))
        << "an existing icon is updated";
    EXPECT_TRUE(window_.tray.SetTip(1, "Quillet: 120 von 1500 Zeichen"));
    window_.tray.Remove(1);
    EXPECT_FALSE(window_.tray.SetTip(1, "weg")) << "no icon, no tip";
  }
}

}  // namespace
}  // namespace qm
