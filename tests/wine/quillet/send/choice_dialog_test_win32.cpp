// The choice among several matching windows, answered from another thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quillet/send/choice_dialog_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

enum class Answer { kOk, kSecondThenOk, kDoubleClickThird, kAbbruch, kClose };

TEST(ChoiceDialog, ListsTheWindowsSortedAndGivesBackTheChosenOne) {
  const std::vector<ChoiceCandidate> candidates = {
      {"Zeta - Editor", 0x3003}, {"Alpha - Editor", 0x1001}, {"Mitte - Editor", 0x2002}};
  const struct {
    Answer answer;
    std::optional<std::uint64_t> expected;
  } cases[] = {
      {Answer::kOk, 0x1001},          {Answer::kSecondThenOk, 0x2002},
      {Answer::kDoubleClickThird, 0x3003}, {Answer::kAbbruch, std::nullopt},
      {Answer::kClose, std::nullopt},
  };
  HWND main = CreateWindowW(L"STATIC", L"main", WS_OVERLAPPED, 200, 150, 300, 200, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const auto& c : cases) {
    std::vector<std::string> items;
    std::string caption, ok;
    bool topmost = false, ok_default = false;
    RECT where{};
    std::thread user([&] {
      HWND box = test::WaitForWindow(kChoiceDialogClass, nullptr);
      if (!box) return;
      caption = test::ControlText(box);
      HWND list = GetDlgItem(box, kChoiceList);
      for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[128] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(WideToUtf8(text));
      }
      topmost = (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      ok = test::ControlText(GetDlgItem(box, IDOK));
      ok_default = (GetWindowLongPtrW(GetDlgItem(box, IDOK), GWL_STYLE) & BS_TYPEMASK) ==
                   BS_DEFPUSHBUTTON;
      GetWindowRect(box, &where);
      switch (c.answer) {
        case Answer::kOk:
          PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
          break;
        case Answer::kSecondThenOk:
          SendMessageW(list, LB_SETCURSEL, 1, 0);
          PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
          break;
        case Answer::kDoubleClickThird:
          SendMessageW(list, LB_SETCURSEL, 2, 0);
          PostMessageW(box, WM_COMMAND, MAKEWPARAM(kChoiceList, LBN_DBLCLK),
                       reinterpret_cast<LPARAM>(list));
          break;
        case Answer::kAbbruch:
          PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
          break;
        case Answer::kClose:
          PostMessageW(box, WM_CLOSE, 0, 0);
          break;
      }
      for (int i = 0; i < 150 && IsWindow(box); ++i) Sleep(20);
      if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    const std::optional<std::uint64_t> chosen =
        ShowChoiceDialog(main, "Auswahl - Quillet", candidates);
    user.join();
    EXPECT_EQ(chosen, c.expected);
    EXPECT_EQ(items, (std::vector<std::string>{"Alpha - Editor", "Mitte - Editor",
                                               "Zeta - Editor"}));
    EXPECT_EQ(caption, "Auswahl - Quillet");
    EXPECT_EQ(ok, "&OK");
    EXPECT_TRUE(ok_default);
    EXPECT_TRUE(topmost);
    EXPECT_EQ(where.left, 250);
    EXPECT_EQ(where.top, 200);
  }
  DestroyWindow(main);
}

}  // namespace
}  // namespace qm
