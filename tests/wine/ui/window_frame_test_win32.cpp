// The window frame in-process: the tray icon's messages reach the frame that owns the icon as
// handler calls; dialogs lay out their table at the DPI, end on Esc, outlive no handler.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/tray_icon_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

class IconWindow final : public WindowFrame {
 public:
  bool Create() {
    return CreatePlainWindow(GetModuleHandleW(nullptr), FrameClass{L"QmTrayTestWindow"}, "tray",
                             FramePlacement{0, WS_OVERLAPPED, 0, 0, 10, 10});
  }
  std::function<void(unsigned id, TrayEvent event)> on_icon;
  TrayIcons tray;
  std::vector<UINT> seen;  // messages that reached the fallback handler

 private:
  void OnTrayIcon(unsigned id, TrayEvent event) override { on_icon(id, event); }
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
    window_.on_icon = [this](unsigned id, TrayEvent event) {
      const char* names[] = {"none", "left", "right", "double"};
      calls_.push_back(names[static_cast<int>(event)] + (" " + std::to_string(id)));
    };
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
  window_.on_icon = [this](unsigned, TrayEvent event) {
    if (event == TrayEvent::kLeftDown) throw std::runtime_error("broken handler");
    window_.Destroy();
  };
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

// A dialog with one button of 1440 x 720 twips, which records what reaches it.
class ProbeDialog final : public WindowFrame {
 public:
  bool Open() {
    return CreateModeless(GetModuleHandleW(nullptr), L"QmFrameProbe", kModelessDialogStyle,
                          "probe", nullptr);
  }
  INT_PTR Run() {
    return RunModal(GetModuleHandleW(nullptr), L"QmFrameProbe", kModelessDialogStyle, "probe",
                    nullptr);
  }
  UINT post_on_create = 0;  // a message the dialog posts itself once it is there
  bool throw_on_user = false;
  std::vector<std::string> seen;

 private:
  std::vector<ControlRow> Table() const override {
    return {{IDOK, L"BUTTON", "OK", BS_PUSHBUTTON, 0, 0, 1440, 720}};
  }
  SIZE ClientTwips() const override { return {2880, 1440}; }
  void OnCreate() override {
    if (post_on_create) PostMessageW(hwnd(), post_on_create, 0, 0);
  }
  void OnTimer(UINT_PTR id) override {
    seen.push_back("timer " + std::to_string(id));
    KillTimer(hwnd(), id);
  }
  void OnDestroy() override { seen.push_back("destroy"); }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
    if (message == WM_USER + 1 && throw_on_user) throw std::runtime_error("broken handler");
    return std::nullopt;
  }
};

SIZE ButtonSize(HWND dialog) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, IDOK), &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(WindowFrame, TheTableFollowsTheDpiInANewMessageFont) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Open());
  const int dpi = dialog.dpi();
  EXPECT_EQ(ButtonSize(dialog.hwnd()).cx, TwipsToPixels(1440, dpi));
  const auto font = SendDlgItemMessageW(dialog.hwnd(), IDOK, WM_GETFONT, 0, 0);
  EXPECT_NE(font, 0) << "the message font";

  RECT suggested{10, 10, 400, 300};
  SendMessageW(dialog.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(dialog.dpi(), dpi * 2);
  EXPECT_EQ(ButtonSize(dialog.hwnd()).cy, TwipsToPixels(720, dpi * 2));
  EXPECT_NE(SendDlgItemMessageW(dialog.hwnd(), IDOK, WM_GETFONT, 0, 0), font);
  RECT client{};
  GetClientRect(dialog.hwnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(2880, dpi * 2)) << "sized for the client area";
}

TEST(WindowFrame, EscAndTheCloseBoxCancelAModalDialogAndDestroyAModelessOne) {
  for (UINT message : {UINT{WM_CLOSE}, UINT{WM_USER + 1}}) {
    ProbeDialog modal;
    modal.post_on_create = message;
    modal.throw_on_user = true;  // a broken handler counts as cancelled too
    EXPECT_EQ(modal.Run(), IDCANCEL) << message;
    EXPECT_EQ(modal.hwnd(), nullptr);
  }
  ProbeDialog modeless;
  ASSERT_TRUE(modeless.Open());
  SendMessageW(modeless.hwnd(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(modeless.hwnd(), nullptr);
  EXPECT_EQ(modeless.seen, std::vector<std::string>{"destroy"});
}

TEST(WindowFrame, TimersArriveAsHandlerCallsAndDestroyLetsGoAtOnce) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Open());
  SetTimer(dialog.hwnd(), 5, 1, nullptr);
  MSG msg;
  for (int i = 0; i < 200 && dialog.seen.empty(); ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  EXPECT_EQ(dialog.seen, std::vector<std::string>{"timer 5"});
  const HWND window = dialog.hwnd();
  dialog.Destroy();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dialog.seen, std::vector<std::string>{"timer 5"}) << "no message of its end";
}

}  // namespace
}  // namespace qm
