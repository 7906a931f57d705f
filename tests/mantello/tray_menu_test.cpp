// Mantello's tray menu and the shared pieces behind it: autostart, help search, About texts.
#include "mantello/tray_menu.h"

#include <gtest/gtest.h>

#include "mantello/hints.h"
#include "tests/fakes/fake_dialogs.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_settings_store.h"
#include "tests/fakes/fake_shell.h"
#include "text/utf.h"
#include "ui/about.h"
#include "ui/app_version.h"
#include "ui/autostart.h"
#include "ui/help.h"
#include "ui/tray_dispatch.h"
#include "ui/version_text.h"

namespace qm {
namespace {

struct MenuHarness {
  std::vector<MantelloCommand> choices;  // what the user picks at each opening
  std::vector<ScreenPoint> opened_at;
  std::vector<bool> check_marks;
  std::vector<std::string> done;
  bool autostart = false;
  ScreenPoint pointer{500, 700};

  TrayMenu Make() {
    TrayMenuActions a;
    a.encode = [this] { done.push_back("encode"); };
    a.help = [this] { done.push_back("help"); };
    a.info = [this] { done.push_back("info"); };
    a.quit = [this] { done.push_back("quit"); };
    a.set_autostart = [this](bool on) { autostart = on; };
    a.autostart_on = [this] { return autostart; };
    a.cursor = [this] { return pointer; };
    a.open_menu = [this](const std::vector<TrayMenuItem>& items, ScreenPoint at) {
      opened_at.push_back(at);
      check_marks.push_back(items[5].checked);  // "&Autostart"
      const MantelloCommand pick = choices.empty() ? MantelloCommand::kNone : choices.front();
      if (!choices.empty()) choices.erase(choices.begin());
      pointer.x += 10;  // the pointer moves while the menu is open
      pointer.y += 10;
      return pick;
    };
    return TrayMenu(a);
  }
};

TEST(TrayMenu, AutostartReopensAtTheSameHeightWithTheMarkChanged) {
  MenuHarness h;
  h.choices = {MantelloCommand::kAutostart, MantelloCommand::kAutostart, MantelloCommand::kCancel};
  h.Make().Show();
  ASSERT_EQ(h.opened_at.size(), 3u);
  EXPECT_EQ(h.check_marks, (std::vector<bool>{false, true, false}));
  for (const ScreenPoint& p : h.opened_at) EXPECT_EQ(p.y, 700);
  EXPECT_EQ(h.opened_at[1].x, 510);  // centred on the pointer where it is now
  EXPECT_FALSE(h.autostart);
}

TEST(TrayMenu, ItemsRunTheirActionsAndTheMenuClosesAfterThem) {
  const std::pair<MantelloCommand, const char*> cases[] = {{MantelloCommand::kEncode, "encode"},
                                                           {MantelloCommand::kHelp, "help"},
                                                           {MantelloCommand::kInfo, "info"},
                                                           {MantelloCommand::kQuit, "quit"}};
  for (const auto& [command, action] : cases) {
    MenuHarness h;
    h.choices = {command};
    h.Make().Show();
    EXPECT_EQ(h.opened_at.size(), 1u);
    EXPECT_EQ(h.done, std::vector<std::string>{action});
  }
  MenuHarness h;
  h.Make().Show();  // closed without a choice
  EXPECT_TRUE(h.done.empty());
  const auto items = MantelloTrayMenu(true);
  EXPECT_EQ(items.size(), 9u);
  EXPECT_EQ(items[6].command, MantelloCommand::kQuit);
  EXPECT_EQ(items[6].caption, "&Beenden");
  EXPECT_TRUE(items[1].caption.empty() && items[4].caption.empty() && items[7].caption.empty());
}

TEST(TrayDispatch, MouseMessagesBecomeTheirEvents) {
  using E = TrayEvent;
  const std::pair<std::intptr_t, E> cases[] = {
      {0x0201, E::kLeftDown}, {0x0204, E::kRightDown}, {0x0203, E::kDoubleClick},
      {0x0206, E::kDoubleClick}, {0x0202, E::kNone}, {0x0200, E::kNone}, {0x0207, E::kNone},
      {0x0205, E::kNone}, {0x70201, E::kLeftDown}};
  for (const auto& [mouse, expected] : cases) EXPECT_EQ(TrayEventOf(mouse), expected) << mouse;
  EXPECT_EQ(TrayTip(std::string(70, 'x')), std::string(63, 'x'));
  EXPECT_EQ(CountCodePoints(TrayTip(std::string(70, 'x') + "\xC3\xBC")), 63u);
  EXPECT_EQ(TrayTip(kMantelloTip), kMantelloTip);
}

class AutostartTest : public testing::Test {
 protected:
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  FakeRegistry reg;
  FakeFileSystem fs;
  FakeDialogs dialogs;
  AutostartSwitch sw{reg, fs, dialogs, "Mantello", "C:\\Tools\\Mantello.exe /AUTOSTART"};
};

TEST_F(AutostartTest, OldStartupShortcutIsReplacedByTheRunValue) {
  reg.values[FakeRegistry::Id(kShellFoldersKey, "Startup")] = "C:\\Startmen\xC3\xBC";
  fs.SetFile("C:\\Startmen\xC3\xBC\\Mantello.lnk", "lnk");
  fs.SetReadOnly("C:\\Startmen\xC3\xBC\\Mantello.lnk", true);
  EXPECT_TRUE(sw.Init());
  EXPECT_FALSE(fs.Exists("C:\\Startmen\xC3\xBC\\Mantello.lnk"));
  EXPECT_EQ(reg.ReadString(run, "Mantello").value_or(""), "C:\\Tools\\Mantello.exe /AUTOSTART");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutostartTest, NothingIsWrittenUntilTheUserSwitches) {
  sw.Apply(true);  // start-up still setting the switch
  EXPECT_TRUE(reg.values.empty());
  EXPECT_FALSE(sw.Init());
  EXPECT_TRUE(reg.values.empty());
  sw.Apply(true);
  sw.Apply(true);
  EXPECT_EQ(reg.values.size(), 1u);
  AutostartSwitch again{reg, fs, dialogs, "Mantello", "x"};
  EXPECT_TRUE(again.Init());
  sw.Apply(false);
  EXPECT_FALSE(reg.ReadString(run, "Mantello").has_value());
}

TEST(Help, FirstExistingCandidateWins) {
  FakeFileSystem fs;
  FakeShell shell;
  FakeDialogs dialogs;
  const HelpServices h{fs, shell, dialogs, "C:\\P\\", "Mantello"};
  ShowHelp(h, "", false);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Die Online-Hilfe konnte leider nicht gefunden werden ...");
  EXPECT_TRUE(shell.opened.empty());

  fs.SetFile("C:\\P\\hilfe\\index.htm", "");
  EXPECT_EQ(FindHelpFile(fs, "C:\\P\\"), "C:\\P\\hilfe\\index.htm");
  fs.SetFile("C:\\P\\hilfe.html", "");
  EXPECT_EQ(FindHelpFile(fs, "C:\\P\\"), "C:\\P\\hilfe.html");
  fs.SetFile("C:\\P\\index.html", "");
  ShowHelp(h, "C:\\P\\gone.htm", true);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"C:\\P\\index.html"});
  EXPECT_EQ(dialogs.messages.back().text,
            "HTML-Hilfetext wurde an den Standard-Browser geschickt ...");
  EXPECT_EQ(FindHelpFile(fs, "/opt/p/"), "");
}

// A hint is switched off for one version of the program, under its own key.
TEST(Hints, SwitchedOffPerHintAndPerVersion) {
  FakeSettingsStore store;
  UserSettings settings(store, "Mantello");
  const std::string version = AppVersionString(VersionText::kFull);
  EXPECT_EQ(version, QM_VERSION_TEXT);
  ASSERT_TRUE(SwitchOffHint(settings, "1", version));
  EXPECT_EQ((store.values[{"Mantello", "_SID1"}]), version);
  EXPECT_TRUE(HintSwitchedOff(settings, "1", version));
  EXPECT_FALSE(HintSwitchedOff(settings, "2", version));
  EXPECT_FALSE(HintSwitchedOff(settings, "1", "9.9.9"));  // a new version shows it again
}

TEST(About, AddressesCaptionsAndPlacement) {
  const ProgramInfo p{"Mantello", "Sichert Ihre Webseiten gegen Adress- und Code-Diebe."};
  EXPECT_EQ(AboutMailAddress(p, " (V1.2)", "5.1.2600"),
            "mailto:support@ferrandel.example?subject=Ihre Software Mantello (V1.2) unter "
            "Windows 5.1.2600");
  EXPECT_EQ(AboutUpdateAddress(p, "1.2.3", "10.0.19045"),
            "https://www.ferrandel.example/?find_update&app=mantello&ver=1.2.3&win=10.0.19045");
  EXPECT_EQ(FreewareAbout(p, " (V1.2)", "2024-2026").caption, "Info über Mantello");
  const AboutContent c = CommercialAbout(p, " (V1.2)", "2024-2026");
  EXPECT_EQ(c.caption, "Mantello - Info");
  EXPECT_EQ(c.buttons[0].caption, "Ferrandel besuchen");
  EXPECT_EQ(c.buttons[1].caption, "&Schliessen");
  EXPECT_NE(c.text.find("Mantello (V1.2)\r\nSichert"), std::string::npos);
  EXPECT_EQ(AboutPosition(640, 480, 300, 200).x, 0);
  EXPECT_EQ(AboutPosition(800, 480, 300, 200).y, 0);
  EXPECT_EQ(AboutPosition(800, 600, 301, 200).x, 249);
  EXPECT_EQ(AboutPosition(800, 600, 301, 200).y, 200);
}

}  // namespace
}  // namespace qm
