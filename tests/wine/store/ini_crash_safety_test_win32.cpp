// Writers killed mid-write and writers running side by side, as separate processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/portable_code_pages.h"
#include "platform/utf16_win32.h"
#include "store/ini_store.h"
#include "tests/wine/support/temp_folder_win32.h"

namespace qm {
namespace {

constexpr std::size_t kValueLength = 200;  // the child pads every value to this

std::wstring ChildExe() {
  wchar_t buf[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"ini_write_child.exe";
}

// The caller closes the returned process handle; null when the start failed.
HANDLE StartChild(const std::string& file, long count, const std::string& section) {
  std::wstring cmd =
      L"\"" + ChildExe() + L"\" \"" + Utf8ToWide(file) + L"\" " + std::to_wstring(count);
  if (!section.empty()) cmd += L" " + Utf8ToWide(section);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// "v<i>" padded with "x", where i mod 50 is the key's number.
::testing::AssertionResult IsCompleteValue(const std::string& value, int key) {
  std::size_t digits = 1;
  while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
  if (value.size() != kValueLength || value[0] != 'v' || digits == 1) {
    return ::testing::AssertionFailure() << "not a whole value: \"" << value << "\"";
  }
  if (value.find_first_not_of('x', digits) != std::string::npos) {
    return ::testing::AssertionFailure() << "bad padding: \"" << value << "\"";
  }
  if (std::stol(value.substr(1, digits - 1)) % 50 != key) {
    return ::testing::AssertionFailure() << "value of another key in k" << key;
  }
  return ::testing::AssertionSuccess();
}

class IniCrashSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW(ChildExe().c_str()) == INVALID_FILE_ATTRIBUTES) {
      FAIL() << "ini_write_child.exe is missing beside the test program; build that target";
    }
    fs_ = MakeOsFileSystem();
    ansi_ = MakeOsAnsiCodePage();
  }

  test::TempFolder dir_;
  std::unique_ptr<FileSystem> fs_;
  std::unique_ptr<CodePage> ansi_;
};

TEST_F(IniCrashSafety, AWriterKilledMidWriteLeavesAWholeFile) {
  for (int round = 0; round < 3; ++round) {
    const std::string file = dir_.File("kill" + std::to_string(round) + ".ini");
    HANDLE child = StartChild(file, 100000000, "");
    ASSERT_TRUE(child) << GetLastError();
    // Wine starts a process slowly: wait for the first writes, then let it run on.
    for (int i = 0; i < 200 && !fs_->Stat(file).exists; ++i) Sleep(50);
    Sleep(300 + 70 * round);
    EXPECT_EQ(WaitForSingleObject(child, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the child stopped on its own";
    ASSERT_TRUE(TerminateProcess(child, 77));
    WaitForSingleObject(child, 10000);
    CloseHandle(child);

    const auto bytes = fs_->ReadAll(file);
    ASSERT_TRUE(bytes.has_value());
    IniStore ini(*fs_, *ansi_);
    int present = 0;
    for (int k = 0; k < 50; ++k) {
      const auto value = ini.Find("S", "k" + std::to_string(k), file);
      if (!value) continue;
      ++present;
      EXPECT_TRUE(IsCompleteValue(*value, k)) << "round " << round;
    }
    EXPECT_GT(present, 0) << "the child wrote nothing in time";
    // Every line is one the child writes.
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < bytes->size();) {
      std::size_t end = bytes->find('\n', pos);
      if (end == std::string::npos) end = bytes->size();
      std::string line = bytes->substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pos = end + 1;
      if (line.empty() || line == "[S]") continue;
      ++lines;
      EXPECT_EQ(line.compare(0, 1, "k"), 0) << "stray line: " << line.substr(0, 80);
    }
    EXPECT_EQ(lines, static_cast<std::size_t>(present));

    // The killed writer held the lock; the next writer must not wait for it for ever.
    const DWORD start = GetTickCount();
    const Status s = ini.WriteIniValue("S", "danach", "1", file);
    EXPECT_TRUE(s.ok()) << s.message;
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(ini.ReadIniValue("S", "danach", "", file), "1");
  }
}

TEST_F(IniCrashSafety, TwoWritersAtOnceLoseNoUpdate) {
  const std::string file = dir_.File("both.ini");
  const long count = 150;
  HANDLE a = StartChild(file, count, "A");
  HANDLE b = StartChild(file, count, "B");
  ASSERT_TRUE(a && b);
  HANDLE both[] = {a, b};
  const DWORD waited = WaitForMultipleObjects(2, both, TRUE, 180000);
  DWORD code_a = 99, code_b = 99;
  GetExitCodeProcess(a, &code_a);
  GetExitCodeProcess(b, &code_b);
  if (waited == WAIT_TIMEOUT) {
    TerminateProcess(a, 1);
    TerminateProcess(b, 1);
  }
  CloseHandle(a);
  CloseHandle(b);
  ASSERT_NE(waited, static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(code_a, 0u);
  EXPECT_EQ(code_b, 0u);

  IniStore ini(*fs_, *ansi_);
  for (const char* section : {"A", "B"}) {
    for (int k = 0; k < 50; ++k) {
      long last = -1;  // the child's last i for this key
      for (long i = 0; i < count; ++i) {
        if (i % 50 == k) last = i;
      }
      std::string expected = "v" + std::to_string(last);
      expected.resize(kValueLength, 'x');
      EXPECT_EQ(ini.ReadIniValue(section, "k" + std::to_string(k), "<fehlt>", file), expected)
          << section << " k" << k;
    }
  }
}

// A new version keeps what makes the file that file: its attributes, and where the system's
// replace keeps them (not Wine's), its streams; through a link, the link stays and the file
// it leads to changes, with its lock beside that file. Both ways of putting it in place.
TEST_F(IniCrashSafety, AWriteKeepsTheFileItselfAndItsLinks) {
  for (const bool system_replace : {false, true}) {
    Win32FileSystem fs(10000, system_replace);
    IniStore ini(fs, *ansi_);
    const std::wstring target = dir_.WFile(L"ziel" + std::to_wstring(system_replace) + L".ini");
    const std::wstring link = dir_.WFile(L"verweis" + std::to_wstring(system_replace) + L".ini");
    ASSERT_TRUE(test::WriteRawFile(target, "[S]\r\nk=1\r\n"));
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::wstring stream = target + L":notiz";
    const bool streams = !RunsUnderWine() && test::WriteRawFile(stream, "bleibt");
    ASSERT_TRUE(ini.WriteIniValue("S", "k", "2", WideToUtf8(target)));
    EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) << system_replace;
    EXPECT_EQ(streams ? fs_->ReadAll(WideToUtf8(stream)) : "bleibt", std::string("bleibt"));

    // Wine makes no links of its own (tests/store/two_machines.sh links from outside).
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    ASSERT_TRUE(ini.WriteIniValue("S", "k", "3", WideToUtf8(link)));
    EXPECT_EQ(fs_->ReadAll(WideToUtf8(target)), std::string("[S]\r\nk=3\r\n")) << system_replace;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(link.c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_TRUE(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << "no longer a link";
    EXPECT_NE(GetFileAttributesW((target + L".lock").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((link + L".lock").c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// Where the ANSI code page is UTF-8: a library from a Windows-1252 system reads with its
// umlauts and keeps them as its bytes when it is edited; a new library starts as UTF-16LE.
TEST_F(IniCrashSafety, OnAUtf8SystemOldLibrariesKeepTheirUmlautsAndNewOnesAreUtf16) {
  const Utf8CodePage utf8_system;
  IniStore ini(*fs_, utf8_system);
  const std::wstring old = dir_.WFile(L"alt.ini");
  ASSERT_TRUE(test::WriteRawFile(old, "[Name]\r\n1=M\xFCller\r\n"));
  EXPECT_EQ(ini.ReadIniValue("Name", "1", "", WideToUtf8(old)), "M\xC3\xBCller");
  ASSERT_TRUE(ini.WriteIniValue("Name", "2", "Gr\xC3\xB6\xC3\x9F" "e", WideToUtf8(old)));
  EXPECT_EQ(fs_->ReadAll(WideToUtf8(old)),
            std::string("[Name]\r\n1=M\xFCller\r\n2=Gr\xF6\xDF" "e\r\n"));
  const std::string fresh = dir_.File("neu.ini");
  ASSERT_TRUE(ini.WriteIniValue("Name", "1", "\xC3\xA4", fresh));
  EXPECT_EQ(fs_->ReadAll(fresh).value_or("").substr(0, 4), std::string("\xFF\xFE[\0", 4));
  EXPECT_EQ(ini.ReadIniValue("Name", "1", "", fresh), "\xC3\xA4");
}

}  // namespace
}  // namespace qm
