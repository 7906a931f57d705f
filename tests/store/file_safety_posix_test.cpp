// The real file system on POSIX: atomic replacement, locks, and writers that die or race.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
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
  // Both ways to the file share the one lock beside the file itself.
  EXPECT_TRUE(fsys::exists(file + kLockFileSuffix));
  EXPECT_EQ(std::distance(fsys::directory_iterator(dir), fsys::directory_iterator()), 3);
}

// What a killed writer left behind goes with the next write: every writer holds the lock, so
// whatever the holder finds is a dead writer's, however new its time (another machine's).
TEST_F(PosixFiles, WritesRemoveLeftoversOfKilledWriters) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  const auto old = dir / ".~lib.ini.AbC123", future = dir / ".~lib.ini.XyZ789",
             other = dir / ".~other.ini.AbC123", backup = dir / ".~lib.ini.bak.AbC123";
  for (const auto& p : {old, future, other, backup}) std::ofstream(p) << "[S]\r\nk=halb";
  fsys::last_write_time(old, fsys::file_time_type::clock::now() - std::chrono::minutes(5));
  fsys::last_write_time(future, fsys::file_time_type::clock::now() + std::chrono::minutes(5));
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "2", file));
  EXPECT_FALSE(fsys::exists(old));
  EXPECT_FALSE(fsys::exists(future));
  EXPECT_TRUE(fsys::exists(other));   // another file's
  EXPECT_TRUE(fsys::exists(backup));  // written without this file's lock
}

// Wine's programs lock the first byte of the companion file with a classic record lock: a
// write here waits for it, so that both sides of one machine exclude each other too.
TEST_F(PosixFiles, AWriteWaitsForTheLockThatWineTakes) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  const int fd = open((file + kLockFileSuffix).c_str(), O_RDWR);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_len = 1;
  ASSERT_EQ(fcntl(fd, F_SETLK, &range), 0);
  std::atomic<bool> written{false};
  std::thread writer([&] { written = IniStore(*os, *ansi).WriteIniValue("S", "k", "2", file).ok(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(written);
  close(fd);
  writer.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "2");
}

TEST_F(PosixFiles, ReadOnlyFileIsRefused) {
  IniStore ini(*os, *ansi);
  ASSERT_TRUE(ini.WriteIniValue("S", "k", "1", file));
  chmod(file.c_str(), 0444);
  EXPECT_FALSE(ini.WriteIniValue("S", "k", "2", file));
  EXPECT_EQ(ini.ReadIniValue("S", "k", "", file), "1");
}

// A writer that may not write the lock file (made by another user before the team folder got
// group write) holds the lock only beside others like it: it writes nothing, and leaves what
// looks abandoned, which may be such a writer's new version. A read under the lock works.
TEST_F(PosixFiles, AWriterThatCannotHoldTheLockAloneWritesNothing) {
  ASSERT_TRUE(IniStore(*os, *ansi).WriteIniValue("S", "k", "1", file));
  const auto other = dir / ".~lib.ini.AbC123";
  std::ofstream(other) << "[S]\r\nk=2";
  chmod(dir.c_str(), 0777);
  chmod(file.c_str(), 0666);
  chmod((file + kLockFileSuffix).c_str(), 0444);
  Status written, read;
  std::thread([&] {
    // Root may open any file for writing; this thread's file accesses are another user's.
    if (geteuid() == 0) setfsuid(65534);
    IniStore ini(*os, *ansi);
    written = ini.WriteIniValue("S", "k", "3", file);
    read = ini.UpdateIniValues(
        [](const IniDocument&, std::vector<IniWrite>&) { return Status::Ok(); }, file);
  }).join();
  EXPECT_FALSE(written);
  EXPECT_NE(written.message.find("lib.ini.lock"), std::string::npos) << written.message;
  EXPECT_TRUE(read) << read.message;
  EXPECT_TRUE(fsys::exists(other));
  EXPECT_EQ(IniStore(*os, *ansi).ReadIniValue("S", "k", "", file), "1");
}

// An export never replaces the library, whatever the way to it; a hard link counts too.
TEST_F(PosixFiles, AnExportNeverLandsOnTheLibrary) {
  auto cli = [&](const std::string& args) {
    return std::system(("cd '" + dir.string() + "' && echo Text | '" + QM_CLI_EXE + "' lib.ini " +
                        args + " >/dev/null 2>&1")
                           .c_str());
  };
  ASSERT_EQ(cli("add Eins --crypt"), 0);
  ASSERT_EQ(cli("add Zwei"), 0);
  const std::optional<std::string> library = os->ReadAll(file);
  fsys::create_symlink(file, dir / "link.ini");
  fsys::create_hard_link(file, dir / "hard.ini");
  const std::string up = "../" + dir.filename().string() + "/lib.ini";
  for (const std::string& target :
       {std::string("./lib.ini"), file, std::string("link.ini"), std::string("hard.ini"), up,
        std::string("lib.ini.lock")}) {
    EXPECT_NE(cli("export csv '" + target + "'"), 0) << target;
    EXPECT_EQ(os->ReadAll(file), library) << target;
  }
  EXPECT_EQ(cli("export csv lib.csv"), 0);
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
