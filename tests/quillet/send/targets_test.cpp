// The last-used window and the title search on a desktop of windows in Z-order.
#include "quillet/send/targets.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "tests/fakes/fake_services.h"

namespace qm {
namespace {

const std::string kOwn = "\xE2\x80\xA2 Quillet 1.0";  // "• Quillet 1.0"

class TargetsTest : public testing::Test, protected FakeServices {
 protected:
  TargetsTest() { ignored.Load(ini, "C:\\Q\\Quillet.ini"); }  // the two default titles

  std::vector<std::string> Titles(const std::vector<TargetCandidate>& found) {
    std::vector<std::string> titles;
    for (const auto& c : found) titles.push_back(c.title);
    return titles;
  }

  IgnoreList ignored;
};

TEST_F(TargetsTest, LastUsedWindowIsTheFirstUsableOneFromTheForegroundDown) {
  const struct {
    const char* name;
    std::vector<FakeDesktop::Window> windows;  // handles 1.., topmost first; 1 in front
    WindowHandle expected;
    std::vector<std::string> usable;
  } cases[] = {
      {"an ignored window in front",
       {{1, "DFÜ-Netzwerkmonitor"}, {2, "Editor - a.txt"}, {3, "Rechner"}},
       2,
       {"Editor - a.txt", "Rechner"}},
      {"the program's own windows, in any letter case",
       {{1, kOwn}, {2, kOwn + " - Auswahl"}, {3, "x \xE2\x80\xA2 QUILLET 1.0 y"}, {4, "Mail"}},
       4,
       {"Mail"}},
      {"a part of an ignored title",
       {{1, "Office"}, {2, "office shortcut"}, {3, "Word"}},
       3,
       {"Word"}},
      {"an ignored title that is only a part of the window's",
       {{1, "Microsoft Office Shortcut-Leiste (2)"}},
       1,
       {"Microsoft Office Shortcut-Leiste (2)"}},
      {"hidden and untitled windows",
       {{1, "Editor", false}, {2, ""}, {3, "Rechner"}},
       3,
       {"Rechner"}},
      {"windows of the program's process, the shell's and cloaked ones",
       {{1, "Quillet - Neuen Eintrag erstellen", true, NeverTarget::kOwnProcess},
        {2, "Program Manager", true, NeverTarget::kShell},
        {3, "Editor", true, NeverTarget::kCloaked},
        {4, "Mail"}},
       4,
       {"Mail"}},
      {"nothing usable", {{1, kOwn}, {2, "Leiste"}}, 0, {}},
  };
  for (const auto& c : cases) {
    desktop.windows = c.windows;
    desktop.foreground = 1;
    std::vector<std::string> usable = {"stale"};
    std::vector<WindowHandle> windows = {99};
    EXPECT_EQ(FindLastUsedWindow(desktop, ignored, kOwn, &usable, &windows), c.expected) << c.name;
    EXPECT_EQ(usable, c.usable) << c.name;
    // Each title with its own window, for the debugger to ask about.
    ASSERT_EQ(windows.size(), usable.size()) << c.name;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      EXPECT_EQ(desktop.Title(windows[i]), usable[i]) << c.name;
    }
  }
}

// The two defaults go only into a file read without titles: one held for a moment by
// another program keeps the user's titles, in the file and in memory.
TEST_F(TargetsTest, IgnoreDefaultsGoOnlyIntoAFileReadWithoutTitles) {
  const std::string file = "C:\\Q\\Eigene.ini";
  fs.SetFile(file, "[Ignore]\r\n1=Mein\r\n");
  fs.SetUnreadable(file);
  EXPECT_FALSE(ignored.Load(ini, file));
  EXPECT_EQ(ignored.titles().size(), 3u);  // the defaults read before
  fs.SetUnreadable(file, false);
  ASSERT_TRUE(ignored.Load(ini, file));
  EXPECT_EQ(ignored.titles(), (std::vector<std::string>{"", "Mein"}));
  EXPECT_EQ(fs.Content(file), "[Ignore]\r\n1=Mein\r\n");
  // Never over a title: one that a hand edit left behind an empty first number...
  fs.SetFile(file, "[Ignore]\r\n2=Mein\r\n");
  ASSERT_TRUE(ignored.Load(ini, file));
  EXPECT_EQ(ignored.titles(), (std::vector<std::string>{"", kDefaultIgnoredTitles[0], "Mein",
                                                        kDefaultIgnoredTitles[1]}));
  // ...or one that another program writes between the look at the file and the lock.
  struct Meanwhile : FakeFileSystem {
    std::unique_ptr<FileLock> LockForUpdate(const std::string& path, Status* why) override {
      SetFile(path, "[Ignore]\r\n1=Fremd\r\n");
      return FakeFileSystem::LockForUpdate(path, why);
    }
  } meanwhile;
  IniStore other(meanwhile, ansi);
  ASSERT_TRUE(ignored.Load(other, file));
  EXPECT_EQ(meanwhile.Content(file), "[Ignore]\r\n1=Fremd\r\n");
  // A title added goes behind the file's last one, also where the list is older than the file.
  fs.SetFile(file, "[Ignore]\r\n1=Mein\r\n");
  ASSERT_TRUE(ignored.Load(ini, file));
  fs.SetFile(file, "[Ignore]\r\n1=Mein\r\n2=Fremd\r\n");
  ASSERT_TRUE(ignored.Add(ini, file, "Neu"));
  EXPECT_EQ(fs.Content(file), "[Ignore]\r\n1=Mein\r\n2=Fremd\r\n3=Neu\r\n");
  EXPECT_TRUE(ignored.Ignores("Fremd") && ignored.Ignores("neu"));
}

TEST_F(TargetsTest, TheWalkStartsAtTheForegroundWindowAndEndsOnACycle) {
  desktop.windows = {{1, "Oben"}, {2, "Vorne"}, {3, "Unten"}};
  desktop.foreground = 2;
  EXPECT_EQ(FindLastUsedWindow(desktop, ignored, kOwn, nullptr), 2u);
  desktop.foreground = 0;
  EXPECT_EQ(FindLastUsedWindow(desktop, ignored, kOwn, nullptr), 0u);

  // A Z-order that changes under the walk may lead back to a window already seen.
  class Cycle : public FakeDesktop {
   public:
    WindowHandle Below(WindowHandle w) override { return w == 2 ? 1 : FakeDesktop::Below(w); }
  } cycle;
  cycle.windows = {{1, kOwn}, {2, kOwn}};
  cycle.foreground = 1;
  EXPECT_EQ(FindLastUsedWindow(cycle, ignored, kOwn, nullptr), 0u);
}

TEST_F(TargetsTest, TitleSearch) {
  desktop.windows = {{1, "Editor - a.txt"},
                     {2, "Mein Editor"},
                     {3, "Editor - versteckt", false},
                     {4, "Rechner"},
                     {5, "Der EDITOR"},
                     {6, kOwn + " - Editor"},
                     {7, "Editor - Quillet", true, NeverTarget::kOwnProcess},
                     {8, "Editor", true, NeverTarget::kCloaked}};
  EXPECT_EQ(Titles(FindTitledWindows(desktop, "editor")),
            (std::vector<std::string>{"Editor - a.txt", "Mein Editor", "Der EDITOR",
                                      kOwn + " - Editor"}));
  EXPECT_EQ(Titles(FindTitledWindows(desktop, "VERSTECKT")), std::vector<std::string>{});
  EXPECT_EQ(Titles(FindTitledWindows(desktop, "")), std::vector<std::string>{});
  const auto found = FindTitledWindows(desktop, "rechner");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].window, 4u);
}

TEST_F(TargetsTest, TitlesAreCutAt127Characters) {
  const std::string long_title = std::string(120, 'x') + "äöüÄÖÜßend";
  desktop.windows = {{1, long_title}};
  EXPECT_EQ(WindowTitle(desktop, 1), std::string(120, 'x') + "äöüÄÖÜß");
  // What lies beyond the cut is not found, as it never was.
  EXPECT_TRUE(FindTitledWindows(desktop, "ß").size() == 1);
  EXPECT_TRUE(FindTitledWindows(desktop, "end").empty());
}

TEST_F(TargetsTest, CandidatesAreSortedAsTheChoiceListShowsThem) {
  std::vector<TargetCandidate> candidates = {{"editor b", 1}, {"Editor A", 2},  {"Editor b", 3},
                                             {"EDITOR a", 4}, {"Ärger", 5},     {"Arzt", 6},
                                             {"Straße", 7},   {"Strasse 2", 8}, {"Zebra", 9}};
  SortForChoice(candidates);
  std::vector<WindowHandle> order;
  for (const auto& c : candidates) order.push_back(c.window);
  // Equal titles stay in their order on screen, so each item still leads to its own window.
  EXPECT_EQ(order, (std::vector<WindowHandle>{5, 6, 2, 4, 1, 3, 7, 8, 9}));

  // The list box's own comparison, where the program has one, decides instead.
  SortForChoice(candidates, [](const std::string& t) { return t == "Zebra" ? "" : t; });
  EXPECT_EQ(candidates.front().window, 9u);
}

}  // namespace
}  // namespace qm
