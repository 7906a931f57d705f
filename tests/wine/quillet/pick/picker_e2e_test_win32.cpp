// The picker end to end: the real Quillet.exe, real keys from the X server, a target window of
// another application; the hotkey opens the picker, a search and Enter type the snippet.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "quillet/pick/picker_window_win32.h"
#include "store/entries.h"
#include "store/stored_text.h"
#include "tests/wine/support/clipboard_driver_win32.h"
#include "tests/wine/support/quillet_driver_win32.h"
#include "tests/wine/support/target_windows_win32.h"
#include "tests/wine/support/window_driver_win32.h"
#include "tests/wine/support/x_keyboard_win32.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

class QuilletPickerTest : public QuilletFixture {
 protected:
  void WriteLibrary(const std::vector<std::pair<std::string, std::string>>& snippets,
                    const std::string& html = {}) {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    std::vector<std::pair<int, SnippetEntry>> numbered;
    for (const auto& [name, text] : snippets) {
      numbered.push_back(
          {static_cast<int>(numbered.size()) + 1, {name, EscapeStoredText(text), "", 0, 0}});
    }
    if (!html.empty()) numbered.front().second.html = EscapeStoredText(html);
    ASSERT_TRUE(entries.WriteEntries(numbered, data_file));
    ASSERT_TRUE(ini.WriteIniValue("Ignore", "1", "x", data_file));
  }
  // The picker once it is shown.
  HWND Picker() {
    return WaitForProcessWindow(quillet.pid(), [](HWND w) { return ClassOf(w) == kPickerClass; });
  }
  static HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
  }
  static std::vector<std::string> Listed(HWND picker) {
    HWND list = GetDlgItem(picker, kPickerList);
    std::vector<std::string> items;
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      std::wstring item(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
      item.resize(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data())));
      items.push_back(WideToUtf8(item));
    }
    return items;
  }

  TargetWindows targets;
};

TEST_F(QuilletPickerTest, HotkeySearchAndEnterTypeTheSnippetEscGivesTheFrontBack) {
  if (!HasXKeyboard()) GTEST_SKIP() << "no xdotool";
  WriteLibrary({{"Adresse Musterstraße", "Hauptstr. 1"}, {"Grußformel", "MfG\rAnna"}});
  HWND target = targets.Create(L"Testziel Notiz");
  ASSERT_TRUE(targets.Activate(target));
  Start();

  ASSERT_TRUE(XKeys("key ctrl+alt+space"));
  HWND picker = Picker();
  ASSERT_NE(picker, nullptr) << "no picker";
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == picker; }));
  // The window is in front a moment before its search field takes the focus.
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(picker) == GetDlgItem(picker, kPickerSearch); }));
  EXPECT_EQ(Listed(picker).size(), 2u);

  // Esc: nothing typed, the target in front again.
  ASSERT_TRUE(XKeys("key Escape"));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(picker); }));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }));

  ASSERT_TRUE(XKeys("key ctrl+alt+space"));
  ASSERT_TRUE(
      WaitUntil([&] { return IsWindowVisible(picker) && GetForegroundWindow() == picker; }));
  ASSERT_TRUE(XKeys("type --delay 30 gruss"));
  EXPECT_TRUE(WaitUntil([&] { return Listed(picker) == std::vector<std::string>{"Grußformel"}; }));
  EXPECT_EQ(ControlText(GetDlgItem(picker, kPickerPreview)), "MfG¶\r\nAnna");
  ASSERT_TRUE(XKeys("type --delay 30 x"));
  EXPECT_TRUE(
      WaitUntil([&] { return Listed(picker) == std::vector<std::string>{kPickerNoMatch}; }));
  ASSERT_TRUE(XKeys("key BackSpace Return"));
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(target) == L"MfG\r\nAnna"; }))
      << WideToUtf8(targets.Typed(target));
  EXPECT_FALSE(IsWindowVisible(picker));
}

// An entry is found by its abbreviation, shown beside its name, and sent.
TEST_F(QuilletPickerTest, AnAbbreviationFindsItsEntry) {
  if (!HasXKeyboard()) GTEST_SKIP() << "no xdotool";
  WriteLibrary({{"Mfg-Vorlage", "Vorlage"}, {"Grußformel", "Mit freundlichen Grüßen"}});
  auto fs = MakeOsFileSystem();
  auto ansi = MakeOsAnsiCodePage();
  ASSERT_TRUE(IniStore(*fs, *ansi).WriteIniValue("Kuerzel", "2", "mfg", data_file));
  HWND target = targets.Create(L"Testziel Notiz");
  ASSERT_TRUE(targets.Activate(target));
  Start();
  ASSERT_TRUE(XKeys("key ctrl+alt+space"));
  HWND picker = Picker();
  ASSERT_TRUE(picker && WaitUntil([&] { return GetForegroundWindow() == picker; }));
  ASSERT_TRUE(XKeys("type --delay 30 mfg"));
  EXPECT_TRUE(WaitUntil([&] {
    return Listed(picker) == std::vector<std::string>{"Grußformel\tmfg", "Mfg-Vorlage"};
  }));
  ASSERT_TRUE(XKeys("key Return"));
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(target) == L"Mit freundlichen Grüßen"; }))
      << WideToUtf8(targets.Typed(target));
}

// A formatted entry arrives formatted in a rich-text control and as its text in a plain edit;
// the clipboard is as it was after either.
TEST_F(QuilletPickerTest, AFormattedEntryArrivesFormattedWhereTheTargetCanShowIt) {
  if (!HasXKeyboard()) GTEST_SKIP() << "no xdotool";
  WriteLibrary({{"Signatur", "Max Muster\rWeb"}},
               "<b>Max</b> <i>Muster</i><br><a href=\"https://example.org/\">Web</a>");
  CopyTextAndOwnFormat(L"vorher", "eigen");
  TargetWindows::Options rich_options;
  rich_options.rich = true;
  HWND rich = targets.Create(L"Testziel Brief", rich_options);
  HWND plain = targets.Create(L"Testziel Notiz");
  Start();
  for (HWND target : {rich, plain}) {
    ASSERT_TRUE(targets.Activate(target));
    ASSERT_TRUE(XKeys("key ctrl+alt+space"));
    HWND picker = Picker();
    ASSERT_TRUE(picker && WaitUntil([&] { return GetForegroundWindow() == picker; }));
    ASSERT_TRUE(XKeys("type --delay 30 signatur"));
    ASSERT_TRUE(WaitUntil([&] { return Listed(picker).size() == 1; }));
    ASSERT_TRUE(XKeys("key Return"));
    EXPECT_TRUE(WaitUntil([&] {
      std::wstring typed = targets.Typed(target);
      return typed == L"Max Muster\r\nWeb" || typed == L"Max Muster\rWeb";
    })) << WideToUtf8(targets.Typed(target));
    EXPECT_TRUE(WaitUntil([] {
      return ClipboardTextAndOwnFormat() == std::make_pair(std::wstring(L"vorher"), std::string("eigen"));
    }));
  }
  EXPECT_EQ(targets.EffectsAt(rich, 0) & (CFE_BOLD | CFE_ITALIC), DWORD{CFE_BOLD});
  EXPECT_EQ(targets.EffectsAt(rich, 5) & (CFE_BOLD | CFE_ITALIC), DWORD{CFE_ITALIC});
  const std::wstring text = targets.Typed(rich);
  EXPECT_NE(targets.EffectsAt(rich, static_cast<int>(text.find(L"Web"))) & (CFE_LINK | CFE_UNDERLINE), 0u);
}

// A hotkey another program holds is named once, in German, and Quillet goes on without it.
TEST_F(QuilletPickerTest, AHotkeyHeldElsewhereIsReported) {
  WriteLibrary({{"Gruß", "Hallo"}});
  ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_SPACE));
  // The message comes while the program starts.
  ASSERT_TRUE(quillet.Start(folder.WFile(L"Quillet.exe"), L""));
  HWND box = WaitForMessageBox(quillet.pid());
  UnregisterHotKey(nullptr, 7);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_NE(MessageBoxText(box).find("„Strg+Alt+Leertaste“"), std::string::npos);
  Click(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  main = WaitForQuilletMain(quillet);
  ASSERT_NE(main, nullptr) << "Quillet did not start";
  EXPECT_EQ(WaitForMessageBox(quillet.pid(), 500), nullptr);
}

}  // namespace
}  // namespace qm
