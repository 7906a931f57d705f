// The Win32 sound, shell and desktop services against the system itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/support/temp_folder_win32.h"

namespace qm {
namespace {

TEST(Win32Services, MissingSoundsAndProgramsFailQuietly) {
  test::TempFolder dir;
  auto sound = MakeWin32Sound();
  const DWORD start = GetTickCount();
  EXPECT_FALSE(sound->PlayFile(dir.File("fehlt.wav")));
  EXPECT_FALSE(sound->PlayFile(""));
  EXPECT_FALSE(sound->PlayFile(WideToUtf8(dir.wpath()))) << "a folder is no sound";
  EXPECT_LT(GetTickCount() - start, 2000u);

  auto shell = MakeWin32Shell();
  EXPECT_FALSE(shell->Run("\"" + dir.File("fehlt.exe") + "\""));
  EXPECT_FALSE(shell->Run(""));
  EXPECT_FALSE(shell->Open(dir.File("fehlt.txt"), ShowMode::kNormal));
  EXPECT_TRUE(shell->Run("cmd.exe /c exit 0"));
}

TEST(Win32Desktop, SeesItsOwnWindowsTitlesAndZOrder) {
  auto desktop = MakeWin32Desktop();
  const std::string title = "Qm Fenster \xC3\xBC\xF0\x9F\x98\x80";  // ü 😀
  HWND window = CreateWindowExW(0, L"STATIC", Utf8ToWide(title).c_str(), WS_POPUP | WS_VISIBLE, 10,
                                10, 50, 50, nullptr, nullptr, nullptr, nullptr);
  HWND hidden = CreateWindowExW(0, L"STATIC", L"versteckt", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(window && hidden);
  const auto handle = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
  const auto hidden_handle = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hidden));

  EXPECT_EQ(desktop->Title(handle), title);
  EXPECT_TRUE(desktop->IsVisible(handle));
  EXPECT_FALSE(desktop->IsVisible(hidden_handle));
  const std::vector<WindowHandle> all = desktop->TopLevelWindows();
  const auto at = std::find(all.begin(), all.end(), handle);
  ASSERT_NE(at, all.end());
  if (at + 1 != all.end()) {
    EXPECT_EQ(desktop->Below(handle), *(at + 1)) << "topmost first";
  }

  desktop->SetTopmost(handle, true);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  desktop->SetTopmost(handle, false);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(desktop->BringToFront(handle));
  EXPECT_EQ(desktop->Foreground(), handle);

  DestroyWindow(window);
  DestroyWindow(hidden);
  EXPECT_FALSE(desktop->Exists(handle));
  EXPECT_FALSE(desktop->BringToFront(handle)) << "a closed window cannot come to the front";
  EXPECT_EQ(desktop->Title(handle), "");
  EXPECT_EQ(desktop->Below(0), 0u);
}

}  // namespace
}  // namespace qm
