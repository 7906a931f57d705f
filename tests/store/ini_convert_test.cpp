// Converting a data file to UTF-16LE: the same values, a backup beside it, nothing lost on failure.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "store/ini_store.h"
#include "tests/fakes/fake_file_system.h"
#include "text/utf.h"

namespace qm {
namespace {

std::string Utf16File(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return out;
}

class IniConvertTest : public testing::Test {
 protected:
  // Every section and key of the sample below in turn, found or not.
  std::vector<std::string> ReadAll(IniStore& store) {
    std::vector<std::string> values;
    for (const char* section : {"Name", "title", "Text", "\xC3\xA4pfel", "Leer"}) {
      for (const char* key : {"1", "2", "3", "text1", "\xC3\xBC", "letzte"}) {
        values.push_back(store.ReadIniValue(section, key, "<default>", "lib.ini"));
      }
    }
    return values;
  }

  FakeFileSystem fs;
  Windows1252CodePage ansi;
  IniStore ini{fs, ansi};
};

TEST_F(IniConvertTest, EveryValueReadsAsBeforeAndEveryByteStays) {
  // Comments, blank lines, every kind of line break, quotes and padding, and every byte of
  // the code page in one comment.
  std::string original =
      "; Bibliothek f\xFCr Quillet\r\n\r\n[Name]\r\n1=Gru\xDF\r\n2 = \"  Adresse  \" \r\n"
      "3='Datum'\r\n  \r\n[Title]\r\n1=\x80\x85\x8C\x9C\r\n2=\"halb'\r\n[Text]\rTEXT1=a;b#c\r"
      "2==x\n[\xC4pfel ] Rest\r\n\xDC=\xFF\r\n[Leer]\r\nletzte=ohne Zeilenende\r\n; ";
  for (int b = 0; b < 256; ++b) original += b == '\r' || b == '\n' ? ' ' : static_cast<char>(b);
  fs.SetFile("lib.ini", original);
  const std::vector<std::string> before = ReadAll(ini);
  std::string backup;
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", &backup));
  EXPECT_EQ(fs.LockCount(), 1);  // no other writer comes between reading and replacing
  EXPECT_EQ(backup, "lib.ini.bak");
  EXPECT_EQ(fs.Content("lib.ini.bak").value_or(""), original);

  // Back through the code page, the new file's text is the old file byte for byte.
  const IniDocument converted(fs.Content("lib.ini").value_or(""), ansi);
  ASSERT_EQ(converted.encoding(), IniEncoding::kUtf16Le);
  std::u16string units;
  for (std::size_t i = 2; i + 1 < converted.bytes().size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(converted.bytes()[i]) |
                                   static_cast<unsigned char>(converted.bytes()[i + 1]) << 8);
  }
  std::string back;
  ASSERT_TRUE(ansi.FromUtf8(Utf16ToUtf8(units), back, nullptr));
  EXPECT_EQ(back, original);

  EXPECT_EQ(ReadAll(ini), before);  // through the cache
  IniStore fresh(fs, ansi);
  EXPECT_EQ(ReadAll(fresh), before);
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
      {{"lib.ini.bak"}, "lib.ini(2).bak"},
      {{"lib.ini.bak", "lib.ini(2).bak"}, "lib.ini(3).bak"},
      {{"lib.ini(2).bak", "lib.bak"}, "lib.ini.bak"},
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
    for (const std::string& name : c.taken)
      EXPECT_EQ(files.Content(name).value_or(""), "alt " + name);
  }
}

TEST_F(IniConvertTest, FailureLeavesTheFileAsItWas) {
  const std::string original = "[S]\r\nk=\xE4lter\r\n";
  for (bool fail_backup : {true, false}) {  // the backup cannot be written, or the file replaced
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
    EXPECT_EQ(s.message.find('\n'), std::string::npos) << s.message;
    EXPECT_EQ(backup, "");
    EXPECT_EQ(files.Content("lib.ini").value_or(""), original);
    EXPECT_EQ(files.FileNames(), std::set<std::string>{"lib.ini"}) << "no backup left behind";
    EXPECT_EQ(store.ReadIniValue("S", "k", "", "lib.ini"), "\xC3\xA4lter");
  }
}

TEST_F(IniConvertTest, CharactersBeyondTheCodePageCanBeWrittenAfterwards) {
  fs.SetFile("lib.ini", "[Name]\r\n1=Gru\xDF\r\n");
  const std::string beyond = "\xF0\x9F\x98\x80 \xCE\xA9";
  EXPECT_EQ(ini.WriteIniValue("Name", "2", beyond, "lib.ini").code, Status::Code::kRefused);
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", nullptr));
  ASSERT_TRUE(ini.WriteIniValue("Name", "2", beyond, "lib.ini"));
  EXPECT_EQ(fs.Content("lib.ini").value_or(""),
            Utf16File(u"[Name]\r\n1=Gru\u00DF\r\n2=\U0001F600 \u03A9\r\n"));
}

// Nothing to keep: a UTF-16LE file stays as it is, a missing one becomes a byte-order mark.
TEST_F(IniConvertTest, Utf16AndMissingFilesNeedNoBackup) {
  const std::string utf16 = Utf16File(u"[S]\r\nk=\u03A9\r\n");
  fs.SetFile("lib.ini", utf16);
  std::string backup = "stale";
  ASSERT_TRUE(ini.ConvertToUtf16("lib.ini", &backup));
  EXPECT_EQ(backup, "");
  EXPECT_EQ(fs.WriteCount(), 0);
  EXPECT_EQ(fs.Content("lib.ini").value_or(""), utf16);

  ASSERT_TRUE(ini.ConvertToUtf16("neu.ini", &backup));
  EXPECT_EQ(backup, "");
  EXPECT_EQ(fs.FileNames(), (std::set<std::string>{"lib.ini", "neu.ini"}));
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "\xCE\xA9", ""));  // neu.ini is the current file
  EXPECT_EQ(fs.Content("neu.ini").value_or(""), Utf16File(u"\r\n[S]\r\nk=\u03A9\r\n"));
}

}  // namespace
}  // namespace qm
