// quillet-cli's commands, exit codes and messages, on an in-memory file system.
#include "cli/quillet_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/portable_code_pages.h"
#include "store/abbreviations.h"
#include "store/entries.h"
#include "store/ini_document.h"
#include "tests/fakes/fake_file_system.h"

namespace qm {
namespace {

struct Result {
  int code;
  std::string out, err;
};

class QuilletCliTest : public testing::Test {
 protected:
  Result Run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = RunQuilletCli(args, in, out, err, fs, ansi);
    return {code, out.str(), err.str()};
  }
  // Each entry of a library as EntryStore reads it: every field, the abbreviation and its
  // "at once", the delivery.
  std::vector<std::string> Library(const std::string& file) {
    IniStore ini(fs, ansi);
    EntryStore store(ini, ansi);
    const std::shared_ptr<const IniDocument> doc = store.Snapshot(file);
    if (!doc) return {"no file"};
    const std::vector<Abbreviation> abbreviations = ReadAbbreviations(*doc);
    std::vector<std::string> entries;
    for (int n = 1; n <= store.CountEntries(file); ++n) {
      const SnippetEntry e = store.EntryIn(*doc, n);
      std::string abbreviation;
      for (const Abbreviation& a : abbreviations) {
        if (a.number == n) abbreviation = a.text + (a.at_once ? " sofort" : "");
      }
      entries.push_back(e.name + "|" + e.text + "|" + e.title + "|" + std::to_string(e.crypt) +
                        "|" + std::to_string(e.dosbox) + "|" + e.delivery + "|" + abbreviation);
    }
    return entries;
  }
  FakeFileSystem fs;
  Windows1252CodePage ansi;
};

TEST_F(QuilletCliTest, AddListShowRoundTrip) {
  const std::string text = "Hallo \"Welt\"\r\n\tmit \\ und \xE2\x82\xAC";
  EXPECT_EQ(Run({"lib.ini", "add", "Gru\xC3\x9F", "--title", "Editor"}, text).out, "1\n");
  EXPECT_EQ(Run({"lib.ini", "add", "Geheim", "--crypt", "--dosbox"}, "PIN 1234").out, "2\n");
  EXPECT_EQ(Run({"lib.ini", "list"}).out, "1\tGru\xC3\x9F\n2\tGeheim\n");
  EXPECT_EQ(Run({"lib.ini", "show", "1"}).out, text);
  EXPECT_EQ(Run({"lib.ini", "show", "2"}).out, "PIN 1234");
  EXPECT_EQ(Run({"lib.ini", "set", "Format", "1", "<b>Hallo</b>"}).code, 0);
  EXPECT_EQ(Run({"lib.ini", "show", "1", "--html"}).out, "<b>Hallo</b>");
  EXPECT_EQ(Run({"lib.ini", "get", "crypt", "2"}).out, "1\n");
  EXPECT_EQ(Run({"lib.ini", "get", "Title", "1"}).out, "Editor\n");
  EXPECT_EQ(Run({"lib.ini", "get", "DosBox", "2"}).out, "1\n");
}

// A library written on a Windows-1252 system, used where the ANSI code page is UTF-8: its
// names and its enciphered texts keep their umlauts.
TEST_F(QuilletCliTest, ASingleByteLibraryReadsAlikeWhereTheCodePageIsUtf8) {
  ASSERT_EQ(Run({"lib.ini", "add",
                 "Gr\xC3\xBC\xC3\x9F"
                 "e",
                 "--crypt"},
                "\xC3\xA4\xC3\xB6")
                .code,
            0);
  ASSERT_NE(fs.Content("lib.ini")->find("Gr\xFC\xDF"
                                        "e"),
            std::string::npos);
  const Utf8CodePage utf8_system;
  std::istringstream in;
  std::ostringstream list, show, err;
  RunQuilletCli({"lib.ini", "list"}, in, list, err, fs, utf8_system);
  RunQuilletCli({"lib.ini", "show", "1"}, in, show, err, fs, utf8_system);
  EXPECT_EQ(list.str(),
            "1\tGr\xC3\xBC\xC3\x9F"
            "e\n");
  EXPECT_EQ(show.str(), "\xC3\xA4\xC3\xB6");
}

TEST_F(QuilletCliTest, ImportCsvTellsConflictsAndBadLinesAndChangesNothingThen) {
  ASSERT_EQ(Run({"lib.ini", "add", "Gruß"}, "alt").code, 0);
  fs.SetFile("neu.csv", "Name;Text\r\nGruß;neu\r\nAdresse;\"Weg 1\r\nOrt\"\r\n");
  const Result asked = Run({"lib.ini", "import", "csv", "neu.csv"});
  EXPECT_EQ(asked.code, 2);
  EXPECT_NE(asked.err.find("Zeile 2 „Gruß“: den Namen hat schon „Gruß“; bisher „alt“, neu „neu“; "
                           "behalten als „Gruß (2)“"), std::string::npos)
      << asked.err;
  EXPECT_EQ(Run({"lib.ini", "list"}).out, "1\tGruß\n");

  const Result replaced = Run({"lib.ini", "import", "csv", "neu.csv", "--on-conflict", "replace"});
  EXPECT_EQ(replaced.code, 0) << replaced.err;
  EXPECT_NE(replaced.err.find("1 hinzugefügt, 1 ersetzt, 0 übersprungen."), std::string::npos);
  EXPECT_EQ(Run({"lib.ini", "list"}).out, "1\tGruß\n2\tAdresse\n");
  EXPECT_EQ(Run({"lib.ini", "show", "2"}).out, "Weg 1\rOrt");

  fs.SetFile("kaputt.csv", "Name;Text\r\na;\"offen\r\n");
  const Result bad = Run({"lib.ini", "import", "csv", "kaputt.csv"});
  EXPECT_EQ(bad.code, 2);
  EXPECT_EQ(bad.err,
            "„kaputt.csv“, Zeile 2: Ein Feld in Anführungszeichen wird nicht geschlossen.\n");
  EXPECT_EQ(Run({"lib.ini", "import", "csv", "fehlt.csv"}).code, 1);
  EXPECT_EQ(Run({"lib.ini", "import", "csv", "neu.csv", "--on-conflict", "doch"}).code, 2);
}

TEST_F(QuilletCliTest, ExportLeavesOutAnEncipheredEntryUnlessDeciphered) {
  ASSERT_EQ(Run({"lib.ini", "add", "Gruß"}, "Hallo").code, 0);
  ASSERT_EQ(Run({"lib.ini", "add", "Geheim", "--crypt"}, "PIN 1234").code, 0);
  for (const char* format : {"csv", "json"}) {
    const std::string target = std::string("out.") + format;
    const Result plain = Run({"lib.ini", "export", format, target});
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.err,
              "„Geheim“: Der Eintrag ist chiffriert und wird ohne Ihre Zustimmung "
              "nicht entschlüsselt ausgegeben; er fehlt in der Ausgabe.\n"
              "1 ausgegeben, 1 chiffrierte ausgelassen (mit --decipher entschlüsselt "
              "ausgegeben).\n");
    EXPECT_NE(fs.Content(target).value_or("").find("Hallo"), std::string::npos) << format;
    EXPECT_EQ(fs.Content(target).value_or("").find("Geheim"), std::string::npos) << format;
    const Result deciphered = Run({"lib.ini", "export", format, target, "--decipher"});
    EXPECT_EQ(deciphered.err, "2 ausgegeben.\n");
    EXPECT_NE(fs.Content(target).value_or("").find("PIN 1234"), std::string::npos) << format;
  }
}

// Exported to CSV and to JSON and each imported into an empty library, a library comes back
// entry by entry, field by field.
TEST_F(QuilletCliTest, ExportedAndImportedTheLibraryComesBack) {
  const struct {
    std::vector<std::string> add;
    std::string text;
    std::string came_back;  // where it differs from what was stored
  } entries[] = {
      {{"Grüße; \"Chef\"", "--title", "Outlook"},
       "Sehr geehrter \"Herr\" Müller;\r\tam %datum%\r\rGrüße\\",
       ""},
      {{"Konsole", "--dosbox"}, "dir c:", ""},
      {{"Geheim", "--crypt"}, "PIN 1234 äö", ""},
      // A line feed of its own is not an Enter in the library; in both files it is one.
      {{"Zeilenvorschub"}, "a\nb", "Zeilenvorschub|a\\Nb||0|0||"},
  };
  std::vector<std::string> want;
  for (const auto& e : entries) {
    std::vector<std::string> args = {"lib.ini", "add"};
    args.insert(args.end(), e.add.begin(), e.add.end());
    ASSERT_EQ(Run(args, e.text).code, 0);
  }
  for (const auto& [section, key, value] :
       std::vector<std::array<std::string, 3>>{{"Kuerzel", "1", "mfg"},
                                               {"KuerzelSofort", "1", "1"},
                                               {"Kuerzel", "2", "dirc"},
                                               {"Zustellung", "2", "Tasten"}}) {
    ASSERT_EQ(Run({"lib.ini", "set", section, key, value}).code, 0);
  }
  const std::vector<std::string> stored = Library("lib.ini");
  ASSERT_EQ(stored.size(), std::size(entries));
  EXPECT_EQ(stored[0],
            "Grüße; \"Chef\"|Sehr geehrter \\HHerr\\H Müller;\\N\\Tam "
            "%datum%\\N\\NGrüße\\\\|Outlook|0|0||mfg sofort");
  for (std::size_t i = 0; i < stored.size(); ++i) {
    want.push_back(entries[i].came_back.empty() ? stored[i] : entries[i].came_back);
  }
  for (const char* format : {"csv", "json"}) {
    const std::string file = std::string("aus.") + format, library = std::string(format) + ".ini";
    ASSERT_EQ(Run({"lib.ini", "export", format, file, "--decipher"}).code, 0);
    const Result imported = Run({library, "import", format, file});
    EXPECT_EQ(imported.err, "4 hinzugefügt, 0 ersetzt, 0 übersprungen.\n") << format;
    EXPECT_EQ(Library(library), want) << format;
  }
}

// A snippet as it would arrive, with the answers given; an included entry deciphered as for
// sending, or a notice where its cipher is damaged.
TEST_F(QuilletCliTest, ExpandFillsFieldsAndIncludesEntries) {
  ASSERT_EQ(Run({"lib.ini", "add", "Brief"},
                "%auswahl=Titel:|Dr. |Prof. %%eingabe=Name%\r"
                "%optional=Gruß%%baustein=GRUSS%%/optional%[%zwischenablage%]")
                .code,
            0);
  ASSERT_EQ(Run({"lib.ini", "add", "Gruss", "--crypt"}, "MfG %eingabe=Name%").code, 0);
  ASSERT_EQ(Run({"lib.ini", "add", "Kaputt", "--crypt"}, "x").code, 0);
  ASSERT_EQ(Run({"lib.ini", "set", "Text", "3", "nicht hex"}).code, 0);
  ASSERT_EQ(Run({"lib.ini", "add", "Mit"}, "%baustein=kaputt%").code, 0);
  const std::vector<std::string> all = {"--feld", "Titel=Dr. ", "--feld", "name=Eva"};
  const struct {
    std::vector<std::string> args;
    int code;
    std::string out, err;
  } cases[] = {
      {{"Brief", "--feld", "Gruß=ja", "--zwischenablage", "a\r\nb"},
       0,
       "Dr. Eva\nMfG Eva[a\nb]",
       ""},
      {{"1", "--feld", "Gruß=0"}, 0, "Dr. Eva\n[]", ""},
      {{"Mit"},
       0,
       "\n*** Quillet: Baustein 'kaputt' konnte nicht entschlüsselt werden! ***\n",
       "Der Baustein „kaputt“ lässt sich nicht entschlüsseln.\n"},
      {{"Brief", "--feld", "Gruß=vielleicht"},
       2,
       "",
       "Das Feld „Gruß“ nimmt nur 1, ja, 0 oder nein.\n"},
      {{"Brief", "--feld", "Titel=Herr"}, 2, "", "„Herr“ ist keine Auswahl des Feldes „Titel“.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"lib.ini", "expand"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args[0] != "Mit") args.insert(args.begin() + 3, all.begin(), all.end());
    const Result r = Run(args);
    EXPECT_EQ(r.code, c.code) << c.args[0];
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
  }
  EXPECT_EQ(Run({"lib.ini", "expand", "Brief", "--feld", "Name=Eva"}).err,
            "Fehlende Felder: Titel, Gruß\n");
}

TEST_F(QuilletCliTest, GetAndSetOneRawValue) {
  EXPECT_EQ(Run({"lib.ini", "set", "Common", "PumActPos", "2"}).code, 0);
  EXPECT_EQ(Run({"lib.ini", "get", "common", "pumactpos"}).out, "2\n");
}

TEST_F(QuilletCliTest, ExitCodesAndMessages) {
  fs.SetFile("lib.ini", "[Name]\r\n1=a\r\n");
  const struct {
    std::vector<std::string> args;
    std::string input;
    int code;
    std::string message_part;
  } cases[] = {
      {{"lib.ini", "show", "2"}, "", 1, "Eintrag 2"},
      {{"lib.ini", "show", "0"}, "", 2, "Eintragsnummer"},
      {{"lib.ini", "show", "x"}, "", 2, "Eintragsnummer"},
      {{"lib.ini", "show", "1", "--html"}, "", 1, "keine formatierte Fassung"},
      {{"lib.ini", "get", "Name", "7"},
       "",
       1,
       "\xE2\x80\x9E"
       "7"},
      {{"none.ini", "list"}, "", 1, "none.ini"},
      {{"none.ini", "export", "csv", "x.csv"}, "", 1, "„none.ini“ gibt es nicht"},
      {{"lib.ini", "export", "csv", "LIB.ini"}, "", 2, "Datendatei selbst"},
      {{"lib.ini", "add", "x"}, "Smiley \xF0\x9F\x98\x80", 2, "U+1F600"},
      {{"lib.ini", "add", "  "}, "t", 2, "Name"},
      {{"lib.ini", "add", "x"}, "\xC3", 2, "UTF-8"},
      {{"lib.ini", "set", "S", "a=b", "v"}, "", 2, "="},
      {{"lib.ini", "expand", "b"}, "", 1, "Eintrag „b“"},
      {{"lib.ini", "expand", "a", "--feld", "x"}, "", 2, "Aufruf"},
      {{"lib.ini", "expand", "A", "--feld", "X=1"}, "", 2, "Feld „X“"},
      {{"lib.ini", "frobnicate"}, "", 2, "Aufruf"},
      {{"lib.ini"}, "", 2, "Aufruf"},
      {{"lib.ini", "add", "x", "--bogus"}, "", 2, "Aufruf"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args, c.input);
    EXPECT_EQ(r.code, c.code) << c.args[1];
    EXPECT_NE(r.err.find(c.message_part), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(fs.Content("lib.ini").value_or(""), "[Name]\r\n1=a\r\n");
  fs.FailNextWrites();
  EXPECT_EQ(Run({"lib.ini", "set", "S", "k", "v"}).code, 3);
  fs.SetUnreadable("lib.ini");
  for (const char* command : {"list", "get"}) {
    std::vector<std::string> args = {"lib.ini", command};
    if (args[1] == "get") args.insert(args.end(), {"Name", "1"});
    const Result r = Run(args);
    EXPECT_EQ(r.code, 3) << command;
    EXPECT_NE(r.err.find("kann nicht gelesen werden"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace qm
