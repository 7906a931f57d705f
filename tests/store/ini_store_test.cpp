// The INI primitives over a file system: current file, parse cache, all-or-nothing writes.
#include "store/ini_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "tests/fakes/fake_file_system.h"

namespace qm {
namespace {

constexpr std::int64_t kSecond = 1'000'000'000;

class IniStoreTest : public testing::Test {
 protected:
  FakeFileSystem fs;
  Windows1252CodePage ansi;
  IniStore ini{fs, ansi};
};

TEST_F(IniStoreTest, EmptyFileNameUsesTheLastOneGiven) {
  fs.SetFile("a.ini", "[S]\r\nk=a\r\n");
  fs.SetFile("b.ini", "[S]\r\nk=b\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "d", ""), "d");  // no file yet
  EXPECT_FALSE(ini.WriteIniValue("S", "k", "v", ""));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "d", "a.ini"), "a");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "d", ""), "a");
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "b2", "b.ini"));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "d", ""), "b2");
  EXPECT_EQ(ini.CurrentFile(), "b.ini");
}

TEST_F(IniStoreTest, MissingFileGivesTheDefaultAndTheFirstWriteCreatesIt) {
  EXPECT_EQ(ini.ReadIniValue("S", "k", "dflt", "new.ini"), "dflt");
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "", "new.ini"));
  EXPECT_EQ(fs.Content("new.ini").value_or(""), "[S]\r\nk=\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "dflt", "new.ini"), "");
}

// Where the ANSI code page is UTF-8: a single-byte library is read and edited as
// Windows-1252, a UTF-8 one stays UTF-8, and a new or empty one becomes UTF-16LE.
TEST(IniStoreOnUtf8System, EachLibraryKeepsItsEncodingAndNewOnesAreUtf16) {
  auto utf16 = [](std::u16string text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes;
  };
  const struct {
    const char* what;
    std::optional<std::string> before;
    std::string after;
  } cases[] = {
      {"Windows-1252", "[N]\r\n1=M\xFCller\r\n", "[N]\r\n1=M\xFCller\r\n2=Gr\xFC\xDF\r\n"},
      {"UTF-8", "[N]\r\n1=M\xC3\xBCller\r\n", "[N]\r\n1=M\xC3\xBCller\r\n2=Gr\xC3\xBC\xC3\x9F\r\n"},
      {"missing", std::nullopt, utf16(u"[N]\r\n2=Gr\u00FC\u00DF\r\n")},
      {"empty", "", utf16(u"[N]\r\n2=Gr\u00FC\u00DF\r\n")},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    Utf8CodePage system;
    IniStore ini(fs, system);
    if (c.before) fs.SetFile("lib.ini", *c.before);
    EXPECT_EQ(ini.ReadIniValue("N", "1", "", "lib.ini"), c.before && !c.before->empty() ? "M\xC3\xBCller" : "")
        << c.what;
    ASSERT_TRUE(ini.WriteIniValue("N", "2", "Gr\xC3\xBC\xC3\x9F", "lib.ini")) << c.what;
    EXPECT_EQ(fs.Content("lib.ini"), c.after) << c.what;
  }
  // A library of plain ASCII may be shared with single-byte systems: its umlauts are theirs.
  FakeFileSystem fs;
  Utf8CodePage system;
  fs.SetFile("ascii.ini", "[N]\r\n1=M\r\n");
  ASSERT_TRUE(IniStore(fs, system).WriteIniValue("N", "2", "\xC3\xBC", "ascii.ini"));
  EXPECT_EQ(fs.Content("ascii.ini"), "[N]\r\n1=M\r\n2=\xFC\r\n");
}

// A new library from a sample: converted where new files are UTF-16LE, as it is elsewhere,
// and never over a library that another program filled meanwhile.
TEST(IniStoreOnUtf8System, ANewLibraryIsCreatedOnlyWhereNoneIsFilled) {
  FakeFileSystem fs;
  Utf8CodePage utf8_system;
  Windows1252CodePage single_byte_system;
  IniStore on_utf8(fs, utf8_system), on_1252(fs, single_byte_system);
  ASSERT_TRUE(on_utf8.CreateUnlessFilled("a.ini", "[N]\r\n1=\xFC\r\n"));
  EXPECT_EQ(fs.Content("a.ini"), std::string("\xFF\xFE[\0N\0]\0\r\0\n\0" "1\0=\0\xFC\0\r\0\n\0", 22));
  ASSERT_TRUE(on_1252.CreateUnlessFilled("b.ini", "[N]\r\n1=\xFC\r\n"));
  EXPECT_EQ(fs.Content("b.ini"), "[N]\r\n1=\xFC\r\n");
  ASSERT_TRUE(on_utf8.CreateUnlessFilled("c.ini", ""));
  EXPECT_EQ(fs.Content("c.ini"), "\xFF\xFE");
  ASSERT_TRUE(on_utf8.CreateUnlessFilled("b.ini", ""));
  EXPECT_EQ(fs.Content("b.ini"), "[N]\r\n1=\xFC\r\n");
}

TEST_F(IniStoreTest, UnchangedFileIsParsedOnce) {
  fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
  fs.AdvanceNs(10 * kSecond);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "1");
  EXPECT_EQ(ini.ParseCount(), 1u);
}

TEST_F(IniStoreTest, SeesEveryChangeByAnotherProgram) {
  fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "1");
  fs.SetFile("f.ini", "[S]\r\nk=22\r\n");  // replaced: new size, new id
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "22");
  // Saved over in place within the same clock tick, at the same size: nothing in the time
  // stamp shows it, only the content does.
  fs.WriteInPlace("f.ini", "[S]\r\nk=33\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "33");
  fs.Delete("f.ini");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "gone", "f.ini"), "gone");
}

TEST_F(IniStoreTest, ChangeInTheSameTickIsSeenEvenWhenReadMuchLater) {
  fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "1");
  fs.WriteInPlace("f.ini", "[S]\r\nk=2\r\n");
  fs.AdvanceNs(60 * kSecond);
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "2");
  const auto parses = ini.ParseCount();
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "2");
  EXPECT_EQ(ini.ParseCount(), parses);
}

TEST_F(IniStoreTest, FailedWriteKeepsTheFileAndReportsIt) {
  fs.SetFile("f.ini", "[S]\r\nk=old\r\n");
  fs.FailNextWrites();
  const Status s = ini.WriteIniValue("S", "k", "new", "f.ini");
  EXPECT_EQ(s.code, Status::Code::kFailed);
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "old");
  fs.SetReadOnly("f.ini", true);
  EXPECT_FALSE(ini.WriteIniValue("S", "k", "new", "f.ini"));
  EXPECT_EQ(fs.Content("f.ini").value_or(""), "[S]\r\nk=old\r\n");
}

// The library vanishes for one look and is there at the next: a program that takes no lock
// (a sync tool) replacing it, or a network hiccup. A write never takes it for missing.
TEST(IniStoreFlicker, AFileGoneForOneLookIsNoMissingOne) {
  struct Flickering : FakeFileSystem {
    FileStamp Stat(const std::string& p) override {
      return std::exchange(stat_misses, false) ? FileStamp{} : FakeFileSystem::Stat(p);
    }
    std::optional<std::string> ReadAll(const std::string& p) override {
      if (!std::exchange(read_misses, false)) return FakeFileSystem::ReadAll(p);
      reach_misses = true;
      return std::nullopt;
    }
    FileReach Reach(const std::string& p) override {
      return std::exchange(reach_misses, false) ? FileReach::kMissing : FakeFileSystem::Reach(p);
    }
    bool stat_misses = false, read_misses = false, reach_misses = false;
  };
  for (const bool at_stat : {true, false}) {
    Flickering fs;
    Windows1252CodePage ansi;
    IniStore ini(fs, ansi);
    fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
    (at_stat ? fs.stat_misses : fs.read_misses) = true;
    ini.WriteIniValue("S", "n", "2", "f.ini");
    EXPECT_EQ(fs.Content("f.ini").value_or("").find("k=1"), 5u) << at_stat;
  }
}

TEST_F(IniStoreTest, BatchIsWrittenWholeOrNotAtAll) {
  fs.SetFile("f.ini", "[S]\r\n");
  EXPECT_FALSE(ini.WriteIniValues({{"S", "a", "1"}, {"S", "b", "\xF0\x9F\x98\x80"}}, "f.ini"));
  EXPECT_EQ(fs.WriteCount(), 0);
  ASSERT_TRUE(ini.WriteIniValues({{"S", "a", "1"}, {"T", "b", "2"}, {"S", "a", "3"}}, "f.ini"));
  EXPECT_EQ(fs.WriteCount(), 1);
  EXPECT_EQ(fs.Content("f.ini").value_or(""), "[S]\r\na=3\r\n[T]\r\nb=2\r\n");
}

TEST_F(IniStoreTest, ValuesAreNeverCutShort) {
  const std::string big(200'000, 'x');
  ASSERT_TRUE(ini.WriteIniValue("S", "k", big, "f.ini"));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), big);
}

TEST_F(IniStoreTest, SnapshotStaysValidAfterLaterWrites) {
  fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
  const std::shared_ptr<const IniDocument> before = ini.Snapshot("f.ini");
  ASSERT_TRUE(before);
  // Our own write and then another program's each replace the cached document.
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "2", "f.ini"));
  fs.SetFile("f.ini", "[S]\r\nk=3\r\nj=4\r\n");
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", "f.ini"), "3");
  EXPECT_EQ(before->Find("S", "k").value_or(""), "1");
  EXPECT_FALSE(before->Find("S", "j"));
  const auto after = ini.Snapshot();  // the current file
  ASSERT_TRUE(after);
  EXPECT_EQ(after->Find("S", "j").value_or(""), "4");
}

TEST_F(IniStoreTest, SnapshotSeesAHandEditAtOnce) {
  fs.SetFile("f.ini", "[S]\r\nk=1\r\n");
  EXPECT_EQ(ini.Snapshot("f.ini")->Find("S", "k").value_or(""), "1");
  // Saved over in place within the same tick at the same size: only the content shows it.
  fs.WriteInPlace("f.ini", "[S]\r\nk=2\r\n");
  EXPECT_EQ(ini.Snapshot("f.ini")->Find("S", "k").value_or(""), "2");
  fs.WriteInPlace("f.ini", "[S]\r\nk=3\r\n");
  fs.AdvanceNs(60 * kSecond);
  EXPECT_EQ(ini.Snapshot("f.ini")->Find("S", "k").value_or(""), "3");
}

TEST_F(IniStoreTest, SnapshotLooksAtTheFileOnce) {
  std::string file = "[Name]\r\n";
  for (int i = 1; i <= 2000; ++i)
    file += std::to_string(i) + "=Eintrag " + std::to_string(i) + "\r\n";
  file += "[Ignore]\r\n";
  for (int i = 1; i <= 10; ++i) file += std::to_string(i) + "=Fenster" + std::to_string(i) + "\r\n";
  fs.SetFile("f.ini", file);
  fs.AdvanceNs(10 * kSecond);
  for (int round = 0; round < 2; ++round) {  // parsed afresh, then from the cache
    const int stats = fs.StatCount();
    const auto doc = ini.Snapshot("f.ini");
    ASSERT_TRUE(doc);
    const std::vector<std::string> names = ReadNumberedList(*doc, "Name");
    ASSERT_EQ(names.size(), 2000u);
    EXPECT_EQ(names.back(), "Eintrag 2000");
    EXPECT_EQ(ReadNumberedList(*doc, "Ignore").size(), 10u);
    EXPECT_EQ(fs.StatCount() - stats, 1) << "round " << round;
  }
  EXPECT_EQ(ini.ParseCount(), 1u);
}

// A null snapshot says why: only a missing file is an empty one.
TEST_F(IniStoreTest, SnapshotOfWhatCannotBeReadIsNull) {
  EXPECT_FALSE(ini.Snapshot());  // no current file yet
  fs.SetFile("locked.ini", "[S]\r\nk=1\r\n");
  fs.SetUnreadable("locked.ini");
  fs.SetFile("N:\\x.ini", "[S]\r\nk=1\r\n");
  fs.SetUnreachable("N:\\");
  const struct {
    const char* file;
    FileReach reach;
  } cases[] = {{"missing.ini", FileReach::kMissing},
               {"locked.ini", FileReach::kUnreadable},
               {"N:\\x.ini", FileReach::kFolderUnreachable}};
  for (const auto& c : cases) {
    EXPECT_FALSE(ini.Snapshot(c.file));
    EXPECT_EQ(ini.LastReach(), c.reach) << c.file;
    EXPECT_EQ(ini.CurrentFile(), c.file);  // a named file becomes current all the same
  }
}

}  // namespace
}  // namespace qm
