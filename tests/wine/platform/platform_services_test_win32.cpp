// The Win32 platform services against the system itself: files, code pages, registry,
// version.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/os_win32.h"
#include "platform/portable_code_pages.h"
#include "platform/registry_win32.h"
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

TEST(Utf16Boundary, RoundTripsAllPlanesAndKeepsTextAfterBadBytes) {
  const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a ä € 😀 z
  EXPECT_EQ(Utf8ToWide(text), L"a\u00E4\u20AC\U0001F600z");
  EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
  EXPECT_EQ(WideToUtf8(Utf8ToWide(std::string("a\0b", 3))), std::string("a\0b", 3));
  EXPECT_EQ(Utf8ToWide("a\xFFz"), L"a\uFFFDz");
  EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"z"), "a\xEF\xBF\xBDz");
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

TEST(Win32CodePage, The1252TableMatchesTheSystemsConversion) {
  auto system = MakeWin32CodePage(1252);
  Windows1252CodePage table;
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    ASSERT_EQ(system->ToUtf8(one), table.ToUtf8(one)) << "byte " << b;
  }
  for (char32_t cp = 1; cp < 0x3000; ++cp) {
    if (cp >= 0xD800 && cp < 0xE000) continue;
    std::string utf8, from_system, from_table;
    AppendUtf8(utf8, cp);
    char32_t bad_system = 0, bad_table = 0;
    const bool ok_system = system->FromUtf8(utf8, from_system, &bad_system);
    const bool ok_table = table.FromUtf8(utf8, from_table, &bad_table);
    ASSERT_EQ(ok_system, ok_table) << "U+" << std::hex << static_cast<unsigned>(cp);
    if (ok_system) {
      ASSERT_EQ(from_system, from_table);
    } else {
      ASSERT_EQ(bad_system, cp);
      ASSERT_EQ(bad_table, cp);
    }
  }
}

TEST(Win32CodePage, RefusesLookAlikesAndNamesTheCharacter) {
  auto cp1250 = MakeWin32CodePage(1250);
  std::string out;
  char32_t bad = 0;
  // ł € ß ä fit into Central European; à would only by best fit, as "a".
  EXPECT_TRUE(cp1250->FromUtf8("\xC5\x82\xE2\x82\xAC\xC3\x9F\xC3\xA4", out, &bad));
  EXPECT_EQ(out, "\xB3\x80\xDF\xE4");
  EXPECT_EQ(cp1250->ToUtf8(out), "\xC5\x82\xE2\x82\xAC\xC3\x9F\xC3\xA4");
  EXPECT_FALSE(cp1250->FromUtf8("ok \xC3\xA0 ok", out, &bad));
  EXPECT_EQ(bad, U'\u00E0');
  EXPECT_FALSE(cp1250->FromUtf8("x\xF0\x9F\x98\x80", out, &bad));
  EXPECT_EQ(bad, U'\U0001F600');
  EXPECT_FALSE(cp1250->FromUtf8("x\xC3", out, &bad));
  EXPECT_EQ(bad, U'\uFFFD');

  auto os = MakeOsAnsiCodePage();
  EXPECT_EQ(os->Id(), GetACP());
}

// A section of our own, so that the test leaves the real settings alone.
class RegistrySettings : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, (SettingsRootKey() + L"\\" + Utf8ToWide(section_)).c_str());
  }
  const std::string section_ = "QmTest-" + std::to_string(GetCurrentProcessId());
};

TEST_F(RegistrySettings, ValuesRoundTripAndSitAtTheDocumentedKey) {
  auto store = MakeOsSettingsStore();
  EXPECT_FALSE(store->Read(section_, "Fenster").has_value());
  const std::string values[] = {"", "100,200", "\xC3\x84rger \xC3\xBC\xC3\x9F \xF0\x9F\x98\x80",
                                std::string(5000, 'w'), "  Leerzeichen  "};
  for (const std::string& v : values) {
    ASSERT_TRUE(store->Write(section_, "Fenster", v).ok());
    EXPECT_EQ(store->Read(section_, "Fenster"), v);
  }
  EXPECT_FALSE(store->Read(section_, "Fehlt").has_value());
  EXPECT_FALSE(store->Read(section_ + "-fehlt", "Fenster").has_value());

  ASSERT_TRUE(store
                  ->Write(section_,
                          "Gr\xC3\xB6\xC3\x9F"
                          "e",
                          "\xE2\x82\xAC 1")
                  .ok());
  const std::wstring key = L"Software\\Ferrandel Software\\" + Utf8ToWide(section_);
  wchar_t buf[64];
  DWORD size = sizeof buf;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Gr\u00F6\u00DFe", RRF_RT_REG_SZ, nullptr,
                         buf, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buf), L"\u20AC 1");
}

TEST_F(RegistrySettings, RefusesWhatRegSzCannotHold) {
  auto store = MakeOsSettingsStore();
  EXPECT_FALSE(store->Write(section_, "k", std::string("a\0b", 3)).ok());
  EXPECT_FALSE(store->Write(section_, "k", "a\xFF").ok());
  EXPECT_FALSE(store->Read(section_, "k").has_value());
}

TEST(Win32Registry, WritesReadsAndDeletesUserStrings) {
  auto reg = MakeWin32Registry();
  const std::string key =
      "Software\\Ferrandel Software\\QmRegTest-" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(reg->ReadString(key, "Autostart").has_value());
  ASSERT_TRUE(reg->WriteString(key, "Autostart",
                               "\"C:\\Programme\\\xC3\x9C"
                               "ber\\q.exe\""));
  EXPECT_EQ(reg->ReadString(key, "Autostart"),
            "\"C:\\Programme\\\xC3\x9C"
            "ber\\q.exe\"");
  EXPECT_TRUE(reg->DeleteValue(key, "Autostart"));
  EXPECT_FALSE(reg->ReadString(key, "Autostart").has_value());
  EXPECT_TRUE(reg->DeleteValue(key, "Autostart")) << "deleting a missing value succeeds";
  RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str());
}

TEST(Win32SystemInfo, ReportsAnNtVersionAndOurOwnPath) {
  auto sys = MakeOsSystemInfo();
  const OsVersion v = sys->Version();
  EXPECT_GE(v.major, 6u);
  EXPECT_EQ(v.platform_id, 2u);
  const std::string exe = sys->ExecutablePath();
  ASSERT_GE(exe.size(), 17u);
  std::string tail = exe.substr(exe.size() - 17);
  for (char& ch : tail) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  EXPECT_EQ(tail, "qm_wine_tests.exe");
  EXPECT_NE(GetFileAttributesW(Utf8ToWide(exe).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qm
