// Converting a data file to UTF-16LE: the same values, a backup beside it, nothing lost on failure.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "store/ini_store.h"
#include "tests/fakes/fake_file_system.h"
#include "text/utf.h"

namespace qm {
namespace {

const char kDefault[] = "<default>";

std::string Utf16File(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

// The text of a UTF-16LE file, back in the ANSI code page.
std::string BackToAnsi(const std::string& utf16_file, const CodePage& ansi) {
  std::u16string units;
  for (std::size_t i = 2; i + 1 < utf16_file.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(utf16_file[i]) |
                                   static_cast<unsigned char>(utf16_file[i + 1]) << 8);
  }
  std::string bytes;
  return ansi.FromUtf8(Utf16ToUtf8(units), bytes, nullptr) ? bytes : "<not ANSI>";
}

// A library as users keep them: comments, blank lines, every kind of line break, quotes,
// padding, lines that are no keys, and every byte of the code page in one comment.
std::string SampleFile() {
  std::string every_byte = "; ";
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') every_byte += static_cast<char>(b);
  }
  return "; Bibliothek f\xFCr Quillet\r\nvorher=unerreichbar\r\n\r\n[Name]\r\n1=Gru\xDF"
         "formel\r\n2 = \"  Adresse  \" \r\n3='Datum'\r\n\r\n  \r\n[Title]\r\n1=\x80 "
         "\x85 \x8C\x9C\r\n2=\"halb'\r\nkeine Zuweisung\r\n[Text]\rTEXT1=a;b#c\r2==x\n3=\t\v"
         "\r\n" +
         every_byte + "\r\n[Crypt]\r\n1=0\r\n1=1\r\n[\xC4pfel ] Rest\r\n\xDC=\xFF\r\n[Leer]\r\n" +
         "letzte=ohne Zeilenende";
}

const std::vector<std::pair<std::string, std::string>> kLookups = {
    {"Name", "1"},
    {"Name", "2"},
    {"name", "3"},
    {"Name", "4"},
    {"Title", "1"},
    {"Title", "2"},
    {"Title", "keine Zuweisung"},
    {"Text", "text1"},
    {"Text", "2"},
    {"Text", "3"},
    {"Crypt", "1"},
    {"\xC3\xA4pfel", "\xC3\xBC"},
    {"Leer", "letzte"},
    {"", "vorher"},
    {"Missing", "1"},
};

class IniConvertTest : public testing::Test {
 protected:
  std::vector<std::string> ReadAll(IniStore& store) {
    std::vector<std::string> values;
    for (const auto& [section, key] : kLookups) {
      values.push_back(store.ReadIniValue(section, key, kDefault, "lib.ini"));
    }
    return values;
  }

  FakeFileSystem fs;
  Windows1252CodePage ansi;
  IniStore ini{fs, ansi};
};

TEST_F(IniConvertTest, EveryValueReadsAsBeforeAndEveryByteStays) {
  const std::string original = SampleFile();
  fs.SetFile("lib.ini", original);
  const std::vector<std::string> before = ReadAll(ini);
  std::string backup;
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", &backup));
  EXPECT_EQ(backup, "lib.ini.bak");
  EXPECT_EQ(fs.Content("lib.ini.bak").value_or(""), original);
  EXPECT_EQ(fs.LockCount(), 1);  // no other writer comes between reading and replacing

  const std::string converted = fs.Content("lib.ini").value_or("");
  EXPECT_EQ(IniDocument(converted, ansi).encoding(), IniEncoding::kUtf16Le);
  EXPECT_EQ(BackToAnsi(converted, ansi), original);
  EXPECT_EQ(ReadAll(ini), before);  // through the cache
  IniStore fresh(fs, ansi);
  EXPECT_EQ(ReadAll(fresh), before);
  EXPECT_EQ(ini.Snapshot("lib.ini")->encoding(), IniEncoding::kUtf16Le);
}

TEST_F(IniConvertTest, CommentsBlankLinesAndLineBreaksStayAsTheyWere) {
  fs.SetFile("lib.ini", "; Kommentar\r\n\r\n  \n[S]\rk=\x80\r\n;x=1");
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", nullptr));
  EXPECT_EQ(fs.Content("lib.ini").value_or(""),
            Utf16File(u"; Kommentar\r\n\r\n  \n[S]\rk=\u20AC\r\n;x=1"));
}

TEST_F(IniConvertTest, BackupsAreNeverOverwritten) {
  const struct {
    std::vector<std::string> taken;
    std::string expected;
  } cases[] = {
      {{}, "lib.ini.bak"},
      {{"lib.ini.bak"}, "lib.ini(2).bak"},
      {{"lib.ini.bak", "lib.ini(2).bak"}, "lib.ini(3).bak"},
      {{"lib.ini(2).bak"}, "lib.ini.bak"},
      {{"lib.bak"}, "lib.ini.bak"},
  };
  for (const auto& c : cases) {
    FakeFileSystem files;
    IniStore store(files, ansi);
    for (const std::string& name : c.taken) files.SetFile(name, "alt " + name);
    files.SetFile("lib.ini", "[S]\r\nk=v\r\n");
    std::string backup;
    ASSERT_TRUE(store.ConvertToUtf16("lib.ini", &backup)) << c.expected;
    EXPECT_EQ(backup, c.expected);
    EXPECT_EQ(files.Content(backup).value_or(""), "[S]\r\nk=v\r\n");
    for (const std::string& name : c.taken) {
      EXPECT_EQ(files.Content(name).value_or(""), "alt " + name) << name;
    }
  }
}

TEST_F(IniConvertTest, FailureLeavesTheFileAsItWas) {
  const std::string original = "[S]\r\nk=\xE4lter\r\n";
  // The backup cannot be written, or the file cannot be replaced.
  for (bool fail_backup : {true, false}) {
    FakeFileSystem files;
    IniStore store(files, ansi);
    files.SetFile("lib.ini", original);
    EXPECT_EQ(store.ReadIniValue("S", "k", "", "lib.ini"), "\xC3\xA4lter");
    if (fail_backup) {
      files.FailNextWrites(1);
    } else {
      files.SetReadOnly("lib.ini", true);
    }
    std::string backup = "stale";
    const Status s = store.ConvertToUtf16("lib.ini", &backup);
    EXPECT_EQ(s.code, Status::Code::kFailed) << fail_backup;
    EXPECT_FALSE(s.message.empty());
    EXPECT_EQ(s.message.find('\n'), std::string::npos) << s.message;
    EXPECT_EQ(backup, "");
    EXPECT_EQ(files.Content("lib.ini").value_or(""), original);
    EXPECT_EQ(files.FileNames(), std::set<std::string>{"lib.ini"}) << "no backup left behind";
    EXPECT_EQ(store.ReadIniValue("S", "k", "", "lib.ini"), "\xC3\xA4lter");
  }
}

TEST_F(IniConvertTest, CharactersBeyondTheCodePageCanBeWrittenAfterwards) {
  fs.SetFile("lib.ini", "[Name]\r\n1=Gru\xDF\r\n");
  const std::string emoji = "Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80 \xCE\xA9";
  EXPECT_EQ(ini.WriteIniValue("Name", "2", emoji, "lib.ini").code, Status::Code::kRefused);
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", nullptr));
  ASSERT_TRUE(ini.WriteIniValue("Name", "2", emoji, "lib.ini"));
  EXPECT_EQ(ini.ReadIniValue("Name", "2", "", "lib.ini"), emoji);
  EXPECT_EQ(ini.ReadIniValue("Name", "1", "", "lib.ini"), "Gru\xC3\x9F");
  EXPECT_EQ(fs.Content("lib.ini").value_or(""),
            Utf16File(u"[Name]\r\n1=Gru\u00DF\r\n2=Gr\u00FC\u00DF \U0001F600 \u03A9\r\n"));
}

TEST_F(IniConvertTest, Utf16FileStaysUntouched) {
  const std::string file = Utf16File(u"[S]\r\nk=\u03A9\r\n");
  fs.SetFile("lib.ini", file);
  std::string backup = "stale";
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", &backup));
  EXPECT_EQ(backup, "");
  EXPECT_EQ(fs.WriteCount(), 0);
  EXPECT_EQ(fs.Content("lib.ini").value_or(""), file);
}

TEST_F(IniConvertTest, MissingFileBecomesAByteOrderMark) {
  std::string backup = "stale";
  ASSERT_TRUE(ini.ConvertToUtf16("neu.ini", &backup));
  EXPECT_EQ(backup, "");
  EXPECT_EQ(fs.Content("neu.ini").value_or(""), "\xFF\xFE");
  EXPECT_EQ(ini.CurrentFile(), "neu.ini");
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "\xCE\xA9", ""));
  EXPECT_EQ(fs.Content("neu.ini").value_or(""), Utf16File(u"\r\n[S]\r\nk=\u03A9\r\n"));
}

}  // namespace
}  // namespace qm
