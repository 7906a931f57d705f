// The Win32 platform services against the system itself: UTF-16, code pages, the registry and
// the settings kept there, the version.
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

TEST(Utf16Boundary, RoundTripsAllPlanesAndKeepsTextAfterBadBytes) {
  const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a ä € 😀 z
  EXPECT_EQ(Utf8ToWide(text), L"a\u00E4\u20AC\U0001F600z");
  EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
  EXPECT_EQ(WideToUtf8(Utf8ToWide(std::string("a\0b", 3))), std::string("a\0b", 3));
  EXPECT_EQ(Utf8ToWide("a\xFFz"), L"a\uFFFDz");
  EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"z"), "a\xEF\xBF\xBDz");
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
