// The About dialogs as real modeless windows: caption, buttons, keyboard and single instance.
#include <windows.h>

#include <gtest/gtest.h>

#include "mantello/hints.h"
#include "platform/utf16_win32.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system_info.h"
#include "tests/wine/support/window_driver_win32.h"
#include "ui/about_dialog_win32.h"
#include "ui/help.h"
#include "ui/message_pump_win32.h"
#include "ui/version_text.h"

namespace qm {
namespace {

constexpr int kButton = 100;  // + the button's index

// Runs the thread's messages for `ms` as the programs' loops do.
void PumpAsTheProgram(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchThreadMessage(msg);
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

class AboutDialogTest : public testing::Test {
 protected:
  void TearDown() override {
    HWND open = FindWindowW(L"QmAboutDialog", nullptr);
    if (open) DestroyWindow(open);
  }
  HWND Show(AboutKind kind) {
    return ShowAboutDialog(GetModuleHandleW(nullptr), nullptr, program_, kind, shell_, system_);
  }
  void Click(HWND dialog, int index) {
    SendMessageW(GetDlgItem(dialog, kButton + index), BM_CLICK, 0, 0);
    test::PumpMessages();
  }

  ProgramInfo program_{kProgramTitleMantello, kMantelloDescription};
  FakeShell shell_;
  FakeSystemInfo system_;
};

TEST_F(AboutDialogTest, FreewareDialogOpensOnceAndItsButtonsOpenTheAddresses) {
  HWND dialog = Show(AboutKind::kFreeware);
  ASSERT_NE(dialog, nullptr);
  test::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(test::ControlText(dialog),
            "Info \xC3\xBC"
            "ber Mantello");
  EXPECT_EQ(Show(AboutKind::kFreeware), dialog) << "a second call brings the open one forward";

  Click(dialog, kAboutUpdateButton);
  const std::string update =
      AboutUpdateAddress(program_, AppVersionString(VersionText::kFull), "10.0.19045");
  ASSERT_EQ(shell_.opened, std::vector<std::string>{update});
  EXPECT_NE(update.find("app=mantello&ver=1.0.1"), std::string::npos) << update;
  EXPECT_EQ(shell_.modes[0], ShowMode::kNormal);

  Click(dialog, kAboutMailButton);
  ASSERT_EQ(shell_.opened.size(), 2u);
  EXPECT_EQ(
      shell_.opened[1],
      AboutMailAddress(program_, AppVersionString(VersionText::kShortInBrackets), "10.0.19045"));

  Click(dialog, kAboutCloseButton);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(shell_.opened.size(), 2u) << "closing opens nothing";
}

TEST_F(AboutDialogTest, EscapeAndTheCloseBoxCloseItAndItOpensAgain) {
  HWND dialog = Show(AboutKind::kFreeware);
  ASSERT_NE(dialog, nullptr);
  // Escape reaches the modeless dialog through the program's message pump.
  PostMessageW(GetDlgItem(dialog, kButton + kAboutCloseButton), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpAsTheProgram(200);
  EXPECT_FALSE(IsWindow(dialog));

  HWND again = Show(AboutKind::kCommercial);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(test::ControlText(again), "Mantello - Info");
  SendMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(again));
}

TEST_F(AboutDialogTest, CommercialDialogOpensTheSiteFromButtonAndLogo) {
  HWND dialog = Show(AboutKind::kCommercial);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetDlgItem(dialog, kButton + kAboutMailButton), nullptr);
  Click(dialog, kAboutWebButton);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(110, STN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, 110)));
  EXPECT_EQ(shell_.opened, (std::vector<std::string>{kMakerWebSite, kMakerWebSite}));
  EXPECT_EQ(shell_.modes, (std::vector<ShowMode>{ShowMode::kMaximized, ShowMode::kMaximized}));
  Click(dialog, kAboutCloseButton);
  EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace qm
