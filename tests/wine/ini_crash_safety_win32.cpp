// Writers killed mid-write and writers running side by side, as separate processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "store/ini_store.h"
#include "tests/wine/temp_folder_win32.h"

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

}  // namespace
}  // namespace qm
