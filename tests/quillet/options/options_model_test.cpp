// The Options dialog against fakes: what its controls show after a load, which of them the
// activation choice offers, the data-folder buttons with their questions, "&OK" against the
// close box, the colour choice and the file-manager command.
#include "quillet/options/options_model.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "quillet/abbrev/abbrev_settings.h"
#include "quillet/abbrev/keep_out.h"
#include "quillet/options/delivery_settings.h"
#include "quillet/pick/use_record.h"
#include "quillet/receipt/receipt_settings.h"
#include "quillet/send/delivery_rules.h"
#include "store/ini_document.h"
#include "tests/fakes/fake_global_hotkey.h"
#include "tests/fakes/fake_main_view.h"
#include "tests/fakes/fake_services.h"

namespace qm {
namespace {

const std::string kDir = "C:\\Programme\\Quillet\\";
const std::string kDefault = kDir + "Quillet.ini";

class FakeOptionsView : public OptionsView {
 public:
  void SetPathText(const std::string& p) override { path = p; }
  void SelectActivation(int index) override { activation = index; }
  void SelectTrigger(int index) override { trigger = index; }
  void SelectEdge(int index) override { edge = index; }
  void SetCascading(bool on) override { cascading = on; }
  void SetAutostart(bool on) override { autostart = on; }
  void SetSampleColour(std::int32_t c) override { colour = c; }
  void ApplyBorderControls(const BorderControls& s) override {
    border = s;
    ++border_calls;
  }
  void Hide() override { visible = false; }
  void SetPickerHotkey(const Hotkey& h) override { hotkey = h; }
  void SetPickerSearchesText(bool on) override { searches_text = on; }
  void SetAbbreviations(bool on) override { abbreviations = on; }
  void SetCapitals(bool on) override { capitals = on; }
  void SetKeepOut(const std::vector<std::string>& list) override { keep_out = list; }
  void SetSendLog(bool on, bool titles) override { send_log = {on, titles}; }
  void SetDelivery(const std::string& p, const std::string& r, const std::string& b) override {
    paste_from = p;
    rules = r;
    built_in = b;
  }
  std::string PasteFromText() override { return paste_from; }
  std::string RulesText() override { return rules; }
  void FocusPasteFrom() override { focus = "paste_from"; }
  void FocusRuleLine(int line) override { focus = "rule " + std::to_string(line); }

  std::string paste_from, rules, built_in, focus;

  Hotkey hotkey{9, 9};
  bool searches_text = false, abbreviations = false, capitals = false;
  std::vector<std::string> keep_out;
  std::pair<bool, bool> send_log{false, true};
  std::string path;
  int activation = -1, trigger = -1, edge = -1;
  bool cascading = false, autostart = false, visible = true;
  std::int32_t colour = 0;
  BorderControls border;
  int border_calls = 0;
};

class OptionsModelTest : public testing::Test, protected FakeServices {
 protected:
  void Start(const std::string& library) {
    if (!library.empty()) fs.SetFile(kDefault, library);
    core = std::make_unique<QuilletCore>(core_services(), main_view, Hooks());
    model = std::make_unique<OptionsModel>(
        OptionsServices{*core, dialogs, shell, autostart,
                        [this](std::int32_t c) { strip_colours.push_back(c); }},
        view);
    model->InitAutostart();
    core->Startup("");
    // As in the program, where the keyboard comes after the first idle moment.
    model->SetKeyboard(KeyboardServices{ini, user, hotkeys, [this] { ++text_changes; }});
    strip_placed = 0;
    strip_colours.clear();
    view.border_calls = 0;
  }
  LifecycleHooks Hooks() {
    LifecycleHooks h;
    h.show_path = [this](const std::string& p) { model->ShowPath(p); };
    h.settings_loaded = [this](const PopupSettings& p) { model->LoadSettings(p); };
    h.place_edge_strip = [this] { ++strip_placed; };
    return h;
  }
  void Advance() { fs.AdvanceNs(5'000'000'000); }
  std::string StoredPath() { return settings.values[std::make_pair("Quillet", "path")]; }

  FakeMainView main_view;
  AutostartSwitch autostart{registry, fs, dialogs, "Quillet",
                            kDir + "Quillet.exe /AUTOSTART"};
  FakeOptionsView view;
  std::unique_ptr<QuilletCore> core;
  std::unique_ptr<OptionsModel> model;
  int strip_placed = 0;
  std::vector<std::int32_t> strip_colours;
  UserSettings user{settings, "Quillet"};
  FakeGlobalHotkey hotkey_os;
  HotkeyRegistration hotkeys{hotkey_os, dialogs};
  int text_changes = 0;
};

TEST_F(OptionsModelTest, ALoadShowsTheFileInRangeAndRounded) {
  const struct {
    const char* common;
    int activation, trigger, edge;
    std::int32_t colour;
    bool cascading;
  } cases[] = {
      {"", 0, 0, 0, -2147483633, false},
      {"PumActViaBorder=1\r\nPumActBorderByClick=1\r\nPumActPos=3\r\nPumActBorderCol=255\r\n"
       "PumMode=1\r\n",
       1, 1, 3, 255, true},
      // Out of range reads as 0; halves go to the even neighbour.
      {"PumActViaBorder=2\r\nPumActBorderByClick=-1\r\nPumActPos=4\r\nPumActBorderCol=16.5\r\n"
       "PumMode=0.5\r\n",
       0, 0, 0, 16, false},
      {"PumActViaBorder=0.6\r\nPumActBorderByClick=1.4\r\nPumActPos=2.5\r\n"
       "PumActBorderCol=-2147483640\r\nPumMode=1.5\r\n",
       1, 1, 2, -2147483640, true},
      {"PumActViaBorder=ja\r\nPumActPos=1x\r\nPumActBorderCol=\r\n", 0, 0, 1, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.common);
    Advance();
    Start(std::string("[Ignore]\r\n1=x\r\n[Common]\r\n") + c.common);
    EXPECT_EQ(view.activation, c.activation);
    EXPECT_EQ(view.trigger, c.trigger);
    EXPECT_EQ(view.edge, c.edge);
    EXPECT_EQ(view.colour, c.colour);
    EXPECT_EQ(view.cascading, c.cascading);
    EXPECT_EQ(view.border.edge_controls_visible, c.activation == 1);
    EXPECT_EQ(view.path, kDefault);
  }
}

TEST_F(OptionsModelTest, IconOnlyHidesTheStripControlsAndIconAndShowsThem) {
  Start("[Ignore]\r\n1=x\r\n");
  EXPECT_FALSE(view.border.edge_controls_visible);
  EXPECT_TRUE(view.border.red_circle_visible);
  EXPECT_FALSE(view.border.trigger_enabled);

  model->OnActivationOption(1);
  EXPECT_EQ(core->popup_settings().via_border, 1);
  EXPECT_TRUE(view.border.edge_controls_visible);
  EXPECT_FALSE(view.border.red_circle_visible);
  EXPECT_TRUE(view.border.trigger_enabled);
  // The button that is already selected is no new choice.
  model->OnActivationOption(1);
  EXPECT_EQ(view.border_calls, 1);
  model->OnActivationOption(0);
  EXPECT_EQ(view.border_calls, 2);
  EXPECT_FALSE(view.border.edge_controls_visible);
  EXPECT_TRUE(view.border.red_circle_visible);
  EXPECT_FALSE(view.border.trigger_enabled);
  // Nothing of it reaches the file or the strip before "&OK".
  EXPECT_EQ(strip_placed, 0);
  EXPECT_EQ(fs.Content(kDefault), "[Ignore]\r\n1=x\r\n");
}

TEST_F(OptionsModelTest, OkSavesAndPlacesTheStripWhileTheCloseBoxOnlyHides) {
  Start("[Ignore]\r\n1=x\r\n[Common]\r\nPumActBorderCol=99\r\n");
  model->OnActivationOption(1);
  model->OnTriggerOption(1);
  model->OnEdgeOption(3);
  model->OnCascading(true);
  EXPECT_EQ(view.edge, 3);

  model->OnClose();
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(strip_placed, 0);
  EXPECT_EQ(fs.WriteCount(), 0);
  // The choices stay in memory: the next popup menu cascades already.
  EXPECT_EQ(core->popup_settings().mode, 1);
  EXPECT_EQ(core->popup_settings().pos, 3);

  view.visible = true;
  model->OnButton(QuilletCommand::kOptOk);
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(strip_placed, 1);
  EXPECT_EQ(fs.Content(kDefault),
            "[Ignore]\r\n1=x\r\n[Common]\r\nPumActBorderCol=99\r\nPumActViaBorder=1\r\n"
            "PumActBorderByClick=1\r\nPumActPos=3\r\nPumMode=1\r\n");
  EXPECT_TRUE(dialogs.messages.empty());

  // A write that fails says so instead of pretending.
  fs.FailNextWrites();
  model->OnButton(QuilletCommand::kOptOk);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("nicht gespeichert"), std::string::npos);
}

TEST_F(OptionsModelTest, DataFolderButtonsAskSwitchCreateOrRefuse) {
  Start("[Name]\r\n1=hier\r\n[Ignore]\r\n1=x\r\n");
  fs.SetFile("F:\\Team\\Quillet.ini",
             "[Name]\r\n1=geteilt\r\n[Ignore]\r\n1=x\r\n[Common]\r\nPumActViaBorder=1\r\n"
             "PumActPos=2\r\n");
  dialogs.folder_answers = {std::nullopt, std::string("G:\\Neu"), std::string("H:\\Weg"),
                            std::string("F:\\Team\\"), std::string("G:\\Neu")};
  dialogs.message_answers = {MessageAnswer::kNo};

  // Cancelled browser; No to the question; a folder that cannot be written: nothing changes.
  model->OnButton(QuilletCommand::kOptChooseFolder);
  model->OnButton(QuilletCommand::kOptChooseFolder);
  fs.FailNextWrites();
  model->OnButton(QuilletCommand::kOptChooseFolder);
  EXPECT_EQ(core->data_file(), kDefault);
  EXPECT_EQ(view.path, kDefault);
  EXPECT_EQ(strip_placed, 0);
  EXPECT_EQ(fs.FileNames(), (std::set<std::string>{kDefault, "F:\\Team\\Quillet.ini"}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::kExclamation);
  EXPECT_EQ(dialogs.messages[1].text,
            "In den ausgewählten Ordner kann nicht geschrieben werden:\r\n\r\nH:\\Weg\r\n\r\n"
            "Bitte wählen Sie einen Ordner, in dem Sie Dateien anlegen und ändern dürfen. Die "
            "Textbausteine bleiben am bisherigen Speicherort.");
  EXPECT_EQ(StoredPath(), kDefault);

  // A folder with a library switches without a question; the dialog shows its settings.
  model->OnButton(QuilletCommand::kOptChooseFolder);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(view.path, "F:\\Team\\Quillet.ini");
  EXPECT_EQ(main_view.Names(), std::vector<std::string>{"geteilt"});
  EXPECT_EQ(view.activation, 1);
  EXPECT_EQ(view.edge, 2);
  EXPECT_TRUE(view.border.edge_controls_visible);
  EXPECT_EQ(strip_placed, 1);

  // Yes creates an empty library; only the library remains of the probe.
  model->OnButton(QuilletCommand::kOptChooseFolder);
  EXPECT_EQ(view.path, "G:\\Neu\\Quillet.ini");
  EXPECT_TRUE(fs.Exists("G:\\Neu\\Quillet.ini"));
  EXPECT_EQ(fs.AnyFileMatches("G:\\Neu\\*.tmp"), false);
  EXPECT_EQ(view.activation, 0);
  EXPECT_FALSE(view.border.edge_controls_visible);

  model->OnButton(QuilletCommand::kOptDefault);
  EXPECT_EQ(view.path, kDefault);
  EXPECT_EQ(main_view.Names(), std::vector<std::string>{"hier"});
  EXPECT_EQ(StoredPath(), kDefault);
}

TEST_F(OptionsModelTest, TheColourDialogStartsFromTheLastChoiceAndCancelChangesNothing) {
  Start("[Ignore]\r\n1=x\r\n[Common]\r\nPumActBorderCol=255\r\n");
  dialogs.colour_answers = {std::nullopt, 0x00FF00u, std::nullopt};
  model->OnButton(QuilletCommand::kOptColour);
  EXPECT_EQ(view.colour, 255);
  EXPECT_TRUE(strip_colours.empty());
  model->OnButton(QuilletCommand::kOptColour);
  EXPECT_EQ(view.colour, 0x00FF00);
  EXPECT_EQ(core->popup_settings().colour, 0x00FF00);
  EXPECT_EQ(strip_colours, std::vector<std::int32_t>{0x00FF00});
  model->OnButton(QuilletCommand::kOptColour);
  // Black at first, not the strip's colour; then the colour chosen last.
  EXPECT_EQ(dialogs.colour_initials, (std::vector<std::uint32_t>{0, 0, 0x00FF00}));
  EXPECT_EQ(view.colour, 0x00FF00);
  // A reload shows the file's colour, but the dialog still remembers the choice.
  core->ReloadFromDataFile();
  EXPECT_EQ(view.colour, 255);
  dialogs.colour_answers = {std::nullopt};
  model->OnButton(QuilletCommand::kOptColour);
  EXPECT_EQ(dialogs.colour_initials.back(), 0x00FF00u);
}

TEST_F(OptionsModelTest, OpenFolderAndAutostart) {
  registry.values[FakeRegistry::Id(RunKeyPath(false), "Quillet")] = "alt";
  Start("[Ignore]\r\n1=x\r\n");
  EXPECT_TRUE(view.autostart);
  model->OnButton(QuilletCommand::kOptOpenFolder);
  EXPECT_EQ(shell.ran, std::vector<std::string>{"explorer /e, /select, " + kDefault});
  model->OnAutostart(false);
  EXPECT_TRUE(registry.values.empty());
  model->OnAutostart(true);
  EXPECT_EQ(registry.values[FakeRegistry::Id(RunKeyPath(false), "Quillet")],
            kDir + "Quillet.exe /AUTOSTART");
}

// The keyboard's controls take effect and are stored at once; a hotkey that would take a
// character away, or that names no key of ours, is refused and the control shows the old one.
TEST_F(OptionsModelTest, KeyboardControlsStoreAtOnceAndRefuseUnfitHotkeys) {
  Start("[Common]\r\nHotkey=Win+F9\r\nKuerzel=0\r\n");
  EXPECT_EQ(view.hotkey, (Hotkey{Hotkey::kWin, kKeyF1 + 8}));
  EXPECT_FALSE(view.abbreviations);
  EXPECT_FALSE(view.searches_text);
  const auto stored = [&](const char* key) {
    return ini.Snapshot(kDefault)->Find("Common", key).value_or("(none)");
  };

  const struct {
    bool on;
    unsigned control;
    const char* stored;  // nullptr: refused
  } cases[] = {
      {true, (2u << 8) | 'Q', "Ctrl+Q"},          // Strg+Q in the control
      {true, (1u << 8) | 'A', nullptr},           // Umschalt+A types a character
      {true, (2u << 8) | 0x25, nullptr},          // Strg+Left: no key of ours
      {true, (2u << 8), "Ctrl+Q"},                // Strg alone: still being typed
      {false, (2u << 8) | 'Q', ""},               // the box off: none
      {true, 0, "Ctrl+Alt+Space"},                // the box on, the control empty
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    const std::size_t messages = dialogs.messages.size();
    if (c.control == (2u << 8)) {
      model->OnPickerHotkeyKeys(c.control);
    } else {
      model->OnPickerHotkeySwitch(c.on, c.control);
    }
    EXPECT_EQ(dialogs.messages.size(), messages + (c.stored ? 0 : 1));
    if (!c.stored) {
      EXPECT_EQ(dialogs.messages.back().text, kUnfitHotkeyText);
      EXPECT_EQ(FormatHotkey(view.hotkey), "Ctrl+Q");
    }
    EXPECT_EQ(stored("Hotkey"), c.stored ? c.stored : "Ctrl+Q");
    EXPECT_EQ(FormatHotkey(hotkeys.wanted()), stored("Hotkey"));
  }
  EXPECT_EQ(hotkey_os.registered, std::make_pair(DefaultHotkey().modifiers, DefaultHotkey().key));

  model->OnAbbreviations(true);
  EXPECT_EQ(stored("Kuerzel"), "1");
  model->OnSearchesText(true);
  EXPECT_TRUE(PickerSearchesText(user));
  EXPECT_EQ(text_changes, 1);
  // The capitals carry over unless switched off, and that is the user's own.
  EXPECT_TRUE(view.capitals);
  model->OnCapitals(false);
  EXPECT_FALSE(CapitalsCarryOver(user));
  // The send log is kept unless switched off, its titles only where switched on.
  EXPECT_EQ(view.send_log, std::make_pair(true, false));
  model->OnSendLogTitles(true);
  model->OnSendLog(false);
  EXPECT_EQ(view.send_log, std::make_pair(false, true));
  EXPECT_FALSE(SendLogOn(user));
  EXPECT_TRUE(SendLogTitles(user));

  // The keep-out list: a new name added, an empty one or one there in other letters not; a
  // name taken out by its row, the list numbered anew in the file at once.
  EXPECT_TRUE(view.keep_out.empty());
  dialogs.text_answers = {" spiel.exe ", "Notepad", "", "SPIEL.EXE", std::nullopt};
  for (int i = 0; i < 5; ++i) model->OnKeepOutAdd();
  EXPECT_EQ(dialogs.prompts.back().prompt, kKeepOutPrompt);
  EXPECT_EQ(view.keep_out, (std::vector<std::string>{"spiel.exe", "Notepad"}));
  model->OnKeepOutRemove(0);
  model->OnKeepOutRemove(5);
  EXPECT_EQ(view.keep_out, std::vector<std::string>{"Notepad"});
  EXPECT_EQ(ReadKeepOut(ini.Snapshot(kDefault).get()), view.keep_out);
  EXPECT_EQ(stored("Kuerzel"), "1");
  EXPECT_EQ(ini.Snapshot(kDefault)->Find("KuerzelAus", "2").value_or("(none)"), "");
  // Our own writes bring no reload that would put the file's popup settings back.
  EXPECT_FALSE(core->main().ChangedOutside());
}

TEST_F(OptionsModelTest, OkStoresTheDeliveryOrRefusesABadRuleWritingNothing) {
  Start(
      "[Common]\r\nEinfuegenAb=x\r\n[Regeln]\r\n1=putty.exe;Tippen\r\n2=a;Tasten\r\n"
      "3=b;Tasten\r\n");
  EXPECT_EQ(view.paste_from, "500");
  EXPECT_EQ(view.rules, "putty.exe;Tippen\r\na;Tasten\r\nb;Tasten");
  EXPECT_NE(view.built_in.find("„Konsole“"), std::string::npos);
  const struct {
    const char *paste_from, *rules;
    const char* focus;   // nullptr: stored
    const char* regeln;  // the section afterwards
  } cases[] = {
      // Unchanged: the unreadable threshold stays as the user wrote it.
      {"500", "putty.exe;Tippen\r\na;Tasten\r\nb;Tasten", nullptr,
       "1=putty.exe;Tippen\r\n2=a;Tasten\r\n3=b;Tasten\r\n"},
      {"", "x;Tippen", "paste_from", nullptr},
      {"0", "x;Tippen\r\n\r\ny Tasten", "rule 3", nullptr},
      {"0", "x;Schreiben", "rule 1", nullptr},
      // Blank lines go, quotes and blanks as the file would drop them; the old keys after the
      // last are emptied.
      {"0", "\r\n  'MSTSC.EXE ; tasten'  \r\n\r\n", nullptr,
       "1=MSTSC.EXE ; tasten\r\n2=\r\n3=\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rules);
    const std::string before = fs.Content(kDefault).value_or("");
    const std::size_t messages = dialogs.messages.size();
    view.visible = true;
    view.focus.clear();
    view.paste_from = c.paste_from;
    view.rules = c.rules;
    model->OnButton(QuilletCommand::kOptOk);
    EXPECT_EQ(view.visible, c.focus != nullptr);
    EXPECT_EQ(view.focus, c.focus ? c.focus : "");
    EXPECT_EQ(dialogs.messages.size(), messages + (c.focus ? 1 : 0));
    if (!c.focus) {
      EXPECT_NE(fs.Content(kDefault)->find("[Regeln]\r\n" + std::string(c.regeln)),
                std::string::npos);
    } else {
      EXPECT_EQ(fs.Content(kDefault), before);
    }
  }
  EXPECT_NE(dialogs.messages.back().text.find("Zeile 1 „x;Schreiben“"), std::string::npos);
  EXPECT_EQ(ini.Snapshot(kDefault)->Find("Common", "EinfuegenAb"), "0");
  EXPECT_EQ(ReadDeliveryRules(ini.Snapshot(kDefault).get()).rules[0].delivery, Delivery::kKeys);
}

TEST(DeliverySettings, BadRulesAreToldOnceEachTimeTheyChange) {
  const DeliveryRuleProblem x{2, "x", "Es fehlt das Semikolon vor der Zustellung."};
  const DeliveryRuleProblem y{3, ";Tasten", "Es fehlt das Programm oder die Fensterklasse."};
  const struct {
    std::vector<DeliveryRuleProblem> problems;
    bool told;
  } steps[] = {{{}, false}, {{x}, true}, {{x}, false}, {{x, y}, true}, {{}, false}, {{x}, true}};
  BadRulesNotice notice;
  int step = 0;
  for (const auto& s : steps) {
    EXPECT_EQ(notice.Check(s.problems).has_value(), s.told) << "step " << step++;
  }
  EXPECT_EQ(BadRulesNotice().Check({x}),
            "Eine Regel der Zustellung in der Datendatei kann nicht gelten und wird übergangen:"
            "\r\n\r\nRegel 2 „x“: Es fehlt das Semikolon vor der Zustellung.");
}

TEST(DeliverySettings, TheNoteNamesProgramClassAndTheDeliveryOfAShortText) {
  DeliveryRules rules = ReadDeliveryRules(nullptr);
  rules.rules.insert(rules.rules.begin(), {"Notepad", Delivery::kPaste});
  const struct {
    const char *program, *window_class, *note;
  } cases[] = {
      {"notepad.exe", "NOTEPAD", "notepad.exe, NOTEPAD: Einfügen"},
      {"", "ConsoleWindowClass", "?, ConsoleWindowClass: Konsole"},
  };
  for (const auto& c : cases) EXPECT_EQ(DeliveryNote(rules, c.program, c.window_class), c.note);
  EXPECT_EQ(AllowedDeliveriesText(),
            "Eine Zustellung ist „Tippen“, „Tasten“, „Einfügen“, „Einfügen Strg+Umschalt+V“, "
            "„Einfügen Umschalt+Einfg“ oder „Konsole“. Nach Ihren Regeln gelten die eingebauten.");
  const auto rows = BuiltInRuleRows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0].first + ": " + rows[0].second, "mstsc.exe: Tasten");
}

}  // namespace
}  // namespace qm
