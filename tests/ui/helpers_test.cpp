// Path, text, version and number helpers, against the in-memory platform fakes.
#include "ui/helpers.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/portable_code_pages.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_system_info.h"
#include "ui/app_version.h"

namespace qm {
namespace {

TEST(HelpersTest, FileExists) {
  FakeFileSystem fs;
  fs.SetFile("C:\\Daten\\notes.txt", "x");
  fs.AddFolder("C:\\Daten\\Archiv");
  const struct {
    const char* path;
    bool exists;
  } cases[] = {
      {"", false},
      {"C:\\Daten\\notes.txt", true},
      {"C:\\Daten\\Archiv", false},
      {"C:\\Daten\\*.txt", true},
      {"C:\\Daten\\n?tes.*", true},
      {"C:\\Daten\\*.ini", false},
      {"C:\\notes.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(FileExists(fs, c.path), c.exists) << c.path;
}

TEST(HelpersTest, AppPaths) {
  const struct {
    const char* exe;
    const char* dir;
    const char* exe_path;
  } cases[] = {
      {"C:\\Programme\\Quillet\\quillet_dbg.EXE", "C:\\Programme\\Quillet\\",
       "C:\\Programme\\Quillet\\quillet_dbg.exe"},
      {"C:\\Quillet.exe", "C:\\", "C:\\Quillet.exe"},
      {"/opt/qm/quillet", "/opt/qm/", "/opt/qm/quillet.exe"},
      {"D:\\v1.2\\tool", "D:\\v1.2\\", "D:\\v1.2\\tool.exe"},
      {"quillet.bin", "", "quillet.exe"},
  };
  FakeSystemInfo sys;
  for (const auto& c : cases) {
    sys.exe_path = c.exe;
    EXPECT_EQ(AppDir(sys), c.dir) << c.exe;
    EXPECT_EQ(AppExePath(sys), c.exe_path) << c.exe;
  }
  EXPECT_EQ(AddBackslash(""), "\\");
  EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
  EXPECT_EQ(AddBackslash("C:"), "C:\\");
}

TEST(HelpersTest, WriteTextFilePicksFreeNames) {
  const struct {
    const char* path;
    const char* first_free;
    const char* second_free;
  } cases[] = {
      {"C:\\D\\notes.txt", "C:\\D\\notes(1).txt", "C:\\D\\notes(2).txt"},
      {"C:\\D\\notes", "C:\\D\\notes(1)", "C:\\D\\notes(2)"},
      {"C:\\v1.0\\notes", "C:\\v1.0\\notes(1)", "C:\\v1.0\\notes(2)"},
      {"C:\\D\\a.b.c", "C:\\D\\a.b(1).c", "C:\\D\\a.b(2).c"},
  };
  Windows1252CodePage cp;
  for (const auto& c : cases) {
    FakeFileSystem fs;
    fs.SetFile(c.path, "alt");
    ASSERT_TRUE(WriteTextFile(fs, cp, c.path, "eins", 1));
    ASSERT_TRUE(WriteTextFile(fs, cp, c.path, "zwei", 1));
    EXPECT_EQ(fs.Content(c.path), "alt");
    EXPECT_EQ(fs.Content(c.first_free), "eins") << c.path;
    EXPECT_EQ(fs.Content(c.second_free), "zwei") << c.path;
  }
}

TEST(HelpersTest, WriteTextFileReplaces) {
  Windows1252CodePage cp;
  FakeFileSystem fs;
  const std::string path = "C:\\D\\out.txt";
  EXPECT_TRUE(WriteTextFile(fs, cp, path, "Grüße €", 0));
  EXPECT_EQ(fs.Content(path), "Gr\xFC\xDF\x65 \x80");
  fs.SetReadOnly(path, true);  // overwritten all the same
  EXPECT_TRUE(WriteTextFile(fs, cp, path, "neu", 0));
  EXPECT_EQ(fs.Content(path), "neu");
  // A character outside the code page, or a failing write, keeps the old file.
  EXPECT_FALSE(WriteTextFile(fs, cp, path, "\xF0\x9F\x98\x80", 0));
  fs.FailNextWrites(2);
  EXPECT_FALSE(WriteTextFile(fs, cp, path, "verloren", 0));
  EXPECT_EQ(fs.Content(path), "neu");
}

TEST(HelpersTest, SortStringsIsStable) {
  std::vector<std::string> binary = {"b", "B", "a", "A", "ä", "Ä", "b", "10", "9"};
  SortStrings(binary, 0);
  EXPECT_EQ(binary, (std::vector<std::string>{"10", "9", "A", "B", "a", "b", "b", "Ä", "ä"}));
  std::vector<std::string> folded = {"b", "B", "a", "ä", "A", "Ä", "b2", "B1"};
  SortStrings(folded, 1);
  EXPECT_EQ(folded, (std::vector<std::string>{"a", "A", "b", "B", "B1", "b2", "ä", "Ä"}));
}

TEST(HelpersTest, WindowsVersion) {
  const struct {
    OsVersion v;
    std::uint32_t number;
    const char* text;
  } cases[] = {
      {{2, 10, 0, 19045}, 0x0A004A65u, "10.0.19045"},
      {{2, 6, 1, 0x17601}, 0x06017601u, "6.1.30209"},  // build cut to 16 bits
      {{1, 4, 10, 0x040A08AEu}, 0x040A08AEu, "4.10.2222"},
  };
  FakeSystemInfo sys;
  for (const auto& c : cases) {
    sys.version = c.v;
    EXPECT_EQ(WindowsVersionNumber(sys), c.number);
    EXPECT_EQ(WindowsVersionString(sys), c.text);
    EXPECT_EQ(IsWindowsNT(sys), c.v.platform_id == 2);
  }
}

TEST(HelpersTest, IncrementCounterSaturates) {
  std::int32_t n = INT32_MAX - 1;
  IncrementCounter(n);
  IncrementCounter(n);
  EXPECT_EQ(n, INT32_MAX);
}

TEST(HelpersTest, SubstituteAndFormat) {
  const std::vector<std::string> args = {"A", "%2", "C:\\neu\\Tabelle", "", "", "", "", "",
                                         "I", "J"};
  const struct {
    const char* tmpl;
    const char* substituted;
    const char* formatted;
  } cases[] = {
      {"%1-%2", "A-%2", "A-%2"},  // inserted text is not read again
      {"%10 %9", "A0 I", "A0 I"},
      {"100% %0 %", "100% %0 %", "100% %0 %"},
      {"%%1", "%A", "%A"},
      {"%3\\L", "C:\\neu\\Tabelle\\L", "C:\\neu\\Tabelle\n"},
      {"\\H%1\\H", "\\HA\\H", "\"A\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SubstituteArgs(c.tmpl, args), c.substituted) << c.tmpl;
    EXPECT_EQ(FormatText(c.tmpl, args), c.formatted) << c.tmpl;
  }
  EXPECT_EQ(SubstituteArgs("[%1|%5]", {"x"}), "[x|]");
}

TEST(HelpersTest, SmallTextHelpers) {
  const std::array<std::string_view, 10> texts = {"null", "eins", "", "", "",
                                                  "",     "",     "", "", "neun"};
  EXPECT_EQ(ChooseText(9, texts), "neun");
  EXPECT_EQ(ChooseText(10, texts), "");
  EXPECT_EQ(ChooseText(-1, texts), "");
  EXPECT_EQ(CutAtNul(std::string("ab\0cd", 5)), "ab");
  const struct {
    const char* opener;
    const char* enclosed;
  } cases[] = {{"(", "(x)"},    {"[", "[x]"},    {"{", "{x}"}, {"<", "<x>"},
               {"\"", "\"x\""}, {"**", "**x**"}, {"", "x"}};
  for (const auto& c : cases) EXPECT_EQ(Enclose("x", c.opener), c.enclosed) << c.opener;
}

TEST(HelpersTest, VersionString) {
  const struct {
    std::int32_t flags;
    int revision;
    const char* text;
  } cases[] = {
      {0, 3, " (V1.2.3)"}, {1, 3, "1.2.3"},         {2, 3, ""},
      {256, 3, " (V1.2)"}, {257, 3, "1.2"},         {256, 150, " (V1.2b)"},
      {257, 100, "1.2a"},  {257, 250, "1.2b"},      {257, 99, "1.2"},
      {257, 2600, "1.2z"}, {257, 2700, "1.2.2700"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VersionString(c.flags, 1, 2, c.revision), c.text) << c.flags << " " << c.revision;
  }
  EXPECT_EQ(AppVersionString(1), QM_VERSION_TEXT);
}

}  // namespace
}  // namespace qm
