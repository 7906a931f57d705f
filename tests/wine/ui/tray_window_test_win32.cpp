// The tray icon's window hook in-process: icon messages to the callbacks, the rest unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/tray_icon_win32.h"

namespace qm {
namespace {

std::vector<UINT> g_seen;  // messages that reached the window's own procedure

LRESULT CALLBACK OwnProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message >= WM_USER) {
    g_seen.push_back(message);
    return static_cast<LRESULT>(wparam * 100 + lparam);
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class TrayWindow : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmTrayTestWindow";
    RegisterClassW(&wc);
    window_ = CreateWindowW(L"QmTrayTestWindow", L"tray", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    g_seen.clear();
  }
  void TearDown() override {
    UnhookTrayWindow();
    if (IsWindow(window_)) DestroyWindow(window_);
  }

  TrayCallbacks Recording() {
    TrayCallbacks c;
    c.left_down = [this](unsigned id) { calls_.push_back("left " + std::to_string(id)); };
    c.right_down = [this](unsigned id) { calls_.push_back("right " + std::to_string(id)); };
    c.double_click = [this](unsigned id) { calls_.push_back("double " + std::to_string(id)); };
    return c;
  }

  HWND window_ = nullptr;
  std::vector<std::string> calls_;
};

TEST_F(TrayWindow, IconMessagesReachTheirCallbackAndNotTheWindow) {
  HookTrayWindow(window_, Recording());
  const struct {
    LPARAM mouse;
    const char* expected;  // nullptr: no callback
  } cases[] = {
      {WM_LBUTTONDOWN, "left 7"},     {WM_RBUTTONDOWN, "right 7"}, {WM_LBUTTONDBLCLK, "double 7"},
      {WM_RBUTTONDBLCLK, "double 7"}, {WM_LBUTTONUP, nullptr},     {WM_MOUSEMOVE, nullptr},
      {WM_MBUTTONDOWN, nullptr},
  };
  for (const auto& c : cases) {
    calls_.clear();
    EXPECT_EQ(SendMessageW(window_, kTrayMessage, 7, c.mouse), 0) << c.mouse;
    if (c.expected) {
      EXPECT_EQ(calls_, std::vector<std::string>{c.expected}) << c.mouse;
    } else {
      EXPECT_TRUE(calls_.empty()) << c.mouse;
    }
  }
  EXPECT_TRUE(g_seen.empty()) << "the window's procedure saw an icon message";
}

TEST_F(TrayWindow, OtherMessagesKeepTheirResultAndUnhookRestoresTheProcedure) {
  HookTrayWindow(window_, Recording());
  EXPECT_NE(GetWindowLongPtrW(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(OwnProcedure));
  EXPECT_EQ(SendMessageW(window_, WM_USER + 5, 3, 4), 304);
  EXPECT_EQ(g_seen, std::vector<UINT>{WM_USER + 5});

  UnhookTrayWindow();
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(OwnProcedure));
  EXPECT_EQ(SendMessageW(window_, kTrayMessage, 1, WM_LBUTTONDOWN), 100 + WM_LBUTTONDOWN);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(TrayWindow, ACallbackThatThrowsOrUnhooksDoesNotBreakTheWindow) {
  TrayCallbacks c;
  c.left_down = [](unsigned) { throw std::runtime_error("broken handler"); };
  c.right_down = [](unsigned) { UnhookTrayWindow(); };
  HookTrayWindow(window_, c);
  EXPECT_EQ(SendMessageW(window_, kTrayMessage, 1, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(SendMessageW(window_, kTrayMessage, 1, WM_RBUTTONDOWN), 0);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(OwnProcedure));
}

TEST_F(TrayWindow, AWindowDestroyedWhileHookedLeavesNothingBehind) {
  HookTrayWindow(window_, Recording());
  DestroyWindow(window_);
  EXPECT_FALSE(AddTrayIcon(1, nullptr, "weg")) << "no window to add the icon to";

  // The next window can be hooked as if nothing had happened.
  SetUp();
  HookTrayWindow(window_, Recording());
  SendMessageW(window_, kTrayMessage, 2, WM_LBUTTONDOWN);
  EXPECT_EQ(calls_, std::vector<std::string>{"left 2"});
}

TEST_F(TrayWindow, TipIsCutToWhatTheIconShows) {
  EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
  std::string emoji;
  for (int i = 0; i < 70; ++i) emoji += "\xF0\x9F\x98\x80";  // 😀, two UTF-16 units each
  const std::string cut = TrayTip(emoji);
  EXPECT_EQ(cut.size(), 63u * 4);
  EXPECT_LT(Utf8ToWide(cut).size(), 128u) << "must fit the icon's tip field";

  HookTrayWindow(window_, Recording());
  const HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  // Only where the virtual desktop has a notification area to take it.
  if (FindWindowW(L"Shell_TrayWnd", nullptr)) {
    EXPECT_TRUE(AddTrayIcon(1, icon, emoji));
    EXPECT_TRUE(AddTrayIcon(1, icon, "zweimal hinzugef\xC3\xBCgt"))
        << "an existing icon is updated";
    EXPECT_TRUE(SetTrayTip(1, "Quillet: 120 von 1500 Zeichen"));
    RemoveTrayIcon(1);
    EXPECT_FALSE(SetTrayTip(1, "weg")) << "no icon, no tip";
  }
}

}  // namespace
}  // namespace qm
