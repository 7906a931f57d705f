// The picker's hotkey: its stored form read as people write it, written in one order, and
// what a missing, empty or unreadable setting means.
#include "quillet/pick/hotkey.h"

#include <gtest/gtest.h>

#include "store/ini_document.h"
#include "tests/fakes/fake_global_hotkey.h"
#include "tests/fakes/fake_services.h"

namespace qm {
namespace {

TEST(HotkeyTest, ReadsHandWrittenFormsAndWritesTheCanonicalOne) {
  const std::pair<const char*, const char*> cases[] = {
      {"Ctrl+Alt+Space", "Ctrl+Alt+Space"},
      {" alt + CTRL +space ", "Ctrl+Alt+Space"},
      {"win+shift+f12", "Shift+Win+F12"},
      {"Strg+Umschalt+q", "Ctrl+Shift+Q"},
      {"Win+Shift+Alt+Ctrl+0", "Ctrl+Alt+Shift+Win+0"},
      {"F24", "F24"},
      {"Shift+F1", "Shift+F1"},
      {"Alt+Leertaste", "Alt+Space"},
      {"  ", ""},
  };
  for (const auto& [text, canonical] : cases) {
    const std::optional<Hotkey> parsed = ParseHotkey(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(FormatHotkey(*parsed), canonical);
    EXPECT_EQ(ParseHotkey(canonical), parsed);
  }
  EXPECT_EQ(ParseHotkey("Ctrl+Alt+Space"), DefaultHotkey());
  EXPECT_EQ(ParseHotkey("Win+F10")->key, kKeyF1 + 9);
  EXPECT_EQ(ParseHotkey("Alt+z")->key, 'Z');
}

TEST(HotkeyTest, RefusesWhatNamesNoKeyOrWouldTakeACharacter) {
  for (const char* bad : {"Ctrl+Alt", "Ctrl+", "+A", "Ctrl++A", "Ctrl+Ctrl+A", "A", "Shift+A",
                          "Space", "Shift+7", "F0", "F25", "F01", "Ctrl+AB", "Ctrl+Ä",
                          "Ctrl+F1+Alt", "Hyper+A", "Ctrl+Enter", "Ctrl Alt Space"}) {
    EXPECT_FALSE(ParseHotkey(bad)) << bad;
  }
}

TEST(HotkeyTest, SettingMissingEmptyUnreadableAndWrittenBack) {
  const Windows1252CodePage ansi;
  const struct {
    const char* file;
    const char* expected;
    bool unreadable;
  } cases[] = {
      {"[Common]\r\nPumMode=0\r\n", "Ctrl+Alt+Space", false},
      {"[Common]\r\nHotkey=\r\n", "", false},
      {"[Common]\r\nHotkey=win+f9\r\n", "Win+F9", false},
      {"[Common]\r\nHotkey=Strg+Alt+@\r\n", "Ctrl+Alt+Space", true},
  };
  for (const auto& c : cases) {
    const IniDocument doc(c.file, ansi);
    const HotkeySetting setting = ReadHotkeySetting(&doc);
    EXPECT_EQ(FormatHotkey(setting.hotkey), c.expected) << c.file;
    EXPECT_EQ(setting.unreadable, c.unreadable) << c.file;
  }
  EXPECT_EQ(ReadHotkeySetting(nullptr).hotkey, DefaultHotkey());
  EXPECT_EQ(UnreadableHotkeyText("Strg+Alt+@"),
            "Die Tastenkombination „Strg+Alt+@“ (Abschnitt [Common], Schlüssel Hotkey) in der "
            "Datendatei ist nicht lesbar. Es gilt die Voreinstellung Ctrl+Alt+Space.");

  FakeServices s;
  const std::string file = "C:\\Daten\\Quillet.ini";
  for (const Hotkey& h : {Hotkey{Hotkey::kShift | Hotkey::kWin, 'K'}, Hotkey{}}) {
    ASSERT_TRUE(SaveHotkeySetting(s.ini, file, h));
    EXPECT_EQ(ReadHotkeySetting(s.ini.Snapshot(file).get()).hotkey, h);
  }
}

// The hotkey control has its own modifier bits (Shift 1, Ctrl 2, Alt 4) in the high byte.
TEST(HotkeyTest, ControlValueBothWaysAndGermanNames) {
  const struct {
    Hotkey hotkey;
    unsigned control;
    const char* german;
  } cases[] = {
      {DefaultHotkey(), (6u << 8) | 0x20, "Strg+Alt+Leertaste"},
      {{Hotkey::kShift | Hotkey::kAlt, 'Q'}, (5u << 8) | 'Q', "Alt+Umschalt+Q"},
      {{Hotkey::kCtrl | Hotkey::kShift, kKeyF1 + 11}, (3u << 8) | 0x7B, "Strg+Umschalt+F12"},
      {{0, kKeyF1 + 4}, 0x74, "F5"},
      {{}, 0, "Keine"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HotkeyControlValue(c.hotkey), c.control) << c.german;
    EXPECT_EQ(HotkeyFromControlValue(c.control), c.hotkey) << c.german;
    EXPECT_EQ(GermanHotkeyName(c.hotkey), c.german);
  }
  // The extended-key bit is dropped; a key the stored form cannot name is no hotkey.
  EXPECT_EQ(HotkeyFromControlValue((8u << 8) | (2u << 8) | 'A'), (Hotkey{Hotkey::kCtrl, 'A'}));
  for (unsigned key : {0x0Du, 0x25u, 0xBAu, 0x88u}) {
    EXPECT_TRUE(HotkeyFromControlValue((2u << 8) | key).none()) << key;
  }
  EXPECT_NE(HeldHotkeyText(DefaultHotkey()).find("„Strg+Alt+Leertaste“"), std::string::npos);
}

// A held or unreadable hotkey is told once from the file, each time the user chooses it.
TEST(HotkeyTest, RegistrationReportsOnceAndRegistersWhatApplies) {
  FakeServices s;
  FakeGlobalHotkey os;
  HotkeyRegistration reg(os, s.dialogs);
  const Hotkey f9{Hotkey::kWin, kKeyF1 + 8};
  os.held.insert({DefaultHotkey().modifiers, DefaultHotkey().key});
  const HotkeySetting unreadable{DefaultHotkey(), true, "Strg+@"};
  for (int i = 0; i < 2; ++i) reg.FromSetting(unreadable, "Quillet");
  EXPECT_EQ(s.dialogs.messages.size(), 2u);  // the unreadable value, the held default
  EXPECT_FALSE(reg.registered());
  reg.FromSetting({f9, false, "Win+F9"}, "Quillet");
  EXPECT_EQ(os.registered, (std::pair{unsigned{Hotkey::kWin}, kKeyF1 + 8}));
  const int registrations = os.registrations;
  reg.FromSetting({f9, false, "Win+F9"}, "Quillet");  // a reload that changed nothing
  EXPECT_EQ(os.registrations, registrations);
  EXPECT_FALSE(reg.Choose(DefaultHotkey(), "Quillet"));
  EXPECT_EQ(s.dialogs.messages.size(), 3u);
  EXPECT_TRUE(reg.Choose(Hotkey{}, "Quillet"));
  EXPECT_EQ(os.registered, (std::pair{0u, 0}));
  EXPECT_EQ(s.dialogs.messages.size(), 3u);
}

}  // namespace
}  // namespace qm
