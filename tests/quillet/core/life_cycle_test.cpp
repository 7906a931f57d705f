// Quillet's life cycle against fakes: the data file's three modes and the folder choice, the
// order of start-up, captions, the popup settings, and a start that writes nothing.
#include "quillet/core/life_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <tuple>
#include <utility>

#include "tests/fakes/fake_main_view.h"
#include "tests/fakes/fake_services.h"
#include "ui/version_text.h"

namespace qm {
namespace {

const std::string kDir = "C:\\Programme\\Quillet\\";
const std::string kDefault = kDir + "Quillet.ini";
const std::string kSample =
    "[Name]\r\n1=Gru\xDF\r\n[Text]\r\n1=Hallo\\N\r\n[Ignore]\r\n1=Leiste\r\n[Common]\r\n"
    "PumActPos=1\r\n";

class QuilletCoreTest : public testing::Test, protected FakeServices {
 protected:
  FakeMainView view;
  std::vector<std::string> calls;

  LifecycleHooks Recording() {
    LifecycleHooks h;
    auto rec = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
    h.set_captions = [this](const std::string& c) { calls.push_back("caption " + c); };
    h.init_layout = rec("layout");
    h.restore_geometry = rec("geometry");
    h.install_tray_and_hide = rec("tray");
    h.welcome = rec("welcome");
    h.show_path = [this](const std::string& p) { calls.push_back("path " + p); };
    h.place_edge_strip = rec("strip");
    h.start_poll_timer = rec("timer");
    h.show_monitor = rec("monitor");
    h.unload_other_windows = rec("unload");
    h.save_geometry = rec("save geometry");
    h.remove_tray = rec("remove tray");
    h.retry_later = rec("retry");
    return h;
  }
  std::unique_ptr<QuilletCore> Core() {
    system.exe_path = kDir + "Quillet.exe";
    return std::make_unique<QuilletCore>(core_services(), view, Recording());
  }
  std::string StoredPath() {
    auto it = settings.values.find({"Quillet", "path"});
    return it == settings.values.end() ? "<none>" : it->second;
  }
};

TEST_F(QuilletCoreTest, FirstStartCopiesTheSampleAndWritesNothingIntoIt) {
  fs.SetFile(kDir + "sample.ini", kSample);
  auto core = Core();
  core->Startup("/AUTOSTART");
  EXPECT_EQ(core->data_file(), kDefault);
  EXPECT_EQ(StoredPath(), kDefault);
  EXPECT_EQ(fs.Content(kDefault), kSample);  // byte for byte as shipped
  EXPECT_EQ(view.Names(), std::vector<std::string>{"Gru\xC3\x9F"});
  EXPECT_EQ(core->ignore_list().titles(), (std::vector<std::string>{"", "Leiste"}));
  EXPECT_EQ(core->popup_settings().pos, 1);
  EXPECT_FALSE(core->debug_mode());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "welcome"), 1);
  // Said once: not at the next start, nor where the library is gone and copied again.
  for (bool library_gone : {false, true}) {
    if (library_gone) fs.Delete(kDefault);
    calls.clear();
    Core()->Startup("");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "welcome"), 0) << library_gone;
  }
}

TEST_F(QuilletCoreTest, StartUpRunsInItsOrder) {
  auto core = Core();
  core->Startup(" DEBUG ");
  const std::string caption = "\xE2\x80\xA2 Quillet " + AppVersionString(VersionText::kShort);
  EXPECT_EQ(calls, (std::vector<std::string>{"path " + kDefault, "strip", "caption " + caption,
                                             "layout", "geometry", "strip", "monitor"}));
  EXPECT_TRUE(core->debug_mode());
  calls.clear();
  core->Shutdown();
  EXPECT_EQ(calls, (std::vector<std::string>{"unload", "save geometry"}));

  calls.clear();
  system.version.platform_id = 1;  // outside the NT family: the poll timer, the other prefix
  auto normal = Core();
  normal->Startup("debugx");
  EXPECT_EQ(calls,
            (std::vector<std::string>{"path " + kDefault, "strip",
                                      "caption :: Quillet " + AppVersionString(VersionText::kShort),
                                      "layout", "geometry", "tray", "strip", "timer"}));
  calls.clear();
  normal->Shutdown();
  EXPECT_EQ(calls, (std::vector<std::string>{"unload", "save geometry", "remove tray"}));
}

TEST_F(QuilletCoreTest, WithoutSampleTheIgnoreDefaultsCreateTheFile) {
  auto core = Core();
  core->Startup("");
  EXPECT_EQ(view.ListCount(), 0);
  EXPECT_EQ(ini.ReadIniValue("Ignore", "1", "", kDefault), "DF\xC3\x9C-Netzwerkmonitor");
  EXPECT_EQ(ini.ReadIniValue("Ignore", "2", "", kDefault), "Microsoft Office Shortcut-Leiste");
  EXPECT_EQ(ini.ReadIniValue("Ignore", "3", "", kDefault), "");
}

TEST_F(QuilletCoreTest, AStoredPathIsUsedOrFallsBackWithAMessage) {
  fs.SetFile("D:\\Daten\\Quillet.ini", "[Name]\r\n1=dort\r\n[Ignore]\r\n1=x\r\n");
  settings.values[{"Quillet", "path"}] = "D:\\Daten\\Quillet.ini";
  auto core = Core();
  core->Startup("");
  EXPECT_EQ(core->data_file(), "D:\\Daten\\Quillet.ini");
  EXPECT_EQ(view.Names(), std::vector<std::string>{"dort"});
  EXPECT_TRUE(dialogs.messages.empty());

  settings.values[{"Quillet", "path"}] = "E:\\weg\\Quillet.ini";
  auto again = Core();
  again->Startup("");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "Im angegebenen Ordner befindet sich keine Quillet-datei.\r\rDie Pfadangabe wird "
            "daher auf Standardwerte zurückgesetzt.");
  EXPECT_EQ(dialogs.messages[0].title, "Quillet");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(again->data_file(), kDefault);
  EXPECT_EQ(StoredPath(), kDefault);
}

// Taking over from a running instance goes on with its file, for this run only; a file that
// is not there any more gives way to the stored path.
TEST_F(QuilletCoreTest, ATakeOverGoesOnWithTheFileItWasHanded) {
  fs.SetFile("D:\\Daten\\Quillet.ini", "[Name]\r\n1=dort\r\n[Ignore]\r\n1=x\r\n");
  fs.SetFile("E:\\Nur hier\\Quillet.ini", "[Name]\r\n1=hier\r\n[Ignore]\r\n1=x\r\n");
  settings.values[{"Quillet", "path"}] = "D:\\Daten\\Quillet.ini";
  auto core = Core();
  core->Startup(TakeOverCommandLine("E:\\Nur hier\\Quillet.ini"));
  EXPECT_EQ(core->data_file(), "E:\\Nur hier\\Quillet.ini");
  EXPECT_EQ(view.Names(), std::vector<std::string>{"hier"});
  EXPECT_EQ(StoredPath(), "D:\\Daten\\Quillet.ini");
  auto again = Core();
  again->Startup(TakeOverCommandLine("E:\\weg\\Quillet.ini"));
  EXPECT_EQ(again->data_file(), "D:\\Daten\\Quillet.ini");
  EXPECT_TRUE(dialogs.messages.empty());
}

// A network drive is often connected after the program starts at sign-in: its library is
// waited for or asked about, and used this run or the next, never given up for good.
TEST_F(QuilletCoreTest, AStoredLibraryOutOfReachIsWaitedForAndKept) {
  const std::string shared = "N:\\Team\\Quillet.ini";
  const struct {
    const char* command_line;
    int comes_after_ms;  // -1: not at all
    std::deque<MessageAnswer> answers;
    std::int64_t waited_ms;
    bool used;
  } cases[] = {
      {"/autostart", 5000, {}, 5000, true},
      {"/AUTOSTART", -1, {MessageAnswer::kCancel}, kReachWaitMs, false},
      {"", -1, {MessageAnswer::kRetry, MessageAnswer::kCancel}, 0, false},
  };
  fs.SetFile(kDefault, kSample);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command_line);
    fs.SetFile(shared, "[Name]\r\n1=geteilt\r\n[Ignore]\r\n1=x\r\n");
    fs.SetUnreachable("N:\\");
    settings.values[{"Quillet", "path"}] = shared;
    dialogs.messages.clear();
    dialogs.message_answers = c.answers;
    const std::int64_t start = pause.now_ms;
    pause.on_wait = [&] {
      if (c.comes_after_ms >= 0 && pause.now_ms - start >= c.comes_after_ms) {
        fs.SetUnreachable("N:\\", false);
      }
    };
    auto core = Core();
    core->Startup(c.command_line);
    EXPECT_EQ(pause.now_ms - start, c.waited_ms);
    EXPECT_EQ(core->data_file(), c.used ? shared : kDefault);
    EXPECT_EQ(view.Names(), std::vector<std::string>{c.used ? "geteilt" : "Gru\xC3\x9F"});
    EXPECT_EQ(StoredPath(), shared);
    ASSERT_EQ(dialogs.messages.size(), c.answers.size());
    for (const auto& box : dialogs.messages) {
      EXPECT_EQ(box.buttons, MessageButtons::kRetryCancel);
      EXPECT_EQ(box.icon, MessageIcon::kExclamation);
      const std::string says = "Die Datendatei \xE2\x80\x9E" + shared + "\xE2\x80\x9C ist zurzeit";
      EXPECT_EQ(box.text.find(says), 0u) << box.text;
    }
  }
  // Ended while it waits (an uninstaller closes it): nothing is made or shown after that.
  fs.Delete(kDefault);
  fs.SetFile(kDir + "sample.ini", kSample);
  pause.on_wait = [&] { pause.ended = true; };
  calls.clear();
  Core()->Startup("/AUTOSTART");
  EXPECT_FALSE(fs.Exists(kDefault));
  EXPECT_EQ(calls, std::vector<std::string>{});
}

// A share that drops for a while: nothing the window shows is thrown away, the user is told
// once, and a text that waits goes to its entry as soon as the file is back.
TEST_F(QuilletCoreTest, ADroppedShareLosesNeitherWhatIsShownNorAPendingText) {
  const std::string shared = "N:\\Team\\Quillet.ini";
  fs.SetFile(shared,
             "[Name]\r\n1=a\r\n2=b\r\n[Text]\r\n1=A\r\n[Ignore]\r\n1=x\r\n"
             "[Common]\r\nPumActPos=2\r\n");
  settings.values[{"Quillet", "path"}] = shared;
  auto core = Core();
  core->Startup("");
  const auto shown = [&] {
    return std::make_tuple(view.Names(), view.selection, view.editor, core->popup_settings().pos);
  };
  view.editor = "neu";
  fs.SetUnreachable("N:\\");
  core->main().StorePendingEditsThen([] {});  // hidden: the failed write is told
  const auto before = shown();
  core->ReloadIfChangedOutside();  // shown again
  core->main().OnEditorLostFocus();
  EXPECT_EQ(shown(), before);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(calls.back(), "retry");
  EXPECT_TRUE(core->RetryPending(true));
  fs.SetUnreachable("N:\\", false);
  EXPECT_FALSE(core->RetryPending(true));
  EXPECT_EQ(entries.ReadEntry(1, shared).text, "neu");

  // Nothing waiting: the reload tells once, and no other entry is read from the lost file.
  fs.SetUnreachable("N:\\");
  core->ReloadIfChangedOutside();
  view.ListSelect(1);
  core->main().OnListClick();
  EXPECT_EQ(shown(), before);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(core->RetryPending(false));
  fs.SetUnreachable("N:\\", false);
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(IniStore(fs, ansi).WriteIniValue("Name", "3", "c", shared));
  EXPECT_FALSE(core->RetryPending(false));  // hidden: read again at once
  EXPECT_EQ(view.Names(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(QuilletCoreTest, ChoosingAFolderSwitchesAsksOrStops) {
  auto core = Core();
  core->Startup("");
  fs.SetFile("F:\\Team\\Quillet.ini", "[Name]\r\n1=geteilt\r\n[Ignore]\r\n1=x\r\n");
  dialogs.folder_answers = {std::nullopt, std::string("F:\\Team"), std::string("G:\\Neu\\"),
                            std::string("H:\\Nein")};
  dialogs.message_answers = {MessageAnswer::kYes, MessageAnswer::kNo};
  EXPECT_FALSE(core->ResolveDataFile(DataFileMode::kChooseFolder));
  EXPECT_EQ(core->data_file(), kDefault);
  EXPECT_TRUE(core->ResolveDataFile(DataFileMode::kChooseFolder));
  EXPECT_EQ(core->data_file(), "F:\\Team\\Quillet.ini");
  EXPECT_EQ(view.Names(), std::vector<std::string>{"geteilt"});
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(core->ResolveDataFile(DataFileMode::kChooseFolder));
  EXPECT_EQ(core->data_file(), "G:\\Neu\\Quillet.ini");
  EXPECT_TRUE(fs.Exists("G:\\Neu\\Quillet.ini"));
  EXPECT_EQ(dialogs.messages.at(0).text,
            "Im ausgewählten Ordner befindet sich (noch) keine Quillet-datei.\r\rMöchten Sie "
            "eine neue anlegen?");
  EXPECT_FALSE(core->ResolveDataFile(DataFileMode::kChooseFolder));
  EXPECT_EQ(core->data_file(), "G:\\Neu\\Quillet.ini");
  EXPECT_EQ(StoredPath(), "G:\\Neu\\Quillet.ini");
  EXPECT_EQ(dialogs.folder_prompts.at(0), "Bitte wählen Sie den neuen Ablageordner:");
}

// Dialogs during which the main window is activated again, as when a message box closes.
class ActivatingDialogs : public FakeDialogs {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    Open();
    return FakeDialogs::ShowMessage(text, title, icon, buttons);
  }
  std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
    Open();
    return FakeDialogs::AskText(prompt, title, initial);
  }
  std::function<void()> while_open;

 private:
  void Open() {
    if (auto hook = std::exchange(while_open, nullptr)) hook();
  }
};

TEST_F(QuilletCoreTest, AReloadWaitsUntilTheCommandThatOpenedADialogIsDone) {
  const struct {
    const char* name;
    std::function<void(MainModel&)> command;
    std::map<std::string, std::string> expected;  // name -> text of every entry afterwards
  } cases[] = {
      {"delete", [](MainModel& m) { m.DeleteEntry(); }, {{"a", "A"}, {"c", "C"}, {"0neu", "N"}}},
      {"rename",
       [](MainModel& m) { m.RenameEntry(); },
       {{"a", "A"}, {"z", "B"}, {"c", "C"}, {"0neu", "N"}}},
  };
  for (const auto& c : cases) {
    const std::string file = kDir + c.name + ".ini";
    fs.SetFile(file,
               "[Name]\r\n1=a\r\n2=b\r\n3=c\r\n[Text]\r\n1=A\r\n2=B\r\n3=C\r\n"
               "[Ignore]\r\n1=x\r\n");
    settings.values[{"Quillet", "path"}] = file;
    ActivatingDialogs activating;
    activating.text_answers = {std::string("z")};
    auto core = std::make_unique<QuilletCore>(
        CoreServices{ini, entries, fs, ansi, activating, clipboard, settings, system}, view,
        Recording());
    core->Startup("");
    view.ListSelect(1);  // "b"
    core->main().OnListClick();
    // While the dialog is open another program adds an entry that sorts first, and the
    // window becomes active again.
    activating.while_open = [&] {
      IniStore other_ini{fs, ansi};
      EntryStore other{other_ini, ansi};
      fs.AdvanceNs(5'000'000'000);
      ASSERT_TRUE(other.WriteEntry(4, {"0neu", "N", "", 0, 0}, file));
      core->ReloadIfChangedOutside();
    };
    c.command(core->main());
    std::map<std::string, std::string> library;
    for (int n = 1; n <= entries.CountEntries(file); ++n) {
      const SnippetEntry e = entries.ReadEntry(n, file);
      library[e.name] = e.text;
    }
    EXPECT_EQ(library, c.expected) << c.name;
    // The list shows the file, each name with its own number.
    EXPECT_EQ(view.ListCount(), static_cast<int>(c.expected.size())) << c.name;
    for (int i = 0; i < view.ListCount(); ++i) {
      EXPECT_EQ(ini.ReadIniValue("Name", std::to_string(view.ListData(i)), "", file),
                view.ListText(i))
          << c.name;
    }
  }
}

TEST_F(QuilletCoreTest, AReloadKeepsTheEntryBeingEditedAmongEqualNames) {
  fs.SetFile(kDefault,
             "[Name]\r\n1=Gruss\r\n2=Gruss\r\n3=x\r\n[Text]\r\n1=eins\r\n2=zwei\r\n"
             "[Ignore]\r\n1=x\r\n");
  auto core = Core();
  core->Startup("");
  ASSERT_EQ(view.ListData(1), 2);
  view.ListSelect(1);
  core->main().OnListClick();
  ASSERT_EQ(view.editor, "zwei");
  // Another program changes the file; the window is shown again.
  IniStore other{fs, ansi};
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(other.WriteIniValue("Title", "3", "Editor", kDefault));
  core->ReloadIfChangedOutside();
  EXPECT_EQ(view.ListData(view.ListSelection()), 2);
  EXPECT_EQ(view.editor, "zwei");
  // Gone under its number, the entry is found by its name.
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(other.WriteIniValues(
      {{"Name", "2", "x"}, {"Name", "3", "Gruss"}, {"Text", "3", "drei"}}, kDefault));
  core->ReloadIfChangedOutside();
  EXPECT_EQ(view.ListText(view.ListSelection()), "Gruss");
}

// The debugger opens the data file in the editor: what the user changed there by hand since
// the start is neither overwritten nor left behind a gap by the next ignored title.
TEST_F(QuilletCoreTest, AnIgnoredTitleGoesUnderTheFilesNextFreeNumber) {
  fs.SetFile(kDefault, "[Ignore]\r\n1=Leiste\r\n");
  auto core = Core();
  core->Startup("");
  for (const auto& [edited, key] :
       std::vector<std::pair<std::string, std::string>>{{"1=Leiste\r\n2=Hand\r\n", "3"},
                                                        {"1=Leiste\r\n", "2"}}) {
    SCOPED_TRACE(key);
    fs.AdvanceNs(5'000'000'000);
    fs.SetFile(kDefault, "[Ignore]\r\n" + edited);
    ASSERT_TRUE(core->AddIgnoredTitle("Neu"));
    EXPECT_EQ(fs.Content(kDefault), "[Ignore]\r\n" + edited + key + "=Neu\r\n");
    EXPECT_TRUE(core->ignore_list().Ignores("neu"));
  }
  // The same title once more: under the next number again.
  ASSERT_TRUE(core->AddIgnoredTitle("Neu"));
  EXPECT_EQ(fs.Content(kDefault), "[Ignore]\r\n1=Leiste\r\n2=Neu\r\n3=Neu\r\n");
}

// "&OK" of the Options dialog and an ignored title from the debugger write the data file
// themselves: the next activation of the main window must not take that for another
// program's change and reload, which would throw away the Options choices that are only in
// memory (the close box keeps them unsaved).
TEST_F(QuilletCoreTest, OwnWritesOfSettingsAndIgnoredTitlesReloadNothing) {
  fs.SetFile(kDefault, "[Name]\r\n1=a\r\n[Text]\r\n1=A\r\n[Ignore]\r\n1=x\r\n");
  auto core = Core();
  core->Startup("");
  const auto reloads = [this] { return std::count(calls.begin(), calls.end(), "strip"); };
  const struct {
    const char* name;
    std::function<bool(QuilletCore&)> write;
  } cases[] = {
      {"ok", [](QuilletCore& c) { return c.SaveSettings(); }},
      {"ignore", [](QuilletCore& c) { return c.AddIgnoredTitle("Neu").ok(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs.AdvanceNs(5'000'000'000);
    ASSERT_TRUE(c.write(*core));
    core->popup_settings().pos = 3;  // chosen afterwards, the dialog closed by its close box
    const auto before = reloads();
    core->ReloadIfChangedOutside();
    EXPECT_EQ(reloads(), before);
    EXPECT_EQ(core->popup_settings().pos, 3);
  }
  // A change by another program is still read.
  fs.AdvanceNs(5'000'000'000);
  IniStore other{fs, ansi};
  ASSERT_TRUE(other.WriteIniValue("Common", "PumActPos", "1", kDefault));
  core->ReloadIfChangedOutside();
  EXPECT_EQ(core->popup_settings().pos, 1);
}

TEST_F(QuilletCoreTest, CaptionsAndTheDebugSwitch) {
  EXPECT_EQ(MakeCaption("", true, "2.3c"), "\xE2\x80\xA2 Quillet 2.3c");
  EXPECT_EQ(MakeCaption("", false, "2.3c"), ":: Quillet 2.3c");
  EXPECT_EQ(MakeCaption("Optionen", true, FormatVersion(VersionText::kShort, 2, 3, 300)),
            "\xE2\x80\xA2 Quillet 2.3c - Optionen");
  for (const char* yes : {"debug", "  DEBUG  ", "Debug"}) EXPECT_TRUE(IsDebugCommandLine(yes));
  for (const char* no : {"", "debug x", "/AUTOSTART", "debugger", "\tdebug"}) {
    EXPECT_FALSE(IsDebugCommandLine(no)) << no;
  }
  for (const char* yes : {"/AUTOSTART", " /autostart", "x\t/AutoStart y"}) {
    EXPECT_TRUE(IsAutostartCommandLine(yes)) << yes;
  }
  for (const char* no : {"", "/AUTOSTARTX", "AUTOSTART", "debug"}) {
    EXPECT_FALSE(IsAutostartCommandLine(no)) << no;
  }
  EXPECT_EQ(TakeOverCommandLine("C:\\Meine Daten\\Quillet.ini"),
            "/TAKEOVER \"C:\\Meine Daten\\Quillet.ini\"");
  const struct {
    const char* line;
    std::optional<std::string> file;
  } takeovers[] = {
      {"/TAKEOVER \"C:\\Meine Daten\\Quillet.ini\"", "C:\\Meine Daten\\Quillet.ini"},
      {" debug\t/takeover D:\\q.ini /AUTOSTART", "D:\\q.ini"},
      {"/TakeOver \"C:\\offen", "C:\\offen"},
      {"/TAKEOVER", ""},
      {"", std::nullopt},
      {"/AUTOSTART", std::nullopt},
      {"/TAKEOVERX", std::nullopt},
      {"\"C:\\x /TAKEOVER\" y", std::nullopt},  // inside a quoted word
  };
  for (const auto& t : takeovers) EXPECT_EQ(TakeOverDataFile(t.line), t.file) << t.line;
}

TEST_F(QuilletCoreTest, PopupSettingsReadInRangeAndWriteInOrder) {
  const struct {
    const char* pos;
    int expected;
  } cases[] = {{"2", 2}, {"7", 0}, {"2.5", 2}, {"3.5", 0}, {"-1", 0}, {"abc", 0}, {"3", 3}};
  for (const auto& c : cases) {
    fs.SetFile("s.ini", std::string("[Common]\r\nPumActPos=") + c.pos + "\r\n");
    fs.AdvanceNs(5'000'000'000);
    EXPECT_EQ(LoadPopupSettings(ini, "s.ini").pos, c.expected) << c.pos;
  }
  const PopupSettings defaults = LoadPopupSettings(ini, "missing.ini");
  EXPECT_EQ(defaults.colour, -2147483633);
  EXPECT_EQ(defaults.via_border, 0);
  PopupSettings p;
  p.via_border = 1;
  p.by_click = 1;
  p.pos = 3;
  p.colour = 255;
  p.mode = 1;
  ASSERT_TRUE(SavePopupSettings(ini, "new.ini", p));
  EXPECT_EQ(fs.Content("new.ini"),
            "[Common]\r\nPumActViaBorder=1\r\nPumActBorderByClick=1\r\nPumActPos=3\r\n"
            "PumActBorderCol=255\r\nPumMode=1\r\n");
}

}  // namespace
}  // namespace qm
