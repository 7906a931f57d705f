// The main window's decisions against a fake window: control states, the entry commands with
// scripted answers, saving the entry being edited, the Unicode and failed-write messages.
#include "quillet/main/main_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "quillet/main/glyph_text.h"
#include "store/stored_text.h"
#include "tests/fakes/fake_main_view.h"
#include "tests/fakes/fake_services.h"
#include "tests/quillet/main/main_model_fixture.h"

namespace qm {
namespace {

TEST_F(MainModelTest, ControlStatesFollowTheLibraryTheSelectionAndTheClipboard) {
  Load();
  EXPECT_FALSE(view.states.has_entries);
  EXPECT_FALSE(view.states.entry_controls);
  EXPECT_FALSE(view.states.find);
  EXPECT_FALSE(view.states.title_box);
  EXPECT_FALSE(view.states.window_colour);

  Library({"Gruss", "adresse"});
  EXPECT_EQ(view.Names(), (std::vector<std::string>{"adresse", "Gruss"}));
  EXPECT_EQ(view.selection, 0);  // the first item is selected and loaded
  EXPECT_EQ(view.editor, "text of adresse");
  const struct {
    std::size_t selection_length;
    std::optional<std::string> clipboard;
    const char* search;
    bool cut, paste, find_next;
  } cases[] = {
      {0, std::nullopt, "", false, false, false},
      {3, std::string(""), "x", true, false, true},
      {1, std::string("t"), "", true, true, false},
  };
  for (const auto& c : cases) {
    view.selection_length = c.selection_length;
    clipboard.text = c.clipboard;
    if (*c.search) {
      dialogs.text_answers.push_back(std::string(c.search));
      model.OnEditCommand(QuilletCommand::kEditFind);
    }
    model.UpdateControlStates();
    EXPECT_EQ(view.states.cut_copy_delete, c.cut);
    EXPECT_EQ(view.states.paste, c.paste);
    EXPECT_TRUE(view.states.find);
    EXPECT_EQ(view.states.find_next, c.find_next || !model.last_search_text().empty());
    EXPECT_TRUE(view.states.entry_controls);
  }
  // The title box is usable only while the title option is chosen.
  EXPECT_FALSE(view.states.title_box);
  model.OnDestinationTypeClick(1);
  EXPECT_TRUE(view.states.title_box);
  EXPECT_EQ(view.focus, MainView::Focus::kTitleBox);
}

TEST_F(MainModelTest, TheListEndsAtTheFirstMissingNameAndCollectsTitles) {
  fs.SetFile(data_file,
             "[Name]\r\n1=eins\r\n2=zwei\r\n4=vier\r\n[Title]\r\n1=  Editor  \r\n2=\r\n"
             "4=Nie\r\n");
  Load();
  EXPECT_EQ(view.Names(), (std::vector<std::string>{"eins", "zwei"}));
  EXPECT_EQ(view.items[1].data, 2);
  // Beyond the list, the held window answers as the list box would, and nothing breaks.
  EXPECT_EQ(view.ListData(2), -1);
  view.ListRemove(5);
  EXPECT_EQ(view.ListCount(), 2);
  EXPECT_EQ(view.titles, std::vector<std::string>{"Editor"});
  EXPECT_EQ(view.title_text, "Editor");  // entry 1 is loaded, its target trimmed
  EXPECT_EQ(view.destination, 1);
}

TEST_F(MainModelTest, NewEntryAsksAboutDuplicatesAndStartsEnciphered) {
  Library({"ABC"});
  // No: the input box opens again, empty; then Yes keeps the duplicate.
  dialogs.text_answers = {std::string("  abc "), std::string("abc")};
  dialogs.message_answers = {MessageAnswer::kNo, MessageAnswer::kYes};
  model.NewEntry();
  ASSERT_EQ(dialogs.prompts.size(), 2u);
  EXPECT_EQ(dialogs.prompts[0].title, "Quillet - Neuen Eintrag erstellen");
  EXPECT_EQ(dialogs.prompts[1].initial, "");
  EXPECT_EQ(dialogs.messages[0].text,
            "Es gibt bereits einen Eintrag mit dem Namen \r'abc'.\r\rMöchten Sie ihn dennoch "
            "verwenden?");
  // Enter alone must not make a duplicate: No is the default button.
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::kYesNoDefaultNo);
  EXPECT_EQ(view.Names(), (std::vector<std::string>{"ABC", "abc"}));
  EXPECT_EQ(view.ListText(view.selection), "abc");
  EXPECT_EQ(view.ListData(view.selection), 2);
  EXPECT_TRUE(view.crypt);
  EXPECT_FALSE(view.dosbox);
  EXPECT_EQ(Value("Crypt", "2"), "1");
  EXPECT_EQ(Value("Text", "2").size(), 4u);  // the salt alone
  EXPECT_EQ(view.focus, MainView::Focus::kEditor);

  // Cancel and an all-blank name change nothing.
  const int writes = fs.WriteCount();
  dialogs.text_answers = {std::nullopt};
  model.NewEntry();
  dialogs.text_answers = {std::string("   ")};
  model.NewEntry();
  EXPECT_EQ(fs.WriteCount(), writes);
  EXPECT_EQ(view.ListCount(), 2);
}

TEST_F(MainModelTest, RenamingToItsOwnNameInAnotherCaseAsksNothing) {
  Library({"beta", "Alpha"});
  Select("beta");
  dialogs.text_answers = {std::string("BETA")};
  model.RenameEntry();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.prompts[0].prompt,
            "Bitte geben Sie einen neuen Namen für den Eintrag ''beta'' an:");
  EXPECT_EQ(dialogs.prompts[0].initial, "beta");
  EXPECT_EQ(Value("Name", "1"), "BETA");
  EXPECT_EQ(view.ListText(view.selection), "BETA");

  // Another entry's name asks; No asks again with the current name as the default.
  dialogs.text_answers = {std::string("alpha"), std::string("Gamma")};
  dialogs.message_answers = {MessageAnswer::kNo};
  model.RenameEntry();
  EXPECT_EQ(dialogs.prompts[2].initial, "BETA");
  EXPECT_EQ(view.Names(), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_EQ(Value("Name", "1"), "Gamma");
  EXPECT_EQ(Value("Text", "1"), "text of beta");
  // Quotes and blanks at a name's ends survive the file, which trims and unquotes values.
  for (const char* name : {"'zitiert'", "\"doppelt\"", " eingerückt"}) {
    dialogs.text_answers = {std::string(name)};
    model.RenameEntry();
    EXPECT_EQ(Value("Name", "1"), TrimBlanksForTest(name)) << name;
  }
}

TEST_F(MainModelTest, DeletingKeepsTheNumbersContiguous) {
  const std::vector<std::string> names = {"a", "b", "c", "d"};
  for (const std::string& victim : names) {
    data_file = "C:\\Q\\" + victim + ".ini";
    dialogs.messages.clear();
    Library(names);
    Select(victim);
    model.DeleteEntry();
    EXPECT_EQ(dialogs.messages.at(0).text,
              "Wollen Sie den Eintrag '" + victim + "'\rwirklich löschen?");
    std::map<std::string, std::string> expected;
    for (const std::string& n : names) {
      if (n != victim) expected[n] = "text of " + n;
    }
    EXPECT_EQ(Reloaded(), expected) << victim;
    EXPECT_EQ(Value("Name", "4"), "") << victim;
    EXPECT_EQ(view.ListCount(), 3);
    EXPECT_EQ(view.selection, 0);
    // The list's numbers are the file's.
    for (int i = 0; i < view.ListCount(); ++i) {
      EXPECT_EQ(Value("Name", std::to_string(view.ListData(i)).c_str()), view.ListText(i));
    }
  }
  // The only entry: an empty list and nothing left in the file.
  data_file = "C:\\Q\\solo.ini";
  Library({"solo"});
  model.DeleteEntry();
  EXPECT_EQ(view.ListCount(), 0);
  EXPECT_EQ(view.editor, "");
  EXPECT_FALSE(view.states.entry_controls);
  EXPECT_EQ(entries.CountEntries(data_file), 0);
  // No keeps it.
  data_file = "C:\\Q\\bleibt.ini";
  Library({"bleibt"});
  dialogs.message_answers = {MessageAnswer::kNo};
  model.DeleteEntry();
  EXPECT_EQ(view.ListCount(), 1);
}

TEST_F(MainModelTest, LeavingTheEditorStoresTheTextOnceAndOnlyWhenChanged) {
  Library({"gruss"});
  view.editor = "Hallo" + E + "\rWelt" + kTabGlyphUtf8 + "\r\xC3\xB0";
  view.crypt = false;
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Text", "1"), "Hallo\\NWelt\\T\xC3\xB0");
  EXPECT_EQ(Value("Crypt", "1"), "0");
  const int writes = fs.WriteCount();
  model.OnEditorLostFocus();
  model.OnCryptLostFocus();
  EXPECT_EQ(fs.WriteCount(), writes);
  // Ticking the cipher box rewrites the text enciphered.
  view.crypt = true;
  model.OnCryptLostFocus();
  EXPECT_EQ(Value("Crypt", "1"), "1");
  EXPECT_EQ(entries.ReadEntry(1, data_file).text, "Hallo\\NWelt\\T\xC3\xB0");
  EXPECT_EQ(Value("Text", "1").find("Hallo"), std::string::npos);
  // An empty library has no entry to write to.
  data_file = "C:\\Q\\leer.ini";
  Load();
  view.editor = "x";
  model.OnEditorLostFocus();
  EXPECT_FALSE(fs.Exists(data_file));
}

TEST_F(MainModelTest, TheAbbreviationFieldShowsAndStoresTheEntrysAbbreviation) {
  const struct {
    const char* typed;  // over "mfg", expanding at once, and the field left
    bool at_once;
    const char *after, *told;  // file and field: abbreviation|flag|field; the message
  } cases[] = {
      {"mfg", true, "mfg|1|mfg", ""},    // as it was: no write
      {" mfG ", true, "mfG|1|mfG", ""},  // trimmed, case kept
      {"mfg", false, "mfg||mfg", ""},    // the box alone
      {"", true, "||", ""},              // no flag without an abbreviation
      {"m f", true, "mfg|1|m f", "Das K\xC3\xBCrzel \xE2\x80\x9Em f\xE2\x80\x9C wurde nicht"},
      {"\xE2\x98\x83", true, "mfg|1|\xE2\x98\x83", "Unicode-Format"},  // declined
  };
  int file = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    data_file = "C:\\Q\\k" + std::to_string(++file) + ".ini";
    Library({"a"});
    ini.WriteIniValues({{"Kuerzel", "1", "mfg"}, {"KuerzelSofort", "1", "1"}}, data_file);
    Select("a");
    ASSERT_TRUE(view.at_once);
    const int writes = fs.WriteCount();
    view.abbreviation = c.typed;
    view.at_once = c.at_once;
    dialogs.messages.clear();
    dialogs.message_answers = {MessageAnswer::kNo};
    view.abbreviation_focused = false;
    model.OnAbbreviationLostFocus();
    EXPECT_EQ(Value("Kuerzel", "1") + "|" + Value("KuerzelSofort", "1") + "|" + view.abbreviation,
              c.after);
    const std::string told = dialogs.messages.empty() ? "" : dialogs.messages[0].text;
    EXPECT_NE(told.find(c.told), std::string::npos) << told;
    EXPECT_EQ(told.empty(), !*c.told);
    EXPECT_EQ(fs.WriteCount() == writes, *c.told || std::string(c.after) == "mfg|1|mfg");
    EXPECT_EQ(view.abbreviation_focused, std::string(c.typed) == "m f");
  }
}

TEST_F(MainModelTest, ARefusedAbbreviationKeepsItsEntryUntilTheUserDropsIt) {
  Library({"a", "b"});
  view.abbreviation = "zu lang";
  model.OnAbbreviationLostFocus();
  model.StorePendingEdits();  // on the way elsewhere: not told again
  // Leaving the entry asks; No keeps it with the field as typed, Yes drops it.
  dialogs.message_answers = {MessageAnswer::kNo, MessageAnswer::kYes};
  Select("b");
  EXPECT_EQ(view.ListText(view.selection) + "|" + view.abbreviation, "a|zu lang");
  Select("b");
  EXPECT_EQ(view.ListText(view.selection) + "|" + view.abbreviation, "b|");
  EXPECT_EQ(dialogs.messages.size(), 3u);
  // A typed one goes with the entry that is left, and with the program's end.
  view.abbreviation = "bb";
  Select("a");
  view.abbreviation = "aa";
  model.StorePendingEdits(true);
  EXPECT_EQ(Value("Kuerzel", "2") + Value("Kuerzel", "1"), "bbaa");
}

TEST_F(MainModelTest, TheConflictLineNamesTheFirstOtherEntryAndCountsTheRest) {
  const struct {
    std::vector<std::string> abbreviations;  // of entries e1, e2, ...
    std::string line;                        // of e1, with ‹› for „“
  } cases[] = {
      {{"mfg", "mf"}, "‹mfg› beginnt mit dem Kürzel ‹mf› von ‹e2›."},
      {{"mf", "", "MFG", "mfgr"},
       "‹mf› ist der Anfang des Kürzels ‹MFG› von ‹e3› und einem weiteren Kürzel."},
      {{"mfg", "mfg", "MfG", "mfg"},
       "‹mfg› ist auch das Kürzel von ‹e2› und 2 weiteren Einträgen."},
      {{"a b"},
       "‹a b› wird nie ersetzt: Es enthält ein Leerzeichen, einen Tabulator oder einen "
       "Zeilenumbruch oder ist länger als 32 Zeichen."},
      {{"mfg", "a:mfg.x"}, "‹mfg› steht nach einem Satzzeichen im Kürzel ‹a:mfg.x› von ‹e2›."},
      {{"mfg", "gruss"}, ""},
  };
  auto quoted = [](std::string s) {
    for (auto [from, to] : {std::pair{"‹", "\xE2\x80\x9E"}, {"›", "\xE2\x80\x9C"}}) {
      for (std::size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, 3, to);
    }
    return s;
  };
  int file = 0;
  for (const auto& c : cases) {
    data_file = "C:\\Q\\c" + std::to_string(++file) + ".ini";
    Library({"e1", "e2", "e3", "e4"});
    for (std::size_t i = 0; i < c.abbreviations.size(); ++i) {
      ini.WriteIniValue("Kuerzel", std::to_string(i + 1), c.abbreviations[i], data_file);
    }
    Select("e1");
    EXPECT_EQ(view.conflicts, quoted(c.line));
  }
  // Storing one shows its conflicts at once.
  Select("e2");
  view.abbreviation = "mfgr";
  model.OnAbbreviationLostFocus();
  EXPECT_EQ(view.conflicts, quoted("‹mfgr› beginnt mit dem Kürzel ‹mfg› von ‹e1›."));
}

TEST_F(MainModelTest, TheLineBelowTheEditorNamesTheFieldProblemsOfTheEntry) {
  ASSERT_TRUE(entries.WriteEntries({{1, {"kaputt", "%auswahl=X%", "", 1, 0}},
                                    {2, {"gut", "Hallo %eingabe=Name%", "", 0, 0}},
                                    {3, {"wirr", "", "", 1, 0}}},
                                   data_file));
  ASSERT_TRUE(ini.WriteIniValue("Text", "3", "kein Hex", data_file).ok());
  Load();
  Select("kaputt");  // enciphered: its text as it is sent
  EXPECT_EQ(view.field_problems, "„%auswahl=X%“ hat keine Auswahl.");
  Select("gut");
  EXPECT_EQ(view.field_problems, "");
  view.editor = "%auswahl=X%%baustein=Nirgends% %baustein=wirr%";
  model.OnEditorLostFocus();
  EXPECT_EQ(view.field_problems,
            "„%auswahl=X%“ hat keine Auswahl. Der Baustein „Nirgends“ fehlt. Der Baustein „wirr“ "
            "lässt sich nicht entschlüsseln.");
  data_file = "C:\\Q\\leer.ini";
  Load();
  EXPECT_EQ(view.field_problems, "");
}

TEST_F(MainModelTest, TargetOptionsAndTheTitleBoxWriteTheirFields) {
  Library({"x"});
  ini.WriteIniValues({{"Title", "1", "Editor"}, {"DosBox", "1", "1"}}, data_file);
  Select("x");
  EXPECT_EQ(view.destination, 1);
  EXPECT_TRUE(view.dosbox);
  // Clearing the title box and leaving it: the last used window, and no DOS box.
  view.SetTitleText("");
  model.OnTitleLostFocus();
  EXPECT_EQ(view.destination, 0);
  EXPECT_EQ(Value("Title", "1"), "");
  EXPECT_EQ(Value("DosBox", "1"), "0");
  EXPECT_TRUE(view.dosbox);  // the box shows its state until the entry is loaded again
  // A typed title goes into the list and the file.
  model.OnDestinationTypeClick(1);
  view.SetTitleText(" Mein Editor");
  model.OnTitleLostFocus();
  EXPECT_EQ(Value("Title", "1"), " Mein Editor");  // as typed; whoever uses it trims
  EXPECT_TRUE(view.TitleListHas("Mein Editor"));
  view.dosbox = true;
  model.OnDosBoxClick();
  EXPECT_EQ(Value("DosBox", "1"), "1");

  // The delivery box: a value it does not offer shows as "nach Regeln" and stays until
  // another is chosen; "nach Regeln" is stored empty; a failed write puts the box back.
  ini.WriteIniValue("Zustellung", "1", "Konsole", data_file);
  Select("x");
  EXPECT_EQ(view.delivery, 0);
  model.OnDeliveryChoice(0);
  EXPECT_EQ(Value("Zustellung", "1"), "Konsole");
  const struct {
    int choice;
    const char* stored;
  } choices[] = {{3, "Einfügen"}, {1, "Tippen"}, {2, "Tasten"}, {0, ""}};
  for (const auto& c : choices) {
    view.delivery = c.choice;
    model.OnDeliveryChoice(c.choice);
    EXPECT_EQ(Value("Zustellung", "1"), c.stored);
  }
  Select("x");
  EXPECT_EQ(view.delivery, 0);
  fs.FailNextWrites();
  view.delivery = 2;
  model.OnDeliveryChoice(2);
  EXPECT_EQ(view.delivery, 0);
  EXPECT_EQ(Value("Zustellung", "1"), "");
}

TEST_F(MainModelTest, PendingEditsAreStoredWhereverTheFocusIs) {
  Library({"x"});
  view.focus = MainView::Focus::kEditor;
  view.editor = "neu";
  model.StorePendingEdits();
  EXPECT_EQ(Value("Text", "1"), "neu");
  view.focus = MainView::Focus::kTitleBox;
  view.title_text = "Rechner";
  model.StorePendingEdits();
  EXPECT_EQ(Value("Title", "1"), "Rechner");
  // Hiding after a declined question: the focus leaving the editor does not ask again.
  view.focus = MainView::Focus::kEditor;
  view.editor = "\xE2\x98\x83";
  dialogs.message_answers = {MessageAnswer::kNo};
  model.StorePendingEditsThen([&] { model.OnEditorLostFocus(); });
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(Value("Text", "1"), "neu");
}

TEST_F(MainModelTest, CharactersBeyondTheCodePageAskToSwitchToUnicode) {
  Library({"x"});
  view.editor =
      "Gr\xC5\x91\xC3\x9F"
      "e \xE2\x82\xAC \xE2\x98\x83";  // ő is not in 1252, ☃ neither
  dialogs.message_answers = {MessageAnswer::kNo};
  model.OnEditorLostFocus();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("\xE2\x80\x9E\xC5\x91\xE2\x80\x9C (U+0151), "
                                          "\xE2\x80\x9E\xE2\x98\x83\xE2\x80\x9C (U+2603)"),
            std::string::npos)
      << dialogs.messages[0].text;
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(Value("Text", "1"), "text of x");
  EXPECT_NE(view.editor.find("\xE2\x98\x83"), std::string::npos);

  // Leaving again asks again only once the user is back in the editor.
  model.OnEditorLostFocus();
  EXPECT_EQ(dialogs.messages.size(), 1u);
  model.OnEditorUsed();
  dialogs.message_answers = {MessageAnswer::kYes};
  model.OnEditorLostFocus();
  EXPECT_EQ(fs.Content(data_file).value_or("").rfind("\xFF\xFE", 0), 0u);
  EXPECT_EQ(Value("Text", "1"), view.editor);
  EXPECT_EQ(Value("Name", "1"), "x");
  EXPECT_TRUE(fs.Exists(data_file + ".bak"));
  // From now on such characters go in without a question.
  dialogs.messages.clear();
  dialogs.text_answers = {std::string("\xE2\x98\x83")};
  model.RenameEntry();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(Value("Name", "1"), "\xE2\x98\x83");
}

TEST_F(MainModelTest, AnEncipheredTextHoldsOnlyTheCodePage) {
  Library({"x"});
  view.crypt = true;
  view.editor = "\xE2\x98\x83";
  model.OnEditorLostFocus();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("Chiffrieren"), std::string::npos);
  EXPECT_EQ(Value("Crypt", "1"), "0");
  EXPECT_EQ(Value("Text", "1"), "text of x");
}

TEST_F(MainModelTest, AFailedWriteIsReportedOnceWithItsReason) {
  Library({"x"});
  view.editor = "neu";
  fs.FailNextWrites(1);
  model.OnEditorLostFocus();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_NE(dialogs.messages[0].text.find("nicht gespeichert"), std::string::npos);
  EXPECT_EQ(Value("Text", "1"), "text of x");
  // Not stored, so the next leave tries again.
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Text", "1"), "neu");
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(MainModelTest, AChangeFromOutsideIsNoticedButOurOwnWritesAreNot) {
  Library({"x"});
  EXPECT_FALSE(model.ChangedOutside());
  view.editor = "neu";
  model.OnEditorLostFocus();
  EXPECT_FALSE(model.ChangedOutside());
  fs.AdvanceNs(5'000'000'000);
  fs.WriteInPlace(data_file, fs.Content(data_file).value() + "[Name]\r\n");
  EXPECT_TRUE(model.ChangedOutside());
}

TEST_F(MainModelTest, ATextNotYetStoredIsNeverReplacedByAnotherEntry) {
  const std::string snowman = "\xE2\x98\x83";
  const struct {
    const char* name;
    bool leave_first;  // the editor had the focus, so its leave came before the click
    bool crypt;
    std::string typed;
    std::optional<MessageAnswer> answer;
    int failing_writes;
    std::optional<MessageAnswer> discard;  // the question on the click, when there is one
    bool stays;                            // the list goes back to "a", the editor keeps the text
  } cases[] = {
      // Pasted through the menu while the list had the focus: no leave, stored on the click.
      {"pasted without focus", false, false, "neu", std::nullopt, 0, std::nullopt, false},
      {"declined Unicode, kept", true, false, snowman, MessageAnswer::kNo, 0, MessageAnswer::kNo,
       true},
      {"declined Unicode, dropped", true, false, snowman, MessageAnswer::kNo, 0,
       MessageAnswer::kYes, false},
      {"enciphered, not in the code page", true, true, snowman, std::nullopt, 0, MessageAnswer::kNo,
       true},
      // The click tries once more, without telling again, and now it works.
      {"failed write", true, false, "neu", std::nullopt, 1, std::nullopt, false},
  };
  for (const auto& c : cases) {
    data_file = std::string("C:\\Q\\") + c.name + ".ini";
    dialogs.messages.clear();
    Library({"a", "b"});
    ASSERT_EQ(view.ListText(view.selection), "a");
    view.crypt = c.crypt;
    view.editor = c.typed;
    if (c.answer) dialogs.message_answers = {*c.answer};
    fs.FailNextWrites(c.failing_writes);
    if (c.leave_first) model.OnEditorLostFocus();
    const std::size_t told = dialogs.messages.size();
    if (c.discard) dialogs.message_answers = {*c.discard};
    Select("b");
    ASSERT_EQ(dialogs.messages.size(), told + (c.discard ? 1 : 0)) << c.name;
    if (c.discard) {
      EXPECT_EQ(dialogs.messages.back().buttons, MessageButtons::kYesNoDefaultNo) << c.name;
    }
    if (c.stays) {
      EXPECT_EQ(view.ListText(view.selection), "a") << c.name;
      EXPECT_EQ(view.editor, c.typed) << c.name;
    } else {
      EXPECT_EQ(view.editor, "text of b") << c.name;
    }
    EXPECT_EQ(Value("Text", "1"), c.typed == "neu" ? "neu" : "text of a") << c.name;
  }

  // Renaming or adding while such a text waits keeps it with its entry.
  data_file = "C:\\Q\\umbenennen.ini";
  Library({"b", "c"});
  view.editor = snowman;
  dialogs.message_answers = {MessageAnswer::kNo};
  model.OnEditorLostFocus();
  dialogs.text_answers = {std::string("z")};
  model.RenameEntry();
  EXPECT_EQ(view.ListText(view.selection), "z");
  EXPECT_EQ(view.editor, snowman);
  dialogs.text_answers = {std::string("a")};
  dialogs.message_answers = {MessageAnswer::kNo};  // do not drop the text
  model.NewEntry();
  EXPECT_EQ(dialogs.messages.back().buttons, MessageButtons::kYesNoDefaultNo);
  EXPECT_EQ(view.ListText(view.selection), "z");
  EXPECT_EQ(view.editor, snowman);
  EXPECT_EQ(Value("Name", "3"), "a");
}

TEST_F(MainModelTest, OurOwnWritesDoNotHideAnEarlierChangeFromOutside) {
  Library({"a", "b"});
  // Another program adds an entry; the list does not show it yet.
  IniStore other_ini{fs, ansi};
  EntryStore other{other_ini, ansi};
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(other.WriteEntry(3, {"c", "text of c", "", 0, 0}, data_file));
  const struct {
    const char* name;
    std::function<void()> write;
  } writes[] = {
      {"text",
       [&] {
         view.editor = "neu";
         model.OnEditorLostFocus();
       }},
      {"DOS box",
       [&] {
         view.dosbox = true;
         model.OnDosBoxClick();
       }},
      {"new entry",
       [&] {
         dialogs.text_answers = {std::string("d")};
         model.NewEntry();
       }},
      {"delete",
       [&] {
         dialogs.message_answers = {MessageAnswer::kYes};
         model.DeleteEntry();
       }},
  };
  for (const auto& w : writes) {
    w.write();
    EXPECT_TRUE(model.ChangedOutside()) << w.name << ": the next showing would not reload";
  }
}

TEST_F(MainModelTest, DeletingWithAListBehindTheFileLosesNoEntry) {
  IniStore other_ini{fs, ansi};
  EntryStore other{other_ini, ansi};
  // Another program added "d" as number 4, which the list does not show yet.
  Library({"a", "b", "c"});
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(other.WriteEntry(4, {"d", "text of d", "", 0, 0}, data_file));
  Select("a");
  model.DeleteEntry();
  EXPECT_EQ(Reloaded(), (std::map<std::string, std::string>{
                            {"b", "text of b"}, {"c", "text of c"}, {"d", "text of d"}}));
  for (int i = 0; i < view.ListCount(); ++i) {
    EXPECT_EQ(Value("Name", std::to_string(view.ListData(i)).c_str()), view.ListText(i));
  }

  // The entry's number now carries another name: nothing is deleted.
  data_file = "C:\\Q\\umbenannt.ini";
  Library({"a", "b"});
  fs.AdvanceNs(5'000'000'000);
  ASSERT_TRUE(other_ini.WriteIniValue("Name", "1", "q", data_file));
  Select("a");
  dialogs.messages.clear();
  model.DeleteEntry();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::kExclamation);
  EXPECT_EQ(Reloaded(),
            (std::map<std::string, std::string>{{"q", "text of a"}, {"b", "text of b"}}));
}

// Another program swaps "c" (number 3) with "b", or deletes it, while "c" is being edited:
// every write goes into the entry named "c", or into a new one, never into "b".
TEST_F(MainModelTest, EveryWriteFindsItsEntryByNumberAndName) {
  const struct {
    const char* name;
    std::function<void()> edit;
    std::string after;  // the entry afterwards: name|text|title|DOS box; empty: deleted
  } writers[] = {
      {"text",
       [&] {
         view.editor = "neu";
         model.OnEditorLostFocus();
       },
       "c|neu|Editor|1"},
      {"title",
       [&] {
         view.title_text = "Rechner";
         model.OnTitleLostFocus();
       },
       "c|text of c|Rechner|1"},
      {"DOS box",
       [&] {
         view.dosbox = false;
         model.OnDosBoxClick();
       },
       "c|text of c|Editor|0"},
      {"last window",
       [&] {
         view.destination = 0;
         model.OnDestinationTypeClick(0);
       },
       "c|text of c||0"},
      {"rename",
       [&] {
         dialogs.text_answers = {std::string("d")};
         model.RenameEntry();
       },
       "d|text of c|Editor|1"},
      {"delete", [&] { model.DeleteEntry(); }, ""},
      {"abbreviation",
       [&] {
         view.abbreviation = "mfg";
         model.OnAbbreviationLostFocus();
       },
       "c|text of c|Editor|1"},
      {"delivery", [&] { model.OnDeliveryChoice(2); }, "c|text of c|Editor|1"},
  };
  using Entries = std::vector<std::pair<int, SnippetEntry>>;
  const SnippetEntry a{"a", "text of a", "", 0, 0}, b{"b", "text of b", "", 0, 0},
      c{"c", "text of c", "Editor", 0, 1};
  for (bool swapped : {true, false}) {
    for (const auto& w : writers) {
      const std::string what = std::string(w.name) + (swapped ? ", swapped" : ", deleted");
      data_file = "C:\\Q\\" + what + ".ini";
      dialogs.messages.clear();
      ASSERT_TRUE(entries.WriteEntries({{1, a}, {2, b}, {3, c}}, data_file));
      Load();
      Select("c");
      fs.AdvanceNs(5'000'000'000);
      fs.SetFile(data_file, "");
      ASSERT_TRUE(entries.WriteEntries(
          swapped ? Entries{{1, a}, {2, c}, {3, b}} : Entries{{1, a}, {2, b}}, data_file));
      w.edit();
      EXPECT_EQ(Reloaded().at("b"), "text of b") << what;
      EXPECT_EQ(entries.CountEntries(data_file), w.after.empty() ? 2 : 3) << what;
      // Gone: told once, whatever the command.
      const auto gone = [](const FakeDialogs::Shown& m) {
        return m.text.find("nicht mehr zu finden") != std::string::npos;
      };
      EXPECT_EQ(std::count_if(dialogs.messages.begin(), dialogs.messages.end(), gone),
                swapped ? 0 : 1)
          << what;
      if (w.after.empty()) continue;
      // Moved: written where it is now; gone: a new entry of the window's fields.
      const SnippetEntry e = entries.ReadEntry(swapped ? 2 : 3, data_file);
      EXPECT_EQ(e.name + "|" + e.text + "|" + e.title + "|" + std::to_string(e.dosbox), w.after)
          << what;
      EXPECT_EQ(view.ListData(view.selection), swapped ? 2 : 3) << what;
      EXPECT_EQ(ini.ReadIniValue("Kuerzel", swapped ? "2" : "3", "", data_file),
                std::string(w.name) == "abbreviation" ? "mfg" : "")
          << what;
      EXPECT_EQ(ini.ReadIniValue("Zustellung", swapped ? "2" : "3", "", data_file),
                std::string(w.name) == "delivery" ? "Tasten" : "")
          << what;
      // Shown by number and name too: the list still gives "c"'s new number to "b".
      Select("b");
      EXPECT_EQ(view.editor, "text of b") << what;
    }
  }
}

// A box of the editor's focus loss is open while other events run in its message loop.
TEST_F(MainModelTest, AQuestionWhileTheFocusLeavesIsAskedOnceAndItsAnswerHolds) {
  const std::string snowman = "\xE2\x98\x83";
  const struct {
    const char* name;
    bool fails;
    MessageAnswer answer;
    std::function<void()> meanwhile;
    std::string after;  // entry "x"'s text and title
  } cases[] = {
      {"the focus leaves again", false, MessageAnswer::kYes, [&] { model.OnEditorLostFocus(); },
       snowman + "|"},
      {"the window hides", false, MessageAnswer::kYes,
       [&] { model.StorePendingEditsThen([&] { model.OnEditorLostFocus(); }); }, snowman + "|"},
      {"declined, the session ends, a title waits", false, MessageAnswer::kNo,
       [&] {
         view.focus = MainView::Focus::kTitleBox;
         view.title_text = "T";
         model.StorePendingEdits();
       },
       "text of x|T"},
      {"the entry moves", false, MessageAnswer::kYes,
       [&] {
         ini.WriteIniValues({{"Name", "1", "y"}, {"Name", "2", "x"}}, data_file);
       },
       snowman + "|"},
      {"a failed write, the focus leaves again", true, MessageAnswer::kOk,
       [&] { model.OnEditorLostFocus(); }, snowman + "|"},
  };
  for (const auto& c : cases) {
    data_file = std::string("C:\\Q\\") + c.name + ".ini";
    fs.SetFile(data_file, c.fails ? "\xFF\xFE" : "");  // Unicode: the write alone fails
    dialogs.messages.clear();
    Library({"x", "y"});
    view.focus = MainView::Focus::kEditor;
    view.editor = snowman;
    fs.FailNextWrites(c.fails ? 1 : 0);
    dialogs.message_answers = {c.answer};
    dialogs.while_open = c.meanwhile;
    model.OnEditorLostFocus();
    // Afterwards too: the focus back and leaving again, the icon, the end of the session.
    model.OnEditorLostFocus();
    model.StorePendingEdits();
    EXPECT_EQ(dialogs.messages.size(), 1u) << c.name;
    const int x = entries.ReadEntry(1, data_file).name == "x" ? 1 : 2;
    const SnippetEntry e = entries.ReadEntry(x, data_file);
    EXPECT_EQ(e.text + "|" + e.title, c.after) << c.name;
  }
}

TEST_F(MainModelTest, FindContinuesFromTheCaretAndStopsAtTheEnd) {
  Library({"x"});
  view.editor = "Hallo hallo";
  dialogs.text_answers = {std::string("HALLO")};
  model.OnEditCommand(QuilletCommand::kEditFind);
  EXPECT_EQ(view.caret, 0u);
  EXPECT_EQ(view.selection_length, 5u);
  model.OnEditCommand(QuilletCommand::kEditFindNext);
  EXPECT_EQ(view.caret, 6u);
  model.OnEditCommand(QuilletCommand::kEditFindNext);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Die Suche ist am Ende des Textes angekommen.");
  EXPECT_EQ(view.caret, 6u);
  EXPECT_EQ(dialogs.prompts[0].prompt, "Suchen nach:");
}

TEST_F(MainModelTest, ClipboardCommandsCarryTheDisplayForm) {
  Library({"x"});
  view.editor = "ab" + E + "\rcd";
  view.EditorSelect(1, 3);
  model.OnEditCommand(QuilletCommand::kEditCut);
  EXPECT_EQ(clipboard.text, "b" + E + "\r");
  EXPECT_EQ(view.editor, "acd");
  model.OnEditCommand(QuilletCommand::kEditPaste);
  EXPECT_EQ(view.editor, "ab" + E + "\rcd");
  // A clipboard that cannot be written keeps the text where it is, and says so.
  clipboard.unavailable = true;
  view.EditorSelect(0, 2);
  model.OnEditCommand(QuilletCommand::kEditCut);
  EXPECT_EQ(view.editor, "ab" + E + "\rcd");
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace qm
