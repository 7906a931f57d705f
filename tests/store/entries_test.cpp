// Snippet entries: the five fields, flags read as numbers, the enciphered form, abbreviations.
#include "store/entries.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
#include "rich/rich_html.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "tests/fakes/fake_file_system.h"
#include "transfer/library_import.h"

namespace qm {
namespace {

class EntriesTest : public testing::Test {
 protected:
  // A fresh library of entries 1, 2, ... with these names; each text is its name and number.
  void Library(const std::vector<std::string>& names) {
    std::vector<std::pair<int, SnippetEntry>> all;
    for (int n = 1; n <= static_cast<int>(names.size()); ++n) {
      all.push_back({n, {names[n - 1], names[n - 1] + std::to_string(n), "", 0, 0}});
    }
    fs.SetFile("lib.ini", "");
    ASSERT_TRUE(entries.WriteEntries(all, "lib.ini"));
  }

  // "1=mfg 2=adr* " for the file's abbreviations, * for those expanded at once.
  std::string Abbreviations() {
    std::string out;
    for (const Abbreviation& a : ReadAbbreviations(*ini.Snapshot("lib.ini"))) {
      out += std::to_string(a.number) + "=" + a.text + (a.at_once ? "* " : " ");
    }
    return out;
  }

  FakeFileSystem fs;
  Windows1252CodePage ansi;
  IniStore ini{fs, ansi};
  EntryStore entries{ini, ansi};
};

// The caller knew "Gruss" as number 2; another program has changed the file since.
TEST_F(EntriesTest, AnEntryIsFoundByItsNumberAndName) {
  const struct {
    const char* name;
    std::vector<std::string> names;
    const char* text;  // of the fields the caller knew: nullptr when none are known
    EntryPlace place;
    int number;
  } cases[] = {
      {"still there", {"a", "Gruss"}, nullptr, EntryPlace::kHere, 2},
      {"moved, changed", {"Gruss", "a"}, "anders", EntryPlace::kMoved, 1},
      {"gone", {"a", "b"}, nullptr, EntryPlace::kGone, 0},
      {"renamed in another case", {"a", "gruss"}, nullptr, EntryPlace::kGone, 0},
      {"several others", {"Gruss", "a", "Gruss"}, "anders", EntryPlace::kUnclear, 0},
      {"several others, the fields tell", {"Gruss", "a", "Gruss"}, "Gruss3", EntryPlace::kMoved, 3},
      {"a stranger of its name in its place",
       {"a", "Gruss", "Gruss"},
       "Gruss3",
       EntryPlace::kMoved,
       3},
      {"in its place, changed", {"a", "Gruss", "Gruss"}, "anders", EntryPlace::kHere, 2},
  };
  for (const auto& c : cases) {
    Library(c.names);
    EntryKey key{2, "Gruss", {}};
    if (c.text) key.fields = StoredFields{c.text, "0", "", "0"};
    SnippetEntry found;
    const EntryLocation at = entries.FindEntry(key, "lib.ini", &found, nullptr);
    EXPECT_EQ(at.place, c.place) << c.name;
    EXPECT_EQ(at.number, c.number) << c.name;
    EXPECT_EQ(found.text, c.number ? "Gruss" + std::to_string(c.number) : "") << c.name;
  }
  // A name in quotes is the name once the file has taken its outer pair off.
  Library({"b", "'zitiert'"});
  int moved_from = 0;
  ASSERT_TRUE(entries.RemoveEntry({2, "'zitiert'", {}}, "lib.ini", nullptr, &moved_from));
  EXPECT_EQ(entries.CountEntries("lib.ini"), 1);
}

TEST_F(EntriesTest, RoundTripsPlainAndEnciphered) {
  const SnippetEntry plain{"Gru\xC3\x9F", EscapeStoredText("Zeile 1\r\nZeile \"2\"\t\xE2\x82\xAC"),
                           "Editor", 0, 1};
  const SnippetEntry secret{"Geheim", EscapeStoredText("PIN \xC3\xA4\xC3\xB6\xC3\xBC 1234"), "", 1,
                            0};
  ASSERT_TRUE(entries.WriteEntry(1, plain, "lib.ini"));
  ASSERT_TRUE(entries.WriteEntry(2, secret, "lib.ini"));
  for (const auto& [n, e] : {std::pair{1, plain}, std::pair{2, secret}}) {
    const SnippetEntry got = entries.ReadEntry(n, "lib.ini");
    EXPECT_EQ(got.name, e.name);
    EXPECT_EQ(got.text, e.text);
    EXPECT_EQ(got.title, e.title);
    EXPECT_EQ(got.crypt, e.crypt);
    EXPECT_EQ(got.dosbox, e.dosbox);
  }
  EXPECT_EQ(ini.ReadIniValue("Text", "2", "", "lib.ini").find("PIN"), std::string::npos);
  EXPECT_EQ(entries.CountEntries("lib.ini"), 2);
}

// The data file trims values and takes off a pair of quotes; a text's own must survive.
TEST_F(EntriesTest, BlanksAndQuotesAtTheEndsOfATextSurvive) {
  const std::string texts[] = {
      "Mit freundlichen Gr\xC3\xBC\xC3\x9F"
      "en ",
      "  einger\xC3\xBC"
      "ckt",
      "'zitiert'", " ", "ohne"};
  int n = 0;
  for (const std::string& text : texts) {
    ASSERT_TRUE(entries.WriteEntry(++n, {"t", EscapeStoredText(text), "", 0, 0}, "lib.ini"));
    EXPECT_EQ(UnescapeStoredText(entries.ReadEntry(n, "lib.ini").text), text);
  }
  EXPECT_EQ(ini.ReadIniValue("Text", "5", "", "lib.ini"), "ohne");
  EXPECT_NE(fs.Content("lib.ini").value_or("").find("5=ohne\r\n"), std::string::npos);
}

TEST_F(EntriesTest, AppendTakesTheNextFreeNumber) {
  fs.SetFile("lib.ini", "[Name]\r\n1=a\r\n2=b\r\n4=d\r\n");
  int number = 0;
  ASSERT_TRUE(entries.AppendEntry({"c", "", "", 0, 0}, "lib.ini", &number));
  EXPECT_EQ(number, 3);
  ASSERT_TRUE(entries.AppendEntry({"e", "", "", 0, 0}, "lib.ini", &number));
  EXPECT_EQ(number, 5);  // 4 was there already, unreachable until 3 existed
  EXPECT_EQ(entries.CountEntries("lib.ini"), 5);
}

TEST_F(EntriesTest, EmptyEncipheredTextIsTheSaltAlone) {
  ASSERT_TRUE(entries.WriteEntry(1, {"n", "", "", 1, 0}, "lib.ini"));
  EXPECT_EQ(ini.ReadIniValue("Text", "1", "", "lib.ini").size(), 4u);
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").text, "");
}

// Windows cut values at 32,766 characters, which destroyed enciphered texts past 8,190.
TEST_F(EntriesTest, LongEncipheredTextSurvives) {
  std::string text;
  for (int i = 0; text.size() < 50'000; ++i) text += "Satz " + std::to_string(i) + ". ";
  ASSERT_TRUE(entries.WriteEntry(1, {"lang", text, "", 1, 0}, "lib.ini"));
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").text, text);
}

TEST_F(EntriesTest, FlagsAreNumbersAndTheLibraryEndsAtAGap) {
  fs.SetFile("lib.ini",
             "[Name]\r\n1=a\r\n2=b\r\n4=d\r\n[Crypt]\r\n1=yes\r\n2=-1\r\n[DosBox]\r\n1=0.6\r\n"
             "2=0.5\r\n[Text]\r\n2=0000\r\n");
  EXPECT_EQ(entries.CountEntries("lib.ini"), 2);
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").crypt, 0);
  EXPECT_EQ(entries.ReadEntry(2, "lib.ini").crypt, 1);
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").dosbox, 1);  // 0.6 rounds to 1
  EXPECT_EQ(entries.ReadEntry(2, "lib.ini").dosbox, 0);  // 0.5 rounds to the even 0
  const SnippetEntry none = entries.ReadEntry(9, "lib.ini");
  EXPECT_EQ(none.name + none.text + none.title, "");
  EXPECT_EQ(none.crypt + none.dosbox, 0);
}

TEST_F(EntriesTest, RefusedTextLeavesTheFileUntouched) {
  ASSERT_TRUE(entries.WriteEntry(1, {"a", "alt", "", 0, 0}, "lib.ini"));
  const std::string before = fs.Content("lib.ini").value_or("");
  for (int crypt : {0, 1}) {
    const Status s =
        entries.WriteEntry(1, {"b", "Smiley \xF0\x9F\x98\x80", "", crypt, 0}, "lib.ini");
    EXPECT_EQ(s.code, Status::Code::kRefused);
    EXPECT_NE(s.message.find("U+1F600"), std::string::npos);
  }
  EXPECT_EQ(fs.Content("lib.ini").value_or(""), before);
}

// The count is taken from one look at the file, not one per entry.
TEST_F(EntriesTest, CountingLooksAtTheFileOnce) {
  std::string file = "[Name]\r\n";
  for (int i = 1; i <= 300; ++i) file += std::to_string(i) + "=n" + std::to_string(i) + "\r\n";
  fs.SetFile("lib.ini", file);
  const int stats = fs.StatCount();
  EXPECT_EQ(entries.CountEntries("lib.ini"), 300);
  EXPECT_EQ(fs.StatCount() - stats, 1);
  EXPECT_EQ(entries.CountEntries("missing.ini"), 0);
}

// The highest entry moves into the deleted one's number, its abbreviation, flag and delivery
// with it, and nothing of the deleted one's stays behind under either number.
TEST_F(EntriesTest, AbbreviationsMoveWithTheirEntryOnDelete) {
  const struct {
    std::vector<const char*> abbreviations;  // of a, b, c; "*" at the end: at once
    int removed;
    const char* after;
  } cases[] = {
      {{"mfg", "adr*", "#sig"}, 2, "1=mfg 2=#sig "},
      {{"", "adr*", ""}, 2, ""},
      {{"x", "", "z*"}, 3, "1=x "},
      {{"", "", "zz*"}, 1, "1=zz* "},
      {{"mfg*", "b", "c"}, 1, "1=c 2=b "},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> names = {"a", "b", "c"};
    Library(names);
    for (int n = 1; n <= 3; ++n) {
      std::string text = c.abbreviations[n - 1];
      const bool at_once = !text.empty() && text.back() == '*';
      if (at_once) text.pop_back();
      ASSERT_TRUE(
          WriteAbbreviation(entries, {n, names[n - 1], {}}, text, at_once, {}, "lib.ini", nullptr));
    }
    ASSERT_TRUE(ini.WriteIniValues({{kDeliverySection, "3", "Tasten"}}, "lib.ini"));
    ASSERT_TRUE(
        entries.RemoveEntry({c.removed, names[c.removed - 1], {}}, "lib.ini", nullptr, nullptr));
    EXPECT_EQ(entries.ReadEntry(c.removed, "lib.ini").delivery, c.removed == 3 ? "" : "Tasten");
    EXPECT_EQ(ini.ReadIniValue(kDeliverySection, "3", "", "lib.ini"), "") << c.removed;
    EXPECT_EQ(Abbreviations(), c.after) << c.removed;
    // Nothing is left under the old highest number for the next new entry to inherit.
    EXPECT_EQ(ini.ReadIniValue("Kuerzel", "3", "", "lib.ini"), "") << c.removed;
    EXPECT_EQ(ini.ReadIniValue("KuerzelSofort", "3", "", "lib.ini"), "") << c.removed;
  }
}

// Imported entries go in with one write or not at all; a name or abbreviation the library has
// already is handled as the user chose.
TEST_F(EntriesTest, AnImportIsWrittenOnceWithItsConflictsHandledAsChosen) {
  const std::vector<ImportedEntry> imported = {
      {"a", "neu a", "", false, "", false, false, "", 2},
      {"c", "c", "MFG", false, "", false, false, "", 3},
      {"d", "d\rx", "#d", true, "", false, false, "Tasten", 4},
      {"e", "", "e e", false, "", false, false, "", 5},        // never typed as one word
      {"f\r\ng", "", "", false, "t\nu", false, false, "", 6},  // names are one line
  };
  const struct {
    OnConflict on_conflict;
    bool written;
    const char* names;
    const char* abbreviations;
    int added, replaced, skipped;
  } cases[] = {
      {OnConflict::kAsk, false, "a b ", "2=mfg ", 0, 0, 0},
      {OnConflict::kSkip, true, "a b d e f g ", "2=mfg 3=#d* ", 3, 0, 2},
      {OnConflict::kReplace, true, "a c d e f g ", "2=MFG 3=#d* ", 3, 2, 0},
      {OnConflict::kKeep, true, "a b a (2) c d e f g ", "2=mfg 5=#d* ", 5, 0, 0},
  };
  for (const auto& c : cases) {
    Library({"a", "b"});
    ASSERT_TRUE(WriteAbbreviation(entries, {2, "b", {}}, "mfg", false, {}, "lib.ini", nullptr));
    const int writes = fs.WriteCount();
    ImportOutcome outcome;
    const Status s = ImportEntries(entries, imported, c.on_conflict, "lib.ini", &outcome);
    EXPECT_EQ(s.ok(), c.written) << s.message;
    EXPECT_EQ(fs.WriteCount() - writes, c.written ? 1 : 0);
    std::string names;
    for (const std::string& n : ReadNumberedList(*ini.Snapshot("lib.ini"), "Name"))
      names += n + " ";
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(Abbreviations(), c.abbreviations);
    EXPECT_EQ(outcome.added, c.added);
    EXPECT_EQ(outcome.replaced, c.replaced);
    EXPECT_EQ(outcome.skipped, c.skipped);
    ASSERT_EQ(outcome.conflicts.size(), 2u);
    EXPECT_TRUE(outcome.conflicts[0].existing == 1 && !outcome.conflicts[0].by_abbreviation);
    EXPECT_TRUE(outcome.conflicts[1].existing == 2 && outcome.conflicts[1].by_abbreviation);
    EXPECT_EQ(outcome.notes.size(), c.on_conflict == OnConflict::kKeep ? 3u : 2u);
  }
  // The new entry's text, flag and delivery as they were imported.
  const SnippetEntry d = entries.ReadEntry(5, "lib.ini");
  EXPECT_EQ(UnescapeStoredText(d.text), "d\rx");
  EXPECT_EQ(d.delivery, "Tasten");
  // Within one file: a repeated name comes in renamed; a replace neither takes another
  // entry's abbreviation nor replaces one entry twice; a name is compared as the file trims it.
  Library({"a", "b"});
  ASSERT_TRUE(WriteAbbreviation(entries, {2, "b", {}}, "mfg", false, {}, "lib.ini", nullptr));
  ASSERT_TRUE(ImportEntries(entries,
                            {{"a", "1", "mfg", false, "", false, false, "", 2},
                             {"a", "2", "", false, "", false, false, "", 3},
                             {" n\t", "3", "", false, "", false, false, "", 4},
                             {"n", "4", "", false, "", false, false, "", 5},
                             {"\t", "5", "", false, "", false, false, "", 6}},
                            OnConflict::kReplace, "lib.ini", nullptr));
  std::string names;
  for (const std::string& n : ReadNumberedList(*ini.Snapshot("lib.ini"), "Name")) names += n + "|";
  EXPECT_EQ(names, "a|b|a (2)|n|n (2)|");
  EXPECT_EQ(Abbreviations(), "2=mfg ");
  // An enciphered text the code page cannot hold refuses the import, naming its entry.
  Library({"a"});
  ImportOutcome outcome;
  const Status s =
      ImportEntries(entries, {{"x", "\xE2\x86\x92", "", false, "", false, true, "", 2}},
                    OnConflict::kAsk, "lib.ini", &outcome);
  EXPECT_EQ(s.code, Status::Code::kRefused);
  EXPECT_EQ(s.message.rfind("„x“: ", 0), 0u) << s.message;
}

// A delivery the program does not know would be typed without a word at send time: it stays
// out, with a note naming it; a known one comes in as it is written.
TEST_F(EntriesTest, AnImportedDeliveryIsOneTheProgramKnows) {
  Library({});
  ImportOutcome outcome;
  ASSERT_TRUE(ImportEntries(entries,
                            {{"p", "1", "", false, "", false, false, "paste", 2},
                             {"e", "2", "", false, "", false, false, "Einfuegen", 3},
                             {"k", "3", "", false, "", false, false, " konsole ", 4}},
                            OnConflict::kAsk, "lib.ini", &outcome));
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").delivery + "|" +
                entries.ReadEntry(2, "lib.ini").delivery + "|" +
                entries.ReadEntry(3, "lib.ini").delivery,
            "||konsole");
  ASSERT_EQ(outcome.notes.size(), 2u);
  EXPECT_EQ(outcome.notes[1].what.rfind("Die Zustellung „Einfuegen“ kennt Quillet nicht (Tippen, "
                                        "Tasten, Einfügen, ",
                                        0),
            0u)
      << outcome.notes[1].what;
}

// The formatted version goes where its entry goes, enciphered with it; an import keeps only
// one that shows the entry's text, and one written over loses the one it had.
TEST_F(EntriesTest, TheFormattedVersionStaysWithItsEntry) {
  Library({"a", "b", "c"});
  ASSERT_TRUE(entries.WriteEntry(3, {"c", "Grüße", "", 1, 0, "", "<b>Grüße</b>"}, "lib.ini"));
  const std::string stored = ini.ReadIniValue(kFormatSection, "3", "", "lib.ini");
  EXPECT_EQ(stored.find("b>"), std::string::npos) << stored;
  ASSERT_TRUE(entries.RemoveEntry({1, "a", {}}, "lib.ini", nullptr, nullptr));
  EXPECT_EQ(WriteRichHtml(ReadRichHtml(entries.ReadEntry(1, "lib.ini").html)), "<b>Grüße</b>");
  EXPECT_EQ(ini.ReadIniValue(kFormatSection, "3", "", "lib.ini"), "");

  ImportOutcome outcome;
  ASSERT_TRUE(ImportEntries(entries,
                            {{"c", "x", "", false, "", false, false, "", 2, ""},
                             {"d", "", "", false, "", false, false, "", 3, "<p>A</p><p>B</p>"},
                             {"e", "anders", "", false, "", false, false, "", 4, "<i>alt</i>"}},
                            OnConflict::kReplace, "lib.ini", &outcome));
  EXPECT_EQ(entries.ReadEntry(1, "lib.ini").html, "");
  const SnippetEntry d = entries.ReadEntry(3, "lib.ini");
  EXPECT_EQ(UnescapeStoredText(d.text) + "|" + d.html, "A\rB|<p>A</p><p>B</p>");
  EXPECT_EQ(entries.ReadEntry(4, "lib.ini").html, "");
  ASSERT_EQ(outcome.notes.size(), 1u);
  EXPECT_NE(outcome.notes[0].what.find("anderen Text"), std::string::npos);
}

TEST_F(EntriesTest, AbbreviationsAreStoredAsTypedOrRefused) {
  const struct {
    const char* typed;
    bool at_once;
    Status::Code code;
    const char* after;
  } cases[] = {
      {"  MfG  ", false, Status::Code::kOk, "1=MfG "},
      {"#adr", true, Status::Code::kOk, "1=#adr* "},
      {"=\xC3\xA4\xE2\x82\xAC", false, Status::Code::kOk, "1==\xC3\xA4\xE2\x82\xAC "},
      {"m-f_g", false, Status::Code::kOk, "1=m-f_g "},
      {"", true, Status::Code::kOk, ""},  // no flag without an abbreviation
      {"mf g", false, Status::Code::kRefused, "1=alt "},
      {"mf\tg", false, Status::Code::kRefused, "1=alt "},
      {"mfg.", false, Status::Code::kOk, "1=mfg. "},  // punctuation counts from the last gap
      {"'mfg'", false, Status::Code::kOk, "1='mfg' "},
      {"abcdefghijklmnopqrstuvwxyz1234567", false, Status::Code::kRefused, "1=alt "},
      {"\xF0\x9F\x98\x80", false, Status::Code::kRefused, "1=alt "},  // not in an ANSI file
  };
  for (const auto& c : cases) {
    Library({"a"});
    ASSERT_TRUE(WriteAbbreviation(entries, {1, "a", {}}, "alt", false, {}, "lib.ini", nullptr));
    const Status s =
        WriteAbbreviation(entries, {1, "a", {}}, c.typed, c.at_once, {}, "lib.ini", nullptr);
    EXPECT_EQ(s.code, c.code) << c.typed;
    EXPECT_EQ(Abbreviations(), c.after) << c.typed;
  }
  // An entry deleted meanwhile comes back as a new one, abbreviation included.
  Library({"a", "b"});
  EntryLocation where;
  ASSERT_TRUE(WriteAbbreviation(entries, {1, "weg", {}}, "mfg", true, {"weg", "", "", 0, 0},
                                "lib.ini", &where));
  EXPECT_EQ(where.number, 3);
  EXPECT_EQ(Abbreviations(), "3=mfg* ");
}

// An older version deletes entries without knowing abbreviations: what it leaves beyond the
// last entry is no one's, and a new entry in that number does not inherit it.
TEST_F(EntriesTest, LeftoverAbbreviationsBelongToNoOne) {
  fs.SetFile("lib.ini", "[Name]\r\n1=a\r\n2=b\r\n[Kuerzel]\r\n3=alt\r\n[KuerzelSofort]\r\n3=1\r\n");
  EXPECT_EQ(Abbreviations(), "");
  int number = 0;
  ASSERT_TRUE(entries.AppendEntry({"c", "", "", 0, 0}, "lib.ini", &number));
  EXPECT_EQ(Abbreviations(), "");
  fs.SetFile("lib.ini", "[Common]\r\nKuerzel=0\r\n");
  EXPECT_FALSE(AbbreviationsOn(ini.Snapshot("lib.ini").get()));
  ASSERT_TRUE(ini.WriteIniValues({AbbreviationsSwitch(true)}, "lib.ini"));
  EXPECT_TRUE(AbbreviationsOn(ini.Snapshot("lib.ini").get()));
  EXPECT_TRUE(AbbreviationsOn(nullptr));
}

TEST(AbbreviationConflicts, SameOrPrefixWithoutRegardToCase) {
  using K = ConflictKind;
  const std::vector<Abbreviation> all = {
      {1, "mfg", false},
      {2, "MfG", true},
      {3, "mfgr", false},
      {4, "adr", false},
      {5, "ad", false},
      {6, "x y", false},
      {7, "\xC3\x84rger", false},
      {8, "\xC3\xA4rg", false},
      {9, "b", false},
      // After a mark inside one, another comes first: at the mark, or at once at its last key.
      {10, "a:mfg.x", false},
      {11, ":ad", false},
  };
  const std::map<int, std::vector<AbbreviationConflict>> expected = {
      {1, {{K::kSame, 2}, {K::kBeginsOther, 3}, {K::kInsideOther, 10}}},
      {2, {{K::kSame, 1}, {K::kBeginsOther, 3}, {K::kInsideOther, 10}}},
      {3, {{K::kBeginsWithOther, 1}, {K::kBeginsWithOther, 2}}},
      {4, {{K::kBeginsWithOther, 5}}},
      {5, {{K::kBeginsOther, 4}}},
      {6, {{K::kUntypable, 0}}},
      {7, {{K::kBeginsWithOther, 8}}},
      {8, {{K::kBeginsOther, 7}}},
      {10, {{K::kHoldsOther, 1}, {K::kHoldsOther, 2}}},
  };
  EXPECT_EQ(FindConflicts(all), expected);
}

}  // namespace
}  // namespace qm
