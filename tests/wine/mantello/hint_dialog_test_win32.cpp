// Mantello's start hint as a real modal dialog, driven from another thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "mantello/hints.h"
#include "mantello/start_info_dialog_win32.h"
#include "platform/file_system_win32.h"
#include "platform/utf16_win32.h"
#include "tests/fakes/fake_settings_store.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

constexpr int kBox = 1001, kLabel = 1002, kPicture = 1003;

// A 24 x 16 pixel JPEG.
const char kJpeg[] =
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb\x00"
    "\x43"
    "\x00\x0a\x07\x07\x08\x07\x06\x0a\x08\x08\x08\x0b\x0a\x0a\x0b\x0e\x18\x10\x0e\x0d\x0d\x0e\x1d"
    "\x15"
    "\x16\x11\x18\x23\x1f\x25\x24\x22\x1f\x22\x21\x26\x2b\x37\x2f\x26\x29\x34\x29\x21\x22\x30\x41"
    "\x31"
    "\x34\x39\x3b\x3e\x3e\x3e\x25\x2e\x44\x49\x43\x3c\x48\x37\x3d\x3e\x3b\xff\xdb\x00\x43\x01\x0a"
    "\x0b"
    "\x0b\x0e\x0d\x0e\x1c\x10\x10\x1c\x3b\x28\x22\x28\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b"
    "\x3b"
    "\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b"
    "\x3b"
    "\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\x3b\xff\xc0\x00\x11\x08\x00\x10\x00\x18"
    "\x03"
    "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xc4\x00\x16\x00\x01\x01\x01\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x04\x05\xff\xc4\x00\x15\x10\x01\x01\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x13\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x05\xff\xc4\x00\x16\x11\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x15\x61\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\xc6\xa1"
    "\x44"
    "\xb4\x28\xa2\xb2\x15\x58\x52\xaa\x09\x68\x0b\x20\x61\x4f\xff\xd9";

struct Seen {
  bool shown = false;
  std::string caption, label, box;
  int label_width = 0;
  bool picture_visible = false;
  std::string message;  // the text of a message box that followed, if any
};

enum class Finish { kTickAndOk, kOk, kTickAndClose, kEscape };

BOOL CALLBACK CollectStatics(HWND child, LPARAM out) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"Static") == 0)
    *reinterpret_cast<std::string*>(out) += test::ControlText(child);
  return TRUE;
}

class HintDialogTest : public testing::Test {
 protected:
  HintDialogTest() : settings_(store_, "Mantello") {}

  StartHintContext Context() {
    return {GetModuleHandleW(nullptr),
            nullptr,
            LoadIconW(nullptr, IDI_APPLICATION),
            settings_,
            fs_,
            WideToUtf8(dir_.wpath()) + "\\",
            "1.0.1"};
  }

  // Shows the hint while another thread looks at it and closes it the way `finish` says.
  Seen Show(const std::string& id, Finish finish, const std::string& image = "",
            DWORD wait_ms = 10000) {
    Seen seen;
    std::thread user([&] {
      HWND dialog = test::WaitForWindow(L"MantelloHintDialog", nullptr, wait_ms);
      if (!dialog) return;
      seen.shown = true;
      seen.caption = test::ControlText(dialog);
      seen.label = test::ControlText(GetDlgItem(dialog, kLabel));
      seen.box = test::ControlText(GetDlgItem(dialog, kBox));
      const RECT r = test::ControlRect(GetDlgItem(dialog, kLabel));
      seen.label_width = r.right - r.left;
      seen.picture_visible = IsWindowVisible(GetDlgItem(dialog, kPicture));
      if (finish == Finish::kTickAndOk || finish == Finish::kTickAndClose) {
        SendMessageW(GetDlgItem(dialog, kBox), BM_CLICK, 0, 0);
      }
      if (finish == Finish::kTickAndOk || finish == Finish::kOk) {
        // Posted: the click may open a message box, which would block a sent one.
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      } else if (finish == Finish::kEscape) {
        PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
      } else {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      }
      // A failure to store the choice is told in a message box over the dialog.
      HWND box = finish == Finish::kTickAndOk ? test::WaitForWindow(L"#32770", L"Mantello", 1500)
                                              : nullptr;
      if (box) {
        EnumChildWindows(box, CollectStatics, reinterpret_cast<LPARAM>(&seen.message));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      // Should the dialog still be open, the test must not hang on it.
      for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(20);
      if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShowStartHint(Context(), kStartHintText, id, image);
    user.join();
    return seen;
  }

  FakeSettingsStore store_;
  UserSettings settings_;
  test::TempFolder dir_;
  Win32FileSystem fs_;
};

TEST_F(HintDialogTest, TickedBoxAndOkSwitchTheHintOffForThisVersionOnly) {
  const Seen first = Show("Start", Finish::kTickAndOk);
  ASSERT_TRUE(first.shown);
  EXPECT_EQ(first.caption, "Mantello");
  EXPECT_EQ(first.box, kNeverShowAgainCaption);
  EXPECT_NE(first.label.find("verankert.\r\n\r\nMarkieren"), std::string::npos)
      << "line breaks as the static control shows them: " << first.label;
  EXPECT_EQ(first.message, "");
  EXPECT_EQ(settings_.ReadUserSetting("_SIDStart", ""), "1.0.1");

  const DWORD start = GetTickCount();
  EXPECT_FALSE(Show("Start", Finish::kOk, "", 1000).shown) << "switched off";
  EXPECT_LT(GetTickCount() - start, 3000u);

  EXPECT_TRUE(Show("Kodiert", Finish::kOk).shown) << "another hint still shows";
  EXPECT_EQ(settings_.ReadUserSetting("_SIDKodiert", ""), "")
      << "OK without the box stores nothing";

  store_.values[{"Mantello", "_SIDStart"}] = "0.9.0";
  EXPECT_TRUE(Show("Start", Finish::kOk).shown) << "a new version shows the hint again";
}

TEST_F(HintDialogTest, ClosingAnyOtherWayStoresNothing) {
  for (const Finish finish : {Finish::kTickAndClose, Finish::kEscape}) {
    EXPECT_TRUE(Show("Start", finish).shown);
    EXPECT_TRUE(store_.values.empty());
  }
}

TEST_F(HintDialogTest, AFailedSaveIsToldNotSwallowed) {
  store_.fail_writes = true;
  const Seen seen = Show("Start", Finish::kTickAndOk);
  ASSERT_TRUE(seen.shown);
  EXPECT_NE(seen.message.find("nicht gespeichert"), std::string::npos) << seen.message;
}

TEST_F(HintDialogTest, PictureShowsOnlyWhenItLoadsAndNarrowsTheText) {
  ASSERT_TRUE(test::WriteRawFile(dir_.WFile(L"hinweis.jpg"), std::string(kJpeg, sizeof kJpeg - 1)));
  ASSERT_TRUE(test::WriteRawFile(dir_.WFile(L"kaputt.jpg"), "kein Bild"));
  const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return value;
  }();

  const Seen with = Show("A", Finish::kOk, "hinweis.jpg");
  ASSERT_TRUE(with.shown);
  EXPECT_TRUE(with.picture_visible);
  EXPECT_EQ(with.label_width, MulDiv(2475, dpi, 1440));

  for (const char* image : {"kaputt.jpg", "fehlt.jpg", ""}) {
    const Seen without = Show("A", Finish::kOk, image);
    ASSERT_TRUE(without.shown) << image;
    EXPECT_FALSE(without.picture_visible) << image;
    EXPECT_EQ(without.label_width, MulDiv(4575, dpi, 1440)) << image;
  }
}

}  // namespace
}  // namespace qm
