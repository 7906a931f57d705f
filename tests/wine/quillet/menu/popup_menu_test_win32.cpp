// The snippet menu as a real popup menu, driven by keys as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "quillet/menu/popup_menu_win32.h"
#include "tests/wine/support/process_driver_win32.h"

namespace qm {
namespace {

PopupMenu Sample() {
  PopupMenuItem group{"&A", "", false, {{"Alpha", "2", false, {}}, {"alpha", "5", false, {}}}};
  return {group,
          {"-", "-1", false, {}},
          {kCaptionOpen, "-2", true, {}},
          {kCaptionQuit, "-3", false, {}},
          {kCaptionCancel, "-4", false, {}}};
}

// Opens the menu while another thread presses `keys` in it.
std::optional<std::string> Choose(const std::vector<UINT>& keys) {
  HWND owner = CreateWindowW(L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(owner);
  std::thread user([&] {
    HWND menu = test::WaitForMenu();
    if (!menu) return;
    for (UINT key : keys) test::Key(menu, key);
  });
  const std::optional<std::string> tag = TrackSnippetMenu(owner, Sample(), POINT{100, 100});
  user.join();
  DestroyWindow(owner);
  return tag;
}

TEST(SnippetMenu, AnEntryInAGroupACommandOrNothing) {
  // Down into the group, right into it, down to the second entry.
  EXPECT_EQ(Choose({VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}), std::optional<std::string>("5"));
  EXPECT_EQ(Choose({'B'}), std::optional<std::string>("-3"));
  EXPECT_EQ(Choose({VK_ESCAPE}), std::nullopt);
}

}  // namespace
}  // namespace qm
