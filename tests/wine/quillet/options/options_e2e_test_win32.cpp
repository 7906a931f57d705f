// Quillet.exe's Options dialog, driven from outside: the edge bars and "&OK" move the strip,
// the close box keeps everything where it was, icon-only hides the strip, the cascading box
// changes the next menu at once, and the menu item opens the dialog modal.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"
#include "quillet/options/options_form_win32.h"
#include "store/ini_store.h"
#include "tests/wine/support/quillet_driver_win32.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

// A control of `parent` or of its panels, by its window text.
HWND FindControl(HWND parent, const std::string& text) {
  struct Search {
    const std::string* text;
    HWND found;
  } s{&text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM lp) -> BOOL {
        auto* search = reinterpret_cast<Search*>(lp);
        if (Text(w) != *search->text) return TRUE;
        search->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

std::string ReadFileBytes(const std::string& path) {
  return MakeOsFileSystem()->ReadAll(path).value_or("<none>");
}

class QuilletOptionsTest : public QuilletFixture {
 protected:
  // Two entries, one ignored title so that the start writes nothing, and the strip's settings.
  void WriteLibrary(const std::string& via_border, const std::string& pos) {
    ASSERT_TRUE(WriteRawFile(folder.WFile(L"Quillet.ini"),
                             "[Name]\r\n1=Birne\r\n2=Apfel\r\n[Text]\r\n1=b\r\n2=a\r\n"
                             "[Ignore]\r\n1=x\r\n[Common]\r\nPumActViaBorder=" +
                                 via_border + "\r\nPumActPos=" + pos + "\r\n"));
  }
  // The main window, then its button "&Optionen": the dialog beside it, modeless.
  HWND OpenOptions() {
    PostMessageW(main, RegisterWindowMessageW(kShowMainWindowMessage), 0, 0);
    if (!WaitUntil([&] { return IsWindowVisible(main) != FALSE; })) return nullptr;
    Click(main, CommandId(QuilletCommand::kOptions));
    return WaitForProcessWindow(quillet.pid(),
                                [](HWND w) { return ClassOf(w) == kOptionsFormClass; });
  }
  // The user's close: the close box or the system menu.
  static void CloseBox(HWND options) { PostMessageW(options, WM_SYSCOMMAND, SC_CLOSE, 0); }
};

TEST_F(QuilletOptionsTest, AnotherEdgeMovesTheStripOnlyWithOk) {
  WriteLibrary("1", "0");
  const std::string before = ReadFileBytes(data_file);
  Start();
  HWND strip = Strip();
  ASSERT_NE(strip, nullptr);
  ASSERT_EQ(WindowRect(strip).top, 0);
  ASSERT_EQ(WindowRect(strip).bottom, 1);

  // Closed with its close box: the right edge stays a choice in memory only.
  HWND options = OpenOptions();
  ASSERT_NE(options, nullptr) << "no Options dialog";
  EXPECT_NE(Text(options).find(" - Optionen"), std::string::npos) << Text(options);
  HWND right = FindControl(options, "Rechts");
  ASSERT_NE(right, nullptr);
  PostMessageW(right, BM_CLICK, 0, 0);
  Sleep(300);
  CloseBox(options);
  ASSERT_TRUE(WaitGone(options));
  Sleep(300);
  EXPECT_EQ(WindowRect(strip).top, 0);
  EXPECT_EQ(WindowRect(strip).bottom, 1);
  EXPECT_EQ(ReadFileBytes(data_file), before);

  // "&OK" stores the choice and moves the strip to the right edge.
  options = OpenOptions();
  ASSERT_NE(options, nullptr);
  Click(options, CommandId(QuilletCommand::kOptOk));
  ASSERT_TRUE(WaitGone(options));
  const int width = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_TRUE(WaitUntil([&] { return WindowRect(strip).left == width - 1; }))
      << WindowRect(strip).left;
  EXPECT_EQ(WindowRect(strip).right, width);
  EXPECT_EQ(WindowRect(strip).bottom - WindowRect(strip).top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_NE(ReadFileBytes(data_file).find("PumActPos=3\r\n"), std::string::npos);
}

TEST_F(QuilletOptionsTest, IconOnlyHidesTheStripControlsAndWithOkTheStrip) {
  WriteLibrary("1", "2");
  Start();
  HWND strip = Strip();
  ASSERT_NE(strip, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(strip) != FALSE; }));

  HWND options = OpenOptions();
  ASSERT_NE(options, nullptr) << "no Options dialog";
  HWND bar = FindControl(options, "Links");
  HWND colour = GetDlgItem(options, CommandId(QuilletCommand::kOptColour));
  HWND circle = GetDlgItem(options, kRedCircle);
  HWND hover = FindControl(options, "&Maus über Desktop-Rand");
  ASSERT_TRUE(bar && colour && circle && hover);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_FALSE(IsWindowVisible(circle));
  EXPECT_TRUE(IsWindowEnabled(hover));

  PostMessageW(FindControl(options, "nur per Klick auf &Icon in der Taskleiste"), BM_CLICK, 0,
               0);
  // The controls change one after another: all of them are waited for.
  EXPECT_TRUE(WaitUntil([&] {
    return !IsWindowVisible(bar) && !IsWindowVisible(colour) && IsWindowVisible(circle) &&
           !IsWindowEnabled(hover);
  }));
  EXPECT_FALSE(IsWindowVisible(colour));
  EXPECT_TRUE(IsWindowVisible(circle));
  EXPECT_FALSE(IsWindowEnabled(hover));
  // Not before "&OK".
  EXPECT_TRUE(IsWindowVisible(strip));

  Click(options, CommandId(QuilletCommand::kOptOk));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(strip); }));
  EXPECT_NE(ReadFileBytes(data_file).find("PumActViaBorder=0\r\n"), std::string::npos);
}

TEST_F(QuilletOptionsTest, TheCascadingBoxChangesTheNextMenuBeforeOk) {
  WriteLibrary("0", "0");
  const std::string before = ReadFileBytes(data_file);
  Start();
  HWND options = OpenOptions();
  ASSERT_NE(options, nullptr) << "no Options dialog";
  Click(options, kCascadingCheck);
  ASSERT_TRUE(WaitUntil([&] {
    return SendMessageW(GetDlgItem(options, kCascadingCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }));

  // The first items are now the groups "&A" and "&B", which open submenus; flat, the same
  // keys open nothing.
  HWND menu = OpenSnippetMenu(main);
  ASSERT_NE(menu, nullptr) << "no snippet menu";
  bool group = false;
  for (int attempt = 0; attempt < 2 && !group; ++attempt) {
    Key(menu, VK_DOWN);
    Key(menu, VK_RIGHT);
    group = WaitUntil([] { return OpenMenus() == 2; }, 3000);
  }
  EXPECT_TRUE(group) << "no letter group";
  Key(menu, VK_ESCAPE);
  Key(menu, VK_ESCAPE);
  WaitGone(menu);
  EXPECT_EQ(ReadFileBytes(data_file), before);
}

TEST_F(QuilletOptionsTest, TheMenuItemOpensTheDialogModal) {
  WriteLibrary("0", "0");
  Start();
  PostMessageW(main, RegisterWindowMessageW(kShowMainWindowMessage), 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuOptions), 0);
  HWND options = WaitForProcessWindow(quillet.pid(),
                                      [](HWND w) { return ClassOf(w) == kOptionsFormClass; });
  ASSERT_NE(options, nullptr) << "no Options dialog";
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main); }));
  CloseBox(options);
  ASSERT_TRUE(WaitGone(options));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));

  // And again, left with "&OK" this time.
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuOptions), 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(options) && !IsWindowEnabled(main); }));
  Click(options, CommandId(QuilletCommand::kOptOk));
  ASSERT_TRUE(WaitGone(options));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
}

}  // namespace
}  // namespace qm
