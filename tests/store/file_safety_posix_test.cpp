// The real file system on POSIX: atomic replacement, locks, and writers that die or race.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/os.h"
#include "store/ini_document.h"
#include "store/ini_store.h"

extern char** environ;

namespace qm {
namespace {

namespace fsys = std::filesystem;

class PosixFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir = fsys::temp_directory_path() /
          ("qm-files-" + std::to_string(getpid()) + "-" +
           testing::UnitTest::GetInstance()->current_test_info()->name());
    fsys::remove_all(dir);
    fsys::create_directories(dir);
    file = (dir / "lib.ini").string();
  }
  void TearDown() override { fsys::remove_all(dir); }

  pid_t Spawn(std::vector<std::string> args) {
    args.insert(args.begin(), QM_CHILD_EXE);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    return pid;
  }

  static std::string Expected(long i) {
    std::string v = "v" + std::to_string(i);
    v.resize(200, 'x');
    return v;
  }

  fsys::path dir;
  std::string file;
  std::unique_ptr<FileSystem> os = MakeOsFileSystem();
  std::unique_ptr<CodePage> ansi = MakeOsAnsiCodePage();
};

TEST_F(PosixFiles, ReplaceKeepsPermissionsAndFollowsLinks) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  chmod(file.c_str(), 0640);
  const std::string link = (dir / "link.ini").string();
  fsys::create_symlink(file, link);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "2", link));
  EXPECT_TRUE(fsys::is_symlink(link));
  EXPECT_EQ(fsys::status(file).permissions() & fsys::perms::all,
            fsys::perms::owner_read | fsys::perms::owner_write | fsys::perms::group_read);
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "2");
  EXPECT_EQ(std::distance(fsys::directory_iterator(dir), fsys::directory_iterator()), 2);
}

// What a killed writer left behind goes with the next write, once it is clearly stale.
TEST_F(PosixFiles, WritesRemoveStaleLeftoversOfKilledWriters) {
  const auto stale = dir / ".~lib.ini.AbC123", fresh = dir / ".~lib.ini.XyZ789",
             other = dir / ".~other.ini.AbC123";
  for (const auto& p : {stale, fresh, other}) std::ofstream(p) << "[S]\r\nk=halb";
  const auto old_time = fsys::file_time_type::clock::now() - std::chrono::minutes(5);
  fsys::last_write_time(stale, old_time);
  fsys::last_write_time(other, old_time);
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  EXPECT_FALSE(fsys::exists(stale));
  EXPECT_TRUE(fsys::exists(fresh));  // may be another writer's, just now
  EXPECT_TRUE(fsys::exists(other));  // another file's
}

TEST_F(PosixFiles, ReadOnlyFileIsRefused) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  chmod(file.c_str(), 0444);
  EXPECT_FALSE(ini.WriteIniValue("S", "k", "2", file));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "1");
}

TEST_F(PosixFiles, HandEditIsSeenAtOnce) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "aaa", file));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "aaa");
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "[S]\r\nk=bbb\r\n";
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "bbb");
}

TEST_F(PosixFiles, KilledWriterLeavesOldOrNewValues) {
  const pid_t pid = Spawn({file, "1000000"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child finished before it was killed";

  IniStore ini(*os, *ansi);
  int present = 0;
  for (int k = 0; k < 50; ++k) {
    const auto v = ini.Find("S", "k" + std::to_string(k), file);
    if (!v) continue;
    ++present;
    ASSERT_EQ(v->size(), 200u) << *v;
    ASSERT_EQ((*v)[0], 'v');
    const long i = std::strtol(v->c_str() + 1, nullptr, 10);
    EXPECT_EQ(i % 50, k);
    EXPECT_EQ(*v, Expected(i));
  }
  EXPECT_GT(present, 0);
}

TEST_F(PosixFiles, ConcurrentWritersLoseNothing) {
  constexpr long kCount = 400;
  const pid_t a = Spawn({file, std::to_string(kCount), "A"});
  const pid_t b = Spawn({file, std::to_string(kCount), "B"});
  for (pid_t pid : {a, b}) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  IniStore ini(*os, *ansi);
  for (const char* section : {"A", "B"}) {
    for (long i = kCount - 50; i < kCount; ++i) {
      EXPECT_EQ(ini.ReadIniValue(section, "k" + std::to_string(i % 50), "", file), Expected(i))
          << section;
    }
  }
}

// Two programs adding snippets at once never take the same entry number.
TEST_F(PosixFiles, ConcurrentAddsGetDistinctNumbers) {
  auto adder = [&](const std::string& prefix) {
    const std::string script = "for i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo text | '" +
                               std::string(QM_CLI_EXE) + "' '" + file + "' add " + prefix +
                               "$i >/dev/null || exit 1; done";
    std::vector<std::string> args = {"/bin/sh", "-c", script};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
    return pid;
  };
  const pid_t a = adder("A"), b = adder("B");
  for (pid_t pid : {a, b}) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  IniStore ini(*os, *ansi);
  std::set<std::string> names;
  for (int n = 1; n <= 24; ++n) names.insert(ini.ReadIniValue("Name", std::to_string(n), "", file));
  EXPECT_EQ(names.size(), 24u);
  EXPECT_EQ(names.count(""), 0u);
}

}  // namespace
}  // namespace qm
