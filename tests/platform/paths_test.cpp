// Files and paths, against the in-memory file system and system information.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_system_info.h"

namespace qm {
namespace {

TEST(PathsTest, FileExists) {
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

TEST(PathsTest, AppPaths) {
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

}  // namespace
}  // namespace qm
