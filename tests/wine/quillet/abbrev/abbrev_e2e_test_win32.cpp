// Abbreviations typed with real keys from the X server into another program's window, while
// Quillet.exe runs with its keyboard hook: expansion, undo, at once, whole words only, one
// that begins with a colon, the word end given back before a refusal, dead keys and AltGr on a
// German layout, nothing in Quillet's own editor, nor in a password field or a window the data
// file keeps out, and one typed while the program starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "quillet/fill/field_form_win32.h"
#include "quillet/main/main_form_win32.h"
#include "store/entries.h"
#include "store/stored_text.h"
#include "tests/wine/support/quillet_driver_win32.h"
#include "tests/wine/support/target_windows_win32.h"
#include "tests/wine/support/x_keyboard_win32.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

// Long enough that keys typed right after its abbreviation come while it is being typed.
constexpr const char* kLong =
    "Sehr geehrte Damen und Herren, vielen Dank f\xC3\xBCr Ihre Nachricht vom Montag.";

class QuilletAbbreviationTest : public QuilletFixture {
 protected:
  void SetUp() override {
    if (!HasXKeyboard()) GTEST_SKIP() << "no xdotool";
    QuilletFixture::SetUp();
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    ASSERT_TRUE(entries.WriteEntries(
        {{1, {"Gruss", EscapeStoredText("MfG Anna"), "", 0, 0}},
         {2, {"Sofort", EscapeStoredText("Sofort!"), "", 0, 0}},
         {3, {"Lang", EscapeStoredText(kLong), "", 0, 0}},
         {4, {"Vorlage", EscapeStoredText("%auswahl=Anrede:Sehr geehrte|Liebe% %eingabe=Name%, "
                                          "%cursor%Ihre %eingabe=name%"), "", 0, 0}}},
        data_file));
    ASSERT_TRUE(ini.WriteIniValues({{"Ignore", "1", "x"},
                                    {"Kuerzel", "1", "mfg"},
                                    {"Kuerzel", "2", "sfx"},
                                    {"Kuerzel", "3", "lg"},
                                    {"Kuerzel", "4", "brf"},
                                    {"KuerzelSofort", "2", "1"}},
                                   data_file));
    if (start_in_set_up) Start();
    target = targets.Create(L"Testziel Kuerzel");
    ASSERT_TRUE(targets.Activate(target));
    // A click puts the caret into the target's edit, as the user's would.
    RECT r{};
    GetWindowRect(FindWindowExW(target, nullptr, L"Edit", nullptr), &r);
    XKeys("mousemove " + std::to_string((r.left + r.right) / 2) + " " +
          std::to_string((r.top + r.bottom) / 2) + " click 1");
  }
  // Types with xdotool and waits until the target shows `want`.
  bool TypedGives(const std::string& keys, const std::wstring& want) {
    XKeys(keys);
    const bool got = WaitUntil([&] { return targets.Typed(target) == want; }, 5000);
    if (!got) ADD_FAILURE() << keys << " gave \"" << WideToUtf8(targets.Typed(target)) << '"';
    return got;
  }

  TargetWindows targets;
  HWND target = nullptr;
  bool start_in_set_up = true;
};

// An abbreviation whose snippet has fields: the form asks them in front, Enter confirms and the
// snippet arrives with the answers, the field named twice in both places, the caret left at
// its mark; Esc sends nothing and leaves the abbreviation as typed.
TEST_F(QuilletAbbreviationTest, AFormAsksTheFieldsAndEscLeavesTheAbbreviationAsTyped) {
  XKeys("type --delay 40 \"brf \"");
  HWND form = WaitForProcessWindow(
      quillet.pid(), [](HWND w) { return ClassOf(w) == kFieldFormClass; }, kWaitMs, true);
  ASSERT_NE(form, nullptr) << "no form";
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form; }));
  SendMessageW(GetDlgItem(form, kFieldControlId), CB_SETCURSEL, 1, 0);  // "Liebe"
  SetWindowTextW(GetDlgItem(form, kFieldControlId + 1), L"Frau Muster");
  XKeys("key Return");
  ASSERT_TRUE(WaitUntil(
      [&] { return targets.Typed(target) == L"Liebe Frau Muster, Ihre Frau Muster "; }, 5000))
      << WideToUtf8(targets.Typed(target));
  // The caret was left at the snippet's mark: what is typed next lands there.
  XKeys("type --delay 40 \"x brf \"");
  form = WaitForProcessWindow(
      quillet.pid(), [](HWND w) { return ClassOf(w) == kFieldFormClass; }, kWaitMs, true);
  ASSERT_NE(form, nullptr) << "no form the second time";
  // Found while still hidden, its start values are not filled in yet and Esc would miss it.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form; }));
  // The last answers come back.
  EXPECT_EQ(Text(GetDlgItem(form, kFieldControlId + 1)), "Frau Muster");
  XKeys("key Escape");
  EXPECT_TRUE(WaitUntil(
      [&] { return targets.Typed(target) == L"Liebe Frau Muster, x brf Ihre Frau Muster "; }, 5000))
      << WideToUtf8(targets.Typed(target));
}

// Quillet started while the user goes on typing in another window.
class QuilletTypedAtStartTest : public QuilletAbbreviationTest {
 protected:
  QuilletTypedAtStartTest() { start_in_set_up = false; }
};

// The hooks come at the program's first idle moment: an abbreviation typed while it starts
// expands or arrives as typed, never halfway; once started, the next one expands.
TEST_F(QuilletTypedAtStartTest, AnAbbreviationTypedWhileTheProgramStartsIsWholeEitherWay) {
  ASSERT_TRUE(quillet.Start(folder.WFile(L"Quillet.exe")));
  XKeys("type --delay 30 \"mfg \"");
  main = WaitForQuilletMain(quillet);
  ASSERT_NE(main, nullptr) << "Quillet did not start";
  WaitUntil([&] { return targets.Typed(target) == L"MfG Anna "; }, 1000);
  const std::wstring first = targets.Typed(target);
  EXPECT_TRUE(first == L"mfg " || first == L"MfG Anna ") << WideToUtf8(first);
  TypedGives("type --delay 40 \"mfg \"", first + L"MfG Anna ");
}

TEST_F(QuilletAbbreviationTest, ExpandsUndoesAndLeavesLongerWordsAlone) {
  TypedGives("type --delay 40 \"mfg \"", L"MfG Anna ");
  TypedGives("key BackSpace", L"mfg ");
  TypedGives("type --delay 40 \"xmfg mfgx sfx\"", L"mfg xmfg mfgx Sofort!");
  // After an expansion at once, the next word's start is unknown; a blank makes one.
  TypedGives("type --delay 40 \" mfg.\"", L"mfg xmfg mfgx Sofort! MfG Anna.");
  // Keys typed while a snippet goes out come after it, in order, and expand in their turn.
  TypedGives("type --delay 5 \" lg mfg Hallo\"",
             L"mfg xmfg mfgx Sofort! MfG Anna. " + Utf8ToWide(kLong) + L" MfG Anna Hallo");
  // An abbreviation changed in the file counts from the next window switch on; its "#" is
  // typed with Shift.
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    ASSERT_TRUE(IniStore(*fs, *ansi).WriteIniValue("Kuerzel", "1", "#gru", data_file));
  }
  ASSERT_TRUE(targets.Activate(targets.Create(L"Anderes Fenster")));
  ASSERT_TRUE(targets.Activate(target));
  Sleep(1000);
  TypedGives("type --delay 40 \" #gru \"", L"mfg xmfg mfgx Sofort! MfG Anna. " + Utf8ToWide(kLong) +
                                               L" MfG Anna Hallo MfG Anna ");
  // Read back after its Backspaces, its word end and the keys held meanwhile: each arrived.
  const auto arrived = [this] {
    const std::string log = SendLog();
    std::size_t n = 0;
    for (std::size_t at = 0; (at = log.find(";angekommen\r\n", at)) != std::string::npos; ++at) {
      ++n;
    }
    return n;
  };
  EXPECT_TRUE(WaitUntil([&] { return arrived() == 6; }, 5000)) << SendLog();

  // In Quillet's own editor the abbreviation is text like any other.
  PostMessageW(main, 1024, 0, WM_RBUTTONDOWN);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  HWND editor = GetDlgItem(main, kIdEditor);
  ASSERT_TRUE(WaitUntil([&] {
    editor = GetDlgItem(main, kIdEditor);
    PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(editor, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus == editor;
  }));
  PostMessageW(editor, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  XKeys("type --delay 40 \" #gru x\"");
  EXPECT_TRUE(WaitUntil([&] { return Text(editor) == "MfG Anna #gru x"; }, 5000)) << Text(editor);
}

// In notepad: an abbreviation that begins with a colon expands after a blank, not inside a
// word; and when its entry was renamed by another writer, the refusal's message comes only
// after the word end the abbreviation held back has reached notepad.
TEST_F(QuilletAbbreviationTest, ColonAbbreviationInNotepadAndTheWordEndBeforeARefusal) {
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    ASSERT_TRUE(IniStore(*fs, *ansi).WriteIniValue("Kuerzel", "1", ":mfg", data_file));
  }
  Notepad notepad;
  ASSERT_TRUE(notepad.Start()) << "no notepad";
  HWND pad = notepad.window, edit = notepad.edit;
  ASSERT_TRUE(targets.Activate(pad));
  Sleep(1000);  // the window switch reloads the abbreviations
  const auto pad_gives = [&](const std::string& keys, const std::string& want) {
    XKeys(keys);
    EXPECT_TRUE(WaitUntil([&] { return Text(edit) == want; }, 5000)) << keys << ": " << Text(edit);
  };
  pad_gives("type --delay 40 \"x :mfg x:mfg \"", "x MfG Anna x:mfg ");
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    ASSERT_TRUE(IniStore(*fs, *ansi).WriteIniValue("Name", "1", "Umbenannt", data_file));
  }
  XKeys("type --delay 40 \":mfg \"");
  HWND box = WaitForMessageBox(quillet.pid());
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageBoxText(box).find("existiert nicht mehr"), std::string::npos);
  EXPECT_EQ(Text(edit), "x MfG Anna x:mfg :mfg ");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitGone(box));
}

// A password field keeps its abbreviation as typed, and the other field of the same window
// expands right after it: the hook follows the focus. A window whose class the data file's
// section KuerzelAus lists keeps it as typed too.
TEST_F(QuilletAbbreviationTest, PasswordFieldsAndKeptOutWindowsKeepTheAbbreviation) {
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    ASSERT_TRUE(
        IniStore(*fs, *ansi).WriteIniValue("KuerzelAus", "1", "QmKeepOutTestClass", data_file));
  }
  const auto click = [](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    XKeys("mousemove " + std::to_string((r.left + r.right) / 2) + " " +
          std::to_string((r.top + r.bottom) / 2) + " click 1");
  };
  const auto stays = [](const std::function<std::wstring()>& text) {
    // An expansion holds the blank back and takes the abbreviation away: "mfg " never shows.
    EXPECT_TRUE(WaitUntil([&] { return text() == L"mfg "; }, 5000)) << WideToUtf8(text());
    Sleep(500);
    EXPECT_EQ(text(), L"mfg ");
  };
  TargetWindows::Options with_password;
  with_password.password_field = true;
  HWND login = targets.Create(L"Anmeldung", with_password);
  ASSERT_TRUE(targets.Activate(login));
  click(targets.PasswordField(login));
  XKeys("type --delay 40 \"mfg \"");
  stays([&] { return targets.TypedPassword(login); });
  click(FindWindowExW(login, targets.PasswordField(login), L"Edit", nullptr));
  XKeys("type --delay 40 \"mfg \"");
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(login) == L"MfG Anna "; }, 5000))
      << WideToUtf8(targets.Typed(login));

  TargetWindows::Options kept_out;
  kept_out.window_class = L"QmKeepOutTestClass";
  HWND kept = targets.Create(L"Ausgenommen", kept_out);
  ASSERT_TRUE(targets.Activate(kept));
  click(FindWindowExW(kept, nullptr, L"Edit", nullptr));
  XKeys("type --delay 40 \"mfg \"");
  stays([&] { return targets.Typed(kept); });
}

TEST_F(QuilletAbbreviationTest, DeadKeysAndAltGrWorkWhileTheHookRuns) {
  ASSERT_TRUE(XLayout("de"));
  // Each Wine process takes the new layout over when it reads the X server's notice of it.
  Sleep(500);
  struct Restore {
    ~Restore() { XLayout("us"); }
  } restore;
  TypedGives("key dead_circumflex e", L"\u00EA");
  TypedGives("key ISO_Level3_Shift+q", L"\u00EA@");
  TypedGives("type --delay 40 \" mfg \"", L"\u00EA@ MfG Anna ");
}

}  // namespace
}  // namespace qm
