// quillet-cli's commands, exit codes and messages, on an in-memory file system.
#include "cli/quillet_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/portable_code_pages.h"
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
  EXPECT_NE(asked.err.find("Zeile 2 „Gruß“: den Namen hat schon Eintrag 1"), std::string::npos)
      << asked.err;
  EXPECT_EQ(Run({"lib.ini", "list"}).out, "1\tGruß\n");

  const Result replaced = Run({"lib.ini", "import", "csv", "neu.csv", "--on-conflict", "replace"});
  EXPECT_EQ(replaced.code, 0) << replaced.err;
  EXPECT_NE(replaced.err.find("1 hinzugefügt, 1 ersetzt, 0 übergangen."), std::string::npos);
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
      {{"lib.ini", "get", "Name", "7"},
       "",
       1,
       "\xE2\x80\x9E"
       "7"},
      {{"none.ini", "list"}, "", 1, "none.ini"},
      {{"lib.ini", "add", "x"}, "Smiley \xF0\x9F\x98\x80", 2, "U+1F600"},
      {{"lib.ini", "add", "  "}, "t", 2, "Name"},
      {{"lib.ini", "add", "x"}, "\xC3", 2, "UTF-8"},
      {{"lib.ini", "set", "S", "a=b", "v"}, "", 2, "="},
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
