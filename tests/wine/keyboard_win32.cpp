// Keystrokes through SendInput into a real edit control, and the integrity check of windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/window_driver_win32.h"

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
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE,
                              100, 100, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
  ASSERT_NE(edit, nullptr);
  SetForegroundWindow(edit);
  SetFocus(edit);
  test::PumpMessages(200);
  if (GetForegroundWindow() != edit) GTEST_SKIP() << "the test window did not come to the front";
  auto keyboard = MakeWin32Keyboard();
  keyboard->ReleaseModifiers();
  std::vector<KeyEvent> events = Typed(u"Gr\u00FC\u00DFe \u20AC \U0001F600 {x}");
  events.push_back({KeyEvent::Kind::kVirtualKey, VK_RETURN, false});
  events.push_back({KeyEvent::Kind::kVirtualKey, VK_RETURN, true});
  const std::vector<KeyEvent> tail = Typed(u"Ende");
  events.insert(events.end(), tail.begin(), tail.end());
  EXPECT_EQ(keyboard->Send(events), events.size());
  test::PumpMessages(500);
  EXPECT_EQ(test::ControlText(edit), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80 {x}\r\nEnde");
  // Our own window runs at our own level.
  EXPECT_FALSE(RunsAboveOurIntegrity(edit));
  DestroyWindow(edit);
}

TEST(Win32Desktop, AMinimisedTargetIsRestoredBeforeItIsTypedInto) {
  // A minimised window counts as visible and may become the foreground window, but the keys
  // then go to no edit field: the text would be lost while typing looked complete.
  HWND target = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE |
                                ES_MULTILINE, 100, 100, 400, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               150, 150, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
  ASSERT_TRUE(target && other);
  ShowWindow(target, SW_MINIMIZE);
  SetForegroundWindow(other);
  test::PumpMessages(200);
  ASSERT_TRUE(IsIconic(target));
  auto desktop = MakeWin32Desktop();
  const auto handle = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(target));
  const bool in_front = desktop->BringToFront(handle);
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

}  // namespace
}  // namespace qm
