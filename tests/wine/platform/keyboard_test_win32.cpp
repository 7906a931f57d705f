// Keystrokes through SendInput into a real edit control, and the integrity check of windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/support/target_windows_win32.h"
#include "tests/wine/support/window_driver_win32.h"
#include "tests/wine/support/x_keyboard_win32.h"

namespace qm {
namespace {

std::vector<KeyEvent> Typed(const std::u16string& text) {
  std::vector<KeyEvent> events;
  for (char16_t unit : text) {
    events.push_back({KeyEvent::Kind::kUnicode, static_cast<std::uint16_t>(unit), false});
    events.push_back({KeyEvent::Kind::kUnicode, static_cast<std::uint16_t>(unit), true});
  }
  return events;
}

TEST(Win32Keyboard, TypesEveryCharacterIntoTheForegroundWindow) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE, 100,
                              100, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  SetForegroundWindow(edit);
  SetFocus(edit);
  test::PumpMessages(200);
  if (GetForegroundWindow() != edit) GTEST_SKIP() << "the test window did not come to the front";
  auto keyboard = MakeWin32Keyboard();
  EXPECT_EQ(keyboard->HeldModifiers(), std::vector<std::uint16_t>{});
  std::vector<KeyEvent> events = Typed(u"Gr\u00FC\u00DFe \u20AC \U0001F600 {x}");
  events.push_back({KeyEvent::Kind::kVirtualKey, VK_RETURN, false});
  events.push_back({KeyEvent::Kind::kVirtualKey, VK_RETURN, true});
  const std::vector<KeyEvent> tail = Typed(u"Ende");
  events.insert(events.end(), tail.begin(), tail.end());
  EXPECT_EQ(keyboard->Send(events), events.size());
  test::PumpMessages(500);
  EXPECT_EQ(test::ControlText(edit),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC \xF0\x9F\x98\x80 {x}\r\nEnde");
  // Our own window runs at our own level, and so does the desktop's process.
  EXPECT_EQ(DeliveryToProcessOf(edit), KeyDelivery::kDelivered);
  EXPECT_EQ(DeliveryToProcessOf(GetDesktopWindow()), KeyDelivery::kDelivered);
  DestroyWindow(edit);
}

WindowHandle Handle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

TEST(Win32Desktop, AMinimisedTargetIsRestoredBeforeItIsTypedInto) {
  // A minimised window counts as visible and may become the foreground window, but the keys
  // then go to no edit field: the text would be lost while typing looked complete.
  HWND target =
      CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE, 100, 100,
                      400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 150, 400,
                               200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(target && other);
  ShowWindow(target, SW_MINIMIZE);
  SetForegroundWindow(other);
  test::PumpMessages(200);
  ASSERT_TRUE(IsIconic(target));
  auto desktop = MakeWin32Desktop();
  bool in_front = false;  // asked as the sender asks: it restores itself in its own time
  for (int i = 0; i < 20 && !in_front; ++i, test::PumpMessages(50)) {
    in_front = desktop->BringToFront(Handle(target));
  }
  test::PumpMessages(200);
  if (in_front) {
    EXPECT_FALSE(IsIconic(target)) << "in front, yet minimised: the keys would be lost";
    auto keyboard = MakeWin32Keyboard();
    const std::vector<KeyEvent> events = Typed(u"abc");
    EXPECT_EQ(keyboard->Send(events), events.size());
    test::PumpMessages(300);
    EXPECT_EQ(test::ControlText(target), "abc");
    EXPECT_EQ(test::ControlText(other), "");
  } else {
    EXPECT_NE(GetForegroundWindow(), target);
  }
  DestroyWindow(other);
  DestroyWindow(target);
}

// A minimised window whose program hangs is asked to restore itself, and the call returns at
// once instead of hanging with it.
TEST(Win32Desktop, AHungMinimisedTargetDoesNotHoldUpTheCaller) {
  test::TargetWindows hung;
  HWND target = hung.Create(L"Testziel Steht");
  ShowWindow(target, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(target));
  hung.Freeze(3000);
  Sleep(100);
  auto desktop = MakeWin32Desktop();
  const DWORD start = GetTickCount();
  EXPECT_FALSE(desktop->BringToFront(Handle(target)));
  EXPECT_LT(GetTickCount() - start, 1000u);
}

// A hook of ours that relays Esc, as the abbreviations' does; it counts the X keys it sees.
std::atomic<int> g_relay_saw_x{0};
LRESULT CALLBACK RelayingHook(int code, WPARAM wparam, LPARAM lparam) {
  const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
  if (code == HC_ACTION) {
    if (RelayEscape(k->vkCode, (k->flags & LLKHF_UP) != 0)) return 1;
    if (k->vkCode == 'X' && !(k->flags & (LLKHF_UP | LLKHF_INJECTED))) ++g_relay_saw_x;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

struct RelayingHookScope {
  explicit RelayingHookScope(bool on) {
    if (!on) return;
    hook = SetWindowsHookExW(WH_KEYBOARD_LL, RelayingHook, GetModuleHandleW(nullptr), 0);
    SetEscapeRelay(hook != nullptr);
  }
  ~RelayingHookScope() {
    SetEscapeRelay(false);
    if (hook) UnhookWindowsHookEx(hook);
  }
  HHOOK hook = nullptr;
};

// A target without an edit: its frame records every key.
HWND KeysTarget(test::TargetWindows& targets, const wchar_t* title) {
  test::TargetWindows::Options keys;
  keys.edit = false;
  HWND frame = targets.Create(title, keys);
  return targets.Activate(frame) ? frame : nullptr;
}

std::wstring KeyDowns(test::TargetWindows& targets, HWND frame) {
  std::wstring downs;
  for (const auto& m : targets.Received(frame)) {
    if (m.message == WM_KEYDOWN) downs += static_cast<wchar_t>(m.wparam);
  }
  return downs;
}

// While typing, a brief tap of Esc is seen once and kept from the target (without staying
// down); every other key reaches it, and after the watch Esc does too. The same with the watch
// on a hook of its own and read by our other hook.
TEST(Win32TypingPace, TheEscapeWatchSeesATapAndKeepsOnlyEscFromTheTarget) {
  for (const bool relayed : {false, true}) {
    SCOPED_TRACE(relayed ? "relayed" : "own hook");
    test::TargetWindows targets;
    HWND frame = KeysTarget(targets, L"Testziel Esc");
    if (!frame) GTEST_SKIP() << "the test window did not come to the front";
    RelayingHookScope relay(relayed);
    if (relayed) {
      ASSERT_NE(relay.hook, nullptr);
    }
    const auto tap = [](WORD vk) {
      INPUT in[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
      in[0].ki.wVk = in[1].ki.wVk = vk;
      in[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, in, sizeof(INPUT));
      test::PumpMessages(200);  // the relaying hook runs on this thread
    };
    auto pace = MakeWin32TypingPace();
    pace->StartEscapeWatch();
    tap(VK_ESCAPE);
    tap('A');
    EXPECT_TRUE(pace->EscapePressed());
    EXPECT_FALSE(pace->EscapePressed()) << "one tap, one stop";
    EXPECT_FALSE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
    pace->StopEscapeWatch();
    tap(VK_ESCAPE);
    EXPECT_EQ(KeyDowns(targets, frame), L"A\x1B");
  }
}

// Keys the user types while watches start and end one after another all pass our other hook:
// none slips past it on a watch's own hook that is just being removed.
TEST(Win32TypingPace, KeysTypedWhileWatchesComeAndGoAllPassOurOtherHook) {
  if (!test::HasXKeyboard()) GTEST_SKIP() << "no xdotool";
  test::TargetWindows targets;
  HWND frame = KeysTarget(targets, L"Testziel Wachen");
  if (!frame) GTEST_SKIP() << "the test window did not come to the front";
  RelayingHookScope relay(true);
  ASSERT_NE(relay.hook, nullptr);
  g_relay_saw_x = 0;
  std::atomic<bool> typed{false};
  std::thread user([&] {
    test::XKeys("type --delay 10 " + std::string(100, 'x'));
    typed = true;
  });
  auto pace = MakeWin32TypingPace();
  for (int round = 0; !typed; ++round) {
    pace->StartEscapeWatch();
    test::PumpMessages(1 + round % 7);
    pace->StopEscapeWatch();
    test::PumpMessages(1 + round % 5);
  }
  user.join();
  for (int i = 0; i < 60 && KeyDowns(targets, frame).size() < 100; ++i) test::PumpMessages(50);
  EXPECT_EQ(KeyDowns(targets, frame), std::wstring(100, L'X'));
  EXPECT_EQ(g_relay_saw_x, 100);
}

}  // namespace
}  // namespace qm
