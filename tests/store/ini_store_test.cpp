// The INI primitives over a file system: current file, parse cache, all-or-nothing writes.
#include "store/ini_store.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
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

}  // namespace
}  // namespace qm
