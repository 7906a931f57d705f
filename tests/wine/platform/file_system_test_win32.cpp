// The Win32 file system against the system itself: stamps, replacing a file in one step,
// files held open or out of reach, wildcards, and the update lock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/os_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "text/utf.h"

namespace qm {
namespace {

int CountFiles(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  int n = 0;
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

TEST(Win32FileSystem, StampFollowsTheFileAndConvertsTheEpoch) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("stamp.ini");
  EXPECT_FALSE(fs.Stat(path).exists);
  EXPECT_FALSE(fs.Stat(WideToUtf8(dir.wpath())).exists) << "a folder is no file";

  ASSERT_TRUE(fs.ReplaceAtomically(path, "12345").ok());
  FileStamp s = fs.Stat(path);
  EXPECT_TRUE(s.exists);
  EXPECT_EQ(s.size, 5u);
  EXPECT_LT(std::llabs(s.modified_ns - fs.NowNs()), 10'000'000'000LL);

  // 2001-09-09 01:46:40 UTC is 10^9 s after the Unix epoch.
  HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const FILETIME ft = UnixNsToFileTime(1'000'000'000'000'000'000LL);
  EXPECT_EQ((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime,
            126444736000000000ull);
  ASSERT_TRUE(SetFileTime(h, &ft, nullptr, &ft));
  CloseHandle(h);
  s = fs.Stat(path);
  EXPECT_EQ(s.modified_ns, 1'000'000'000'000'000'000LL);
  EXPECT_EQ(s.changed_ns, 1'000'000'000'000'000'000LL);
}

TEST(Win32FileSystem, EveryReplacementShowsInTheStampEvenWithinOneTick) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("quick.ini");
  ASSERT_TRUE(fs.ReplaceAtomically(path, "v000").ok());
  FileStamp last = fs.Stat(path);
  for (int i = 1; i < 100; ++i) {
    char text[8];
    std::snprintf(text, sizeof text, "v%03d", i);
    ASSERT_TRUE(fs.ReplaceAtomically(path, text).ok());
    const FileStamp now = fs.Stat(path);
    ASSERT_GT(now.modified_ns, last.modified_ns) << "write " << i;
    ASSERT_EQ(fs.ReadAll(path), std::string(text));
    last = now;
  }
  EXPECT_EQ(CountFiles(dir.wpath()), 1) << "temporary files left behind";
}

TEST(Win32FileSystem, ReplaceKeepsContentExactAndRefusesReadOnlyFiles) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC.ini");  // Grüße €.ini
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7 + i / 256);
  const Status first = fs.ReplaceAtomically(path, bytes);
  ASSERT_TRUE(first.ok()) << first.message;
  EXPECT_EQ(fs.ReadAll(path), bytes);
  ASSERT_TRUE(fs.ReplaceAtomically(path, "").ok());
  EXPECT_EQ(fs.ReadAll(path), std::string());

  ASSERT_TRUE(fs.ReplaceAtomically(path, "alt").ok());
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  const Status s = fs.ReplaceAtomically(path, "neu");
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message.find("schreibgesch\xC3\xBCtzt"), std::string::npos) << s.message;
  EXPECT_EQ(fs.ReadAll(path), std::string("alt"));
  EXPECT_EQ(CountFiles(dir.wpath()), 1);

  EXPECT_TRUE(fs.Delete(path)) << "Delete clears the read-only mark";
  EXPECT_FALSE(fs.Stat(path).exists);
  EXPECT_TRUE(fs.Delete(path)) << "a missing file counts as deleted";
}

// What a killed writer left behind goes when the lock is next taken: every writer holds the
// lock, so whatever the holder finds is a dead writer's, however new its time (another
// machine's clock).
TEST(Win32FileSystem, TheLockRemovesLeftoversOfKilledWriters) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("lib.ini");
  ASSERT_TRUE(fs.ReplaceAtomically(path, "[S]\r\nk=1\r\n").ok());
  const std::wstring old = Utf8ToWide(dir.File("~lib.ini.1a-2-3.tmp"));
  const std::wstring future = Utf8ToWide(dir.File("~lib.ini.4b-5-6.tmp"));
  const std::wstring backup = Utf8ToWide(dir.File("~lib.ini.bak.7-8-9.tmp"));
  for (const std::wstring& p : {old, future, backup}) {
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart += (p == old ? -1 : 1) * 5LL * 60 * 10'000'000;  // five minutes either way
    ft = {t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }
  EXPECT_TRUE(fs.LockForUpdate(path, nullptr));
  EXPECT_EQ(GetFileAttributesW(old.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(future.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(backup.c_str()), INVALID_FILE_ATTRIBUTES) << "another file's";
}

TEST(Win32FileSystem, ReplaceInAMissingFolderFailsWithAMessage) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const Status s = fs.ReplaceAtomically(dir.File("fehlt\\x.ini"), "x");
  EXPECT_FALSE(s.ok());
  EXPECT_FALSE(s.message.empty());
  EXPECT_EQ(s.message.find('\n'), std::string::npos) << s.message;
}

// Another program's open handle blocks the rename on Windows even with delete sharing: the
// write must then fail, after its retries, and leave the file as it was.
TEST(Win32FileSystem, ReadsAFileHeldOpenAndFailsCleanlyToReplaceIt) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::wstring wpath = dir.WFile(L"open.ini");
  const std::string path = WideToUtf8(wpath);
  ASSERT_TRUE(test::WriteRawFile(wpath, "[S]\r\nk=1\r\n"));
  HANDLE h = CreateFileW(wpath.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fs.ReadAll(path), std::string("[S]\r\nk=1\r\n"));
  const Status blocked = fs.ReplaceAtomically(path, "neu");
  CloseHandle(h);
  if (!blocked.ok()) {
    EXPECT_FALSE(blocked.message.empty());
    EXPECT_EQ(fs.ReadAll(path), std::string("[S]\r\nk=1\r\n"));
    EXPECT_EQ(CountFiles(dir.wpath()), 1) << "temporary file left behind";
  }
  ASSERT_TRUE(fs.ReplaceAtomically(path, "neu").ok());
  EXPECT_EQ(fs.ReadAll(path), std::string("neu"));
}

// Judged by the error of an attempt: a file missing in a folder that is there, a folder or a
// drive that is not, and a file held without sharing, which a read outlasts when it is brief.
TEST(Win32FileSystem, TellsMissingFromOutOfReachAndOutlastsABriefHold) {
  test::TempFolder dir;
  Win32FileSystem fs;
  const std::string held = dir.File("held.ini");
  ASSERT_TRUE(test::WriteRawFile(Utf8ToWide(held), "x"));
  char drive = 'Z';
  while (drive > 'D' && (GetLogicalDrives() & (1u << (drive - 'A')))) --drive;
  const std::pair<std::string, FileReach> cases[] = {
      {held, FileReach::kThere},
      {dir.File("fehlt.ini"), FileReach::kMissing},
      {dir.File("fehlt\\x.ini"), FileReach::kFolderUnreachable},
      {std::string(1, drive) + ":\\Team\\x.ini", FileReach::kFolderUnreachable}};
  for (const auto& [path, reach] : cases) EXPECT_EQ(fs.Reach(path), reach) << path;
  HANDLE h =
      CreateFileW(Utf8ToWide(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fs.Reach(held), FileReach::kUnreadable);
  EXPECT_FALSE(fs.ReadAll(held));
  std::thread release([h] {
    Sleep(100);
    CloseHandle(h);
  });
  EXPECT_EQ(fs.ReadAll(held), std::string("x"));
  release.join();
}

TEST(Win32FileSystem, AnyFileMatchesIgnoresFolders) {
  test::TempFolder dir;
  Win32FileSystem fs;
  ASSERT_TRUE(CreateDirectoryW(dir.WFile(L"daten.ini").c_str(), nullptr));
  EXPECT_FALSE(fs.AnyFileMatches(dir.File("*.ini")));
  EXPECT_FALSE(fs.AnyFileMatches(dir.File("daten.ini")));
  ASSERT_TRUE(test::WriteRawFile(dir.WFile(L"zweite.ini"), "x"));
  EXPECT_TRUE(fs.AnyFileMatches(dir.File("*.ini")));
  EXPECT_TRUE(fs.AnyFileMatches(dir.File("zw?ite.*")));
  EXPECT_FALSE(fs.AnyFileMatches(dir.File("*.txt")));
}

TEST(Win32FileSystem, OneLockForEverySpellingOfThePath) {
  test::TempFolder dir;
  Win32FileSystem fs(200);
  const std::string a = dir.File("Daten.INI");
  ASSERT_TRUE(fs.ReplaceAtomically(a, "x").ok());
  std::string b = dir.File("sub\\..\\daten.ini");
  for (char& ch : b) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  auto held = fs.LockForUpdate(a, nullptr);
  ASSERT_TRUE(held);
  EXPECT_FALSE(fs.LockForUpdate(b, nullptr));
  EXPECT_TRUE(fs.LockForUpdate(dir.File("daten2.ini"), nullptr));
}

TEST(Win32FileSystem, LockExcludesOthersAndTimesOutWithAMessage) {
  test::TempFolder dir;
  Win32FileSystem fs(200);
  const std::string path = dir.File("lock.ini");
  Status why;
  auto held = fs.LockForUpdate(path, &why);
  ASSERT_TRUE(held) << why.message;

  Status other_why;
  bool other_got = true;
  std::thread([&] { other_got = fs.LockForUpdate(path, &other_why) != nullptr; }).join();
  EXPECT_FALSE(other_got);
  EXPECT_FALSE(other_why.ok());
  EXPECT_FALSE(other_why.message.empty());
  // Nobody deletes the lock file under its holder and locks a new one beside it.
  EXPECT_FALSE(DeleteFileW(Utf8ToWide(path + kLockFileSuffix).c_str()));

  // Released: the other thread gets it at once.
  held.reset();
  std::thread([&] { other_got = fs.LockForUpdate(path, &other_why) != nullptr; }).join();
  EXPECT_TRUE(other_got);
}

// A byte-range lock belongs to its handle: a lock taken on a thread that has ended is held
// until it is released, from any thread, and then it is free at once.
TEST(Win32FileSystem, ALockOutlivesTheThreadThatTookIt) {
  test::TempFolder dir;
  Win32FileSystem fs(300);
  const std::string path = dir.File("abandoned.ini");
  std::unique_ptr<FileLock> taken;
  std::thread([&] { taken = fs.LockForUpdate(path, nullptr); }).join();
  ASSERT_TRUE(taken);
  EXPECT_FALSE(fs.LockForUpdate(path, nullptr));
  taken.reset();
  Status why;
  const DWORD start = GetTickCount();
  auto lock = fs.LockForUpdate(path, &why);
  EXPECT_TRUE(lock) << why.message;
  EXPECT_LT(GetTickCount() - start, 200u);
}

}  // namespace
}  // namespace qm
