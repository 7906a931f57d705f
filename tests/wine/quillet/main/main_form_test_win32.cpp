// The real main window in-process: its list, rich-text editor, key recording, edit commands
// and layout, driven with messages as the system would deliver them.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>

#include "platform/os.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/main/main_model.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_dialogs.h"
#include "tests/wine/support/process_driver_win32.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "tests/wine/support/window_driver_win32.h"
#include "ui/dialogs_win32.h"
#include "ui/input_box_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    data_file = folder.File("Quillet.ini");
    ASSERT_TRUE(form.Create(nullptr, nullptr));
    Wire(form, clipboard, model);
  }
  // A made form with its own clipboard and a model over the test's library.
  void Wire(MainForm& f, std::unique_ptr<Clipboard>& c, std::unique_ptr<MainModel>& m) {
    c = MakeWin32Clipboard(f.hwnd());
    m = std::make_unique<MainModel>(MainServices{ini, entries, *fs, *ansi, dialogs, *c}, f,
                                    data_file);
    f.Attach(m.get(), {});
    f.InitLayout();
  }
  void Library(const std::vector<std::pair<int, SnippetEntry>>& all, MainModel* m = nullptr) {
    ASSERT_TRUE(entries.WriteEntries(all, data_file));
    if (!m) m = model.get();
    m->LoadEntryList();
    m->UpdateControlStates();
  }
  HWND Item(int id) { return GetDlgItem(form.hwnd(), id); }
  HWND Editor() { return Item(kIdEditor); }
  std::string Stored(int n) { return ini.ReadIniValue("Text", std::to_string(n), "", data_file); }
  std::string Format(int n) {
    return ini.ReadIniValue(kFormatSection, std::to_string(n), "", data_file);
  }
  CHARFORMAT2W CharFormatAt(std::size_t pos) {
    form.EditorSelect(pos, 1);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }
  WORD NumberingAt(std::size_t pos) {
    form.EditorSelect(pos, 0);
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    SendMessageW(Editor(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf.wNumbering;
  }

  test::TempFolder folder;
  std::string data_file;
  std::unique_ptr<FileSystem> fs = MakeOsFileSystem();
  std::unique_ptr<CodePage> ansi = MakeOsAnsiCodePage();
  IniStore ini{*fs, *ansi};
  EntryStore entries{ini, *ansi};
  FakeDialogs dialogs;
  std::unique_ptr<Clipboard> clipboard;
  MainForm form{GetModuleHandleW(nullptr)};
  std::unique_ptr<MainModel> model;
};

TEST_F(MainFormTest, TheListSortsItsNamesAndCarriesTheEntryNumbers) {
  Library({{1, {"zeta", "", "", 0, 0}},
           {2, {"Alpha", "", "Editor", 0, 0}},
           {3, {"beta", "", "", 0, 0}}});
  HWND list = Item(kIdList);
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  const char* names[] = {"Alpha", "beta", "zeta"};
  const int numbers[] = {2, 3, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(form.ListText(i), names[i]);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, i, 0), numbers[i]);
  }
  // A later insertion lands where the control sorts it, among the appended ones.
  EXPECT_EQ(form.ListAdd("Gamma"), 2);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(test::ControlText(Item(kIdTitleBox)), "Editor");
  EXPECT_EQ(IsDlgButtonChecked(form.hwnd(), kIdTitleOption), BST_CHECKED);
}

TEST_F(MainFormTest, AWholeListLandsInTheOrderTheControlSortsIn) {
  // Names where a comparison's rules show: case, umlauts and ß, hyphens and apostrophes
  // (weighed apart from the letters), digits, signs and letters beyond Windows-1252.
  const char* const names[] = {"co-op", "coop",   "co op", "Coop",   "COOP",   "o'neil",  "oneil",
                               "Äpfel", "apfel",  "Apfel", "äpfel",  "Straße", "Strasse", "strasse",
                               "10",    "9",      "-9",    "_x",     "x_",     "Łódź",    "Lodz",
                               "€uro",  "Euro",   " ",     "a b",    "ab ",    "ÆRO",     "aero",
                               "Œuvre", "oeuvre", "zeta",  "Ölkanne"};
  std::vector<std::pair<std::string, int>> items;
  HWND reference = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_SORT | LBS_HASSTRINGS, 0, 0,
                                   10, 10, form.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_NE(reference, nullptr);
  for (const char* name : names) {
    items.emplace_back(name, static_cast<int>(items.size()) + 1);
    SendMessageW(reference, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(name).c_str()));
  }
  form.ListClear();
  form.ListAddAll(items);
  ASSERT_EQ(form.ListCount(), static_cast<int>(items.size()));
  for (int i = 0; i < form.ListCount(); ++i) {
    wchar_t expected[64] = {};
    SendMessageW(reference, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(expected));
    // Names that compare equal ("Apfel", "apfel") may stand in either order among themselves.
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                             Utf8ToWide(form.ListText(i)).c_str(), -1, expected, -1),
              CSTR_EQUAL)
        << form.ListText(i) << " where the control has " << WideToUtf8(expected);
    // Each name keeps its entry number wherever it lands.
    EXPECT_STREQ(names[form.ListData(i) - 1], form.ListText(i).c_str());
  }
  DestroyWindow(reference);
}

TEST_F(MainFormTest, GlyphsSurviveTheRichEditAndKeepTheirLook) {
  const std::string stored =
      "Sehr geehrte Damen\\N\\NName:\\TEr\\\\ika N\xC3\x83O \xC3\xB0 \xE2\x82\xAC";
  Library({{1, {"brief", stored, "", 0, 0}}});
  EXPECT_EQ(EditorToStored(form.EditorText()), stored);
  // The first glyph: Wingdings, red.
  const std::size_t at = Utf16Length("Sehr geehrte Damen");
  form.EditorSelect(at, 1);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Wingdings");
  EXPECT_EQ(cf.crTextColor, RGB(255, 0, 0));
  form.EditorSelect(0, 1);
  SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Arial");
  EXPECT_EQ(cf.crTextColor, RGB(0, 0, 0));
  // Leaving the editor unchanged writes the same stored form.
  model->OnEditorLostFocus();
  EXPECT_EQ(Stored(1), stored);
}

TEST_F(MainFormTest, GlyphsKeepTheirLookWhenTheWindowMovesToAnotherDpi) {
  Library({{1, {"x", "a\\Nb", "", 0, 0}}});
  RECT r{};
  GetWindowRect(form.hwnd(), &r);
  const int dpi = WindowDpi(form.hwnd()) * 3 / 2;
  SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  form.EditorSelect(1, 1);
  SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Wingdings");
  EXPECT_EQ(cf.crTextColor, RGB(255, 0, 0));
  form.EditorSelect(0, 1);
  SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Arial");
}

TEST_F(MainFormTest, EnterAndTabAreRecordedAsGlyphs) {
  Library({{1, {"x", "", "", 0, 0}}});
  HWND editor = Editor();
  SetFocus(editor);
  auto type = [&](const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) SendMessageW(editor, WM_CHAR, *p, 1);
  };
  auto key = [&](UINT vk) {
    SendMessageW(editor, WM_KEYDOWN, vk, 1);
    SendMessageW(editor, WM_CHAR, vk == VK_RETURN ? L'\r' : L'\t', 1);
    SendMessageW(editor, WM_KEYUP, vk, 0xC0000001);
  };
  type(L"Hallo");
  key(VK_RETURN);
  type(L"Welt");
  key(VK_TAB);
  key(VK_TAB);
  type(L"\u00F0");  // the letter eth, typed, is no Tab key
  EXPECT_EQ(EditorToStored(form.EditorText()), "Hallo\\NWelt\\T\\T\xC3\xB0");
  // Typing directly behind a glyph starts the next line, in Arial and black.
  form.EditorSelect(Utf16Length("Hallo") + 1, 0);
  type(L"!");
  EXPECT_EQ(EditorToStored(form.EditorText()), "Hallo\\N!Welt\\T\\T\xC3\xB0");
  // A selection is not replaced: the glyph goes in front of it.
  form.EditorSelect(0, 5);
  key(VK_RETURN);
  EXPECT_EQ(EditorToStored(form.EditorText()), "\\NHallo\\N!Welt\\T\\T\xC3\xB0");
  model->OnEditorLostFocus();
  EXPECT_EQ(Stored(1), "\\NHallo\\N!Welt\\T\\T\xC3\xB0");
}

// The menu's "Rückgängig" takes back what was typed a word at a time, not a letter at a time,
// and typing elsewhere is a step of its own; Ctrl+Tab leaves the editor without a Tab glyph.
TEST_F(MainFormTest, UndoTakesBackStepByStepAndCtrlTabLeavesTheEditor) {
  Library({{1, {"x", "", "", 0, 0}}});
  HWND editor = Editor();
  SetFocus(editor);
  auto type = [&](const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) SendMessageW(editor, WM_CHAR, *p, 1);
  };
  auto command = [&](QuilletCommand c) {
    SendMessageW(form.hwnd(), WM_COMMAND, CommandId(c), 0);
    return EditorToStored(form.EditorText());
  };
  type(L"Hallo");
  SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
  type(L"Welt");
  form.EditorSelect(0, 0);
  type(L"X");
  EXPECT_EQ(command(QuilletCommand::kEditUndo), "Hallo\\NWelt");
  EXPECT_EQ(command(QuilletCommand::kEditUndo), "Hallo\\N");
  EXPECT_EQ(command(QuilletCommand::kEditUndo), "Hallo");
  EXPECT_EQ(command(QuilletCommand::kEditRedo), "Hallo\\N");
  // Undone with everything selected, the glyph keeps its look: undo sets no format.
  type(L"Z");
  form.EditorSelect(0, Utf16Length(form.EditorText()));
  EXPECT_EQ(command(QuilletCommand::kEditUndo), "Hallo\\N");
  EXPECT_EQ(CharFormatAt(5).crTextColor, RGB(255, 0, 0));
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(editor, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_EQ(GetFocus(), Item(kIdAbbreviation));
  SetFocus(editor);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(editor, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_EQ(GetFocus(), Item(CommandId(QuilletCommand::kDeleteEntry)));
  const BYTE none[256] = {};
  SetKeyboardState(const_cast<BYTE*>(none));
  EXPECT_EQ(EditorToStored(form.EditorText()), "Hallo\\N");
}

// Each snippet goes into a fresh editor control; it must take the old one's place in every way.
TEST_F(MainFormTest, ANewSnippetKeepsTheEditorsFocusTabOrderAndLook) {
  Library({{1, {"a", "eins", "", 0, 0}}, {2, {"b", "zwei", "", 0, 0}}});
  SetFocus(Editor());
  const RECT before = test::ControlRect(Editor());
  form.ListSelect(1);
  model->OnListClick();
  EXPECT_EQ(form.EditorText(), "zwei");
  EXPECT_EQ(GetFocus(), Editor());
  const RECT after = test::ControlRect(Editor());
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
  // Tab order: from "&Löschen" to the editor, from the editor on through the abbreviation
  // and its box to the first target option.
  EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), Item(CommandId(QuilletCommand::kDeleteEntry)), FALSE),
            Editor());
  EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), Editor(), FALSE), Item(kIdAbbreviation));
  EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), Item(kIdAtOnceCheck), FALSE), Item(kIdLastWindowOption));
  EXPECT_EQ(SendMessageW(Editor(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(MainFormTest, EditCommandsUseTheClipboardAndKeepGlyphs) {
  Library({{1, {"x", "ab\\Ncd", "", 0, 0}}});
  form.EditorSelect(1, 3);  // "b", the glyph and its line break
  SendMessageW(form.hwnd(), WM_COMMAND, CommandId(QuilletCommand::kEditCut), 0);
  EXPECT_EQ(EditorToStored(form.EditorText()), "acd");
  EXPECT_EQ(clipboard->ReadText().value_or(""), "b" + std::string(kEnterGlyphUtf8) + "\r\n");
  form.EditorSelect(3, 0);
  SendMessageW(form.hwnd(), WM_COMMAND, CommandId(QuilletCommand::kEditPaste), 0);
  EXPECT_EQ(EditorToStored(form.EditorText()), "acdb\\N");
  // A pasted line break is an Enter, shown and stored as one.
  clipboard->WriteText("Zeile 1\r\nZeile 2");
  form.EditorSelect(0, 0);
  SendMessageW(form.hwnd(), WM_COMMAND, CommandId(QuilletCommand::kEditPaste), 0);
  EXPECT_EQ(EditorToStored(form.EditorText()), "Zeile 1\\NZeile 2acdb\\N");
  form.EditorSelect(0, 5);
  SendMessageW(form.hwnd(), WM_COMMAND, CommandId(QuilletCommand::kEditDelete), 0);
  EXPECT_EQ(EditorToStored(form.EditorText()), " 1\\NZeile 2acdb\\N");
}

TEST_F(MainFormTest, ClipboardKeysInTheEditorTakeTheEditCommands) {
  // "bc" is selected in "abc" and the clipboard holds "X".
  const struct {
    std::vector<BYTE> held;
    UINT key;
    const char* text;
    const char* clipboard;
  } cases[] = {{{VK_CONTROL}, 'X', "a", "bc"},         {{VK_CONTROL}, 'C', "abc", "bc"},
               {{VK_CONTROL}, VK_INSERT, "abc", "bc"}, {{VK_CONTROL}, 'V', "aX", "X"},
               {{VK_SHIFT}, VK_INSERT, "aX", "X"},     {{VK_SHIFT}, VK_DELETE, "a", "bc"}};
  Library({{1, {"x", "", "", 0, 0}}});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    clipboard->WriteText("X");
    form.ShowGlyphText("abc");
    form.EditorSelect(1, 2);
    BYTE keys[256] = {};
    for (BYTE vk : c.held) keys[vk] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(Editor(), WM_KEYDOWN, c.key, 1);
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
    EXPECT_EQ(EditorToStored(form.EditorText()), c.text);
    EXPECT_EQ(clipboard->ReadText().value_or(""), c.clipboard);
  }
}

// A formatted entry's formatting in the control: bold, a link in its colour, a list's
// paragraphs; read back from what the control writes out, it is what the file has.
TEST_F(MainFormTest, AFormattedEntryShowsItsFormattingAndStaysAsItWasWhenLeft) {
  const std::string html =
      "<b>Hallo</b> <a href=\"https://x.de\">Welt</a><ul><li>eins</li><li>zwei</li></ul>Ende";
  Library({{1, {"x", "Hallo Welt\\Neins\\Nzwei\\NEnde", "", 0, 0, "", html}}});
  ASSERT_EQ(form.EditorText(), "Hallo Welt" + std::string(kEnterGlyphUtf8) + "\reins" +
                                   kEnterGlyphUtf8 + "\rzwei" + kEnterGlyphUtf8 + "\rEnde");
  EXPECT_TRUE(CharFormatAt(1).dwEffects & CFE_BOLD);
  EXPECT_FALSE(CharFormatAt(6).dwEffects & CFE_BOLD);
  EXPECT_EQ(CharFormatAt(6).crTextColor, LinkColour(0));
  EXPECT_TRUE(CharFormatAt(6).dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(CharFormatAt(10).crTextColor, RGB(255, 0, 0));  // the Enter glyph
  EXPECT_EQ(NumberingAt(12), PFN_BULLET);
  EXPECT_EQ(NumberingAt(18), PFN_BULLET);
  EXPECT_EQ(NumberingAt(24), 0);
  const std::string before = fs->ReadAll(data_file).value_or("");
  model->OnEditorLostFocus();
  EXPECT_EQ(fs->ReadAll(data_file).value_or(""), before);
  EXPECT_EQ(test::ControlText(Item(kIdFieldProblems)), "");
}

TEST_F(MainFormTest, FormatKeysAndTheFormatMenuStoreTheFormattedVersion) {
  Library({{1, {"x", "Hallo Welt\\Nzwei", "", 0, 0}}});
  SetFocus(Editor());
  form.EditorSelect(0, 5);
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(Editor(), WM_KEYDOWN, 'B', 1);
  SendMessageW(Editor(), WM_CHAR, 0x02, 1);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  model->OnEditorLostFocus();
  EXPECT_EQ(Format(1), "<b>Hallo</b> Welt<br>zwei");
  auto menu = [&](QuilletCommand command) {
    SendMessageW(form.hwnd(), WM_COMMAND, CommandId(command), 0);
  };
  form.EditorSelect(13, 0);  // in "zwei"
  menu(QuilletCommand::kFormatBullets);
  form.EditorSelect(6, 4);  // "Welt"
  dialogs.text_answers = {"https://x.de"};
  menu(QuilletCommand::kFormatLink);
  model->OnEditorLostFocus();
  EXPECT_EQ(Format(1),
            "<b>Hallo</b> <a href=\\Hhttps://x.de\\H>Welt</a><ul><li>zwei</li></ul>");
  EXPECT_EQ(Stored(1), "Hallo Welt\\Nzwei");
  // A picture goes in as its mark, which leaves the text and keeps its place in the
  // formatted version.
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x03\0\0\0\x02", 24);
  const std::string picture = folder.File("logo.png");
  ASSERT_TRUE(fs->ReplaceAtomically(picture, png).ok());
  form.EditorSelect(Utf16Length(form.EditorText()), 0);
  model->InsertPicture(picture);
  model->OnEditorLostFocus();
  EXPECT_EQ(Stored(1), "Hallo Welt\\Nzwei");
  const std::string img = "<img src=\\H" + DataAddress("image/png", png) + "\\H>";
  EXPECT_EQ(Format(1),
            "<b>Hallo</b> <a href=\\Hhttps://x.de\\H>Welt</a><ul><li>zwei" + img + "</li></ul>");
  // Formatting removed from the whole text: the picture stays.
  form.EditorSelect(0, 0);
  menu(QuilletCommand::kFormatClear);
  model->OnEditorLostFocus();
  EXPECT_EQ(Format(1), "Hallo Welt<br>zwei" + img);
}

// A picture shows in the editor in place of its mark, drawn over it once the control has
// painted; the text around it is the control's own.
TEST_F(MainFormTest, APictureIsPaintedWhereItsMarkStands) {
  // 64 x 8 red pixels.
  const std::string red(
      "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x40\x00\x00"
      "\x00\x08\x08\x02\x00\x00\x00\xC6\x00\x6E\x88\x00\x00\x00\x23\x49\x44\x41\x54\x38\xCB\x63"
      "\xFC\xCF\x30\xB4\x01\xD3\x40\x3B\x60\xD4\x03\x03\xED\x80\x51\x0F\x0C\xB4\x03\x46\x3D\x30"
      "\xD0\x0E\xA0\x14\x00\x00\x37\x9B\x01\x0F\xA7\xEE\xF9\x64\x00\x00\x00\x00\x49\x45\x4E\x44"
      "\xAE\x42\x60\x82",
      92);
  const std::string img = "<img src=\"" + DataAddress("image/png", red) + "\">";
  Library({{1, {"a", "Logo", "", 0, 0, "", "Logo" + img}},
           {2, {"b", "LogoWWWW", "", 0, 0, "", "Logo" + img + "WWWW"}}});
  // On top of whatever an earlier test left on the screen, whose pixels are read.
  SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  // How many of `count` pixels are red in the mark's bottom row, from the
  // mark's left edge or from behind the character after it.
  auto red_pixels = [&](bool from_mark, int count) {
    RedrawWindow(form.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    POINTL at{}, next{};
    SendMessageW(Editor(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 4);
    SendMessageW(Editor(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&next), 5);
    HDC dc = GetDC(Editor());
    const int y = at.y + MulDiv(kPictureMarkPoints, GetDeviceCaps(dc, LOGPIXELSY), 72) - 1;
    const LONG start = from_mark ? at.x : next.x + 1;
    int red_count = 0;
    for (LONG x = start; x < start + count; ++x) red_count += GetPixel(dc, x, y) == RGB(255, 0, 0);
    ReleaseDC(Editor(), dc);
    return red_count;
  };
  // Ending its line, the picture stands on the mark's bottom line from its left edge, whole.
  EXPECT_EQ(red_pixels(true, 64), 64);
  // With text behind it on its line, it is made smaller to keep to the mark's own box: the
  // text stays.
  form.ListSelect(1);
  model->OnListClick();
  EXPECT_GT(red_pixels(true, 1), 0);
  EXPECT_EQ(red_pixels(false, 20), 0);
  ShowWindow(form.hwnd(), SW_HIDE);
}

// Ctrl+K in the shown window: the real input box takes the focus and gives it back; the
// selection becomes the link.
TEST_F(MainFormTest, CtrlKAsksWithTheInputBoxAndLinksTheSelection) {
  std::unique_ptr<Dialogs> boxes = MakeWin32Dialogs(form.hwnd());
  MainModel real{MainServices{ini, entries, *fs, *ansi, *boxes, *clipboard}, form, data_file};
  form.Attach(&real, {});
  ASSERT_TRUE(entries.WriteEntries({{1, {"x", "Hallo Welt", "", 0, 0}}}, data_file));
  real.LoadEntryList();
  real.UpdateControlStates();
  ShowWindow(form.hwnd(), SW_SHOW);
  SetActiveWindow(form.hwnd());
  SetFocus(Editor());
  form.EditorSelect(6, 4);
  std::thread user([] {
    HWND box = test::WaitForWindow(kInputBoxClass, L"Quillet");
    if (!box) return;
    SendMessageW(GetDlgItem(box, kInputBoxEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"https://x.de"));
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(Editor(), WM_KEYDOWN, 'K', 1);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  user.join();
  EXPECT_EQ(CharFormatAt(6).crTextColor, LinkColour(0));
  real.OnEditorLostFocus();
  EXPECT_EQ(Format(1), "Hallo <a href=\\Hhttps://x.de\\H>Welt</a>");
  ShowWindow(form.hwnd(), SW_HIDE);
  form.Attach(model.get(), {});
}

TEST_F(MainFormTest, TheLayoutFollowsTheWindowAndNeverShrinks) {
  Library({{1, {"x", "", "", 0, 0}}});
  const int dpi = WindowDpi(form.hwnd());
  RECT start{};
  GetWindowRect(form.hwnd(), &start);
  const RECT editor0 = test::ControlRect(Editor());
  const RECT button0 = test::ControlRect(Item(CommandId(QuilletCommand::kHideMain)));
  const RECT list0 = test::ControlRect(Item(kIdList));
  const int dx = MulDiv(600, dpi, 1440), dy = MulDiv(300, dpi, 1440);
  SetWindowPos(form.hwnd(), nullptr, 0, 0, start.right - start.left + dx,
               start.bottom - start.top + dy, SWP_NOMOVE | SWP_NOZORDER);
  const RECT editor1 = test::ControlRect(Editor());
  const RECT button1 = test::ControlRect(Item(CommandId(QuilletCommand::kHideMain)));
  const RECT list1 = test::ControlRect(Item(kIdList));
  EXPECT_NEAR((editor1.right - editor1.left) - (editor0.right - editor0.left), dx, 2);
  EXPECT_NEAR((editor1.bottom - editor1.top) - (editor0.bottom - editor0.top), dy, 2);
  EXPECT_NEAR(button1.left - button0.left, dx, 2);
  EXPECT_EQ(button1.top, button0.top);
  EXPECT_NEAR((list1.bottom - list1.top) - (list0.bottom - list0.top), dy, 2);
  EXPECT_EQ(list1.right - list1.left, list0.right - list0.left);
  // Smaller than at start-up: back to the start-up size.
  SetWindowPos(form.hwnd(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  RECT now{};
  GetWindowRect(form.hwnd(), &now);
  EXPECT_GE(now.right - now.left, start.right - start.left - 1);
  EXPECT_GE(now.bottom - now.top, start.bottom - start.top - 1);
}

TEST_F(MainFormTest, TheFocusComesBackToTheControlThatHadIt) {
  Library({{1, {"x", "abc", "", 0, 0}}});
  ShowWindow(form.hwnd(), SW_SHOW);
  SetActiveWindow(form.hwnd());
  SetFocus(Editor());
  ASSERT_EQ(GetFocus(), Editor());
  // Another window of the program is active for a while (a message box, a dialog).
  HWND other = CreateWindowExW(0, L"STATIC", L"anderes", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetActiveWindow(other);
  ASSERT_NE(GetFocus(), Editor());
  SetActiveWindow(form.hwnd());
  EXPECT_EQ(GetFocus(), Editor());
  // Hidden by its button "OK", the window comes back at its list, not at that button.
  HWND ok = Item(CommandId(QuilletCommand::kHideMain));
  SetFocus(ok);
  ShowWindow(form.hwnd(), SW_HIDE);
  SetActiveWindow(other);
  ShowWindow(form.hwnd(), SW_SHOW);
  SetActiveWindow(form.hwnd());
  EXPECT_EQ(GetFocus(), Item(kIdList));
  DestroyWindow(other);
  ShowWindow(form.hwnd(), SW_HIDE);
}

TEST_F(MainFormTest, TheAbbreviationFieldStoresWhenLeftAndRefusesWhatCannotBeTyped) {
  Library({{1, {"Gru\xC3\x9F", "abc", "", 0, 0}}, {2, {"Adresse", "x", "", 0, 0}}});
  ASSERT_TRUE(ini.WriteIniValue("Kuerzel", "2", "mf", data_file).ok());
  ShowWindow(form.hwnd(), SW_SHOW);
  SetActiveWindow(form.hwnd());
  HWND field = Item(kIdAbbreviation);
  // Named by its label, which comes right before it.
  EXPECT_EQ(test::ControlText(GetWindow(field, GW_HWNDPREV)), "&K\xC3\xBCrzel:");
  auto type = [&](const wchar_t* text) {
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (const wchar_t* c = text; *c; ++c) SendMessageW(field, WM_CHAR, *c, 1);
  };
  form.ListSelect(1);  // "Gruß"
  model->OnListClick();
  type(L"mfg");
  SendMessageW(Item(kIdAtOnceCheck), BM_CLICK, 0, 0);  // takes the focus, then ticks
  EXPECT_EQ(ini.ReadIniValue("Kuerzel", "1", "", data_file) +
                ini.ReadIniValue("KuerzelSofort", "1", "", data_file),
            "mfg1");
  EXPECT_NE(test::ControlText(Item(kIdConflicts)).find("beginnt mit dem K"), std::string::npos);
  // A word end inside: told, kept as typed, the focus back, nothing written.
  type(L"m g");
  SetFocus(Editor());
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(GetFocus(), field);
  EXPECT_EQ(test::ControlText(field) + ini.ReadIniValue("Kuerzel", "1", "", data_file), "m gmfg");
  SetWindowTextW(field, L"mfg");
  ShowWindow(form.hwnd(), SW_HIDE);
}

// The delivery box, named by its label, stores the choice; below the target's controls and
// inside its frame, apart from every other control at 100, 150 and 200 %. So does the line
// between the editor and the abbreviation that names the snippet's field problems.
TEST_F(MainFormTest, TheDeliveryBoxStoresTheChoiceAndKeepsItsPlaceAtEveryDpi) {
  Library({{1, {"x", "%auswahl=X%", "", 0, 0}}});
  ASSERT_TRUE(ini.WriteIniValue("Zustellung", "1", "Tasten", data_file).ok());
  form.ListSelect(0);
  model->OnListClick();
  HWND box = Item(kIdDelivery);
  EXPECT_EQ(test::ControlText(GetWindow(box, GW_HWNDPREV)), "&Zustellung:");
  EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(test::ControlText(box), "Tasten");
  EXPECT_EQ(test::ControlText(Item(kIdFieldProblems)), "„%auswahl=X%“ hat keine Auswahl.");
  SendMessageW(box, CB_SETCURSEL, 3, 0);
  SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(kIdDelivery, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box));
  EXPECT_EQ(ini.ReadIniValue("Zustellung", "1", "", data_file), "Einfügen");
  const int dpi = WindowDpi(form.hwnd());
  for (int scaled : {dpi, dpi * 3 / 2, dpi * 2}) {
    SCOPED_TRACE(scaled);
    RECT r{};
    GetWindowRect(form.hwnd(), &r);
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(scaled, scaled),
                 reinterpret_cast<LPARAM>(&r));
    // A closed combo box's window is as high as its edit part.
    const RECT mine = test::ControlRect(box), frame = test::ControlRect(Item(kIdEditingGroup));
    EXPECT_LE(mine.bottom, frame.bottom);
    const RECT line = test::ControlRect(Item(kIdFieldProblems));
    EXPECT_TRUE(test::ControlRect(Editor()).bottom <= line.top &&
                line.bottom <= test::ControlRect(Item(kIdAbbreviation)).top);
    for (int other : {static_cast<int>(kIdTitleBox), static_cast<int>(kIdDosBoxCheck),
                      static_cast<int>(kIdTitleOption), static_cast<int>(kIdDeliveryLabel),
                      static_cast<int>(kIdEditor)}) {
      const RECT them = test::ControlRect(Item(other));
      RECT both{};
      EXPECT_FALSE(IntersectRect(&both, &mine, &them)) << other;
    }
  }
}

TEST_F(MainFormTest, AnEmptyLibraryDisablesTheEntryControls) {
  Library({});
  EXPECT_FALSE(IsWindowEnabled(Editor()));
  EXPECT_FALSE(IsWindowEnabled(Item(CommandId(QuilletCommand::kDeleteEntry))));
  EXPECT_FALSE(IsWindowEnabled(Item(kIdTitleBox)));
  EXPECT_FALSE(IsWindowEnabled(Item(kIdDelivery)));
  EXPECT_TRUE(IsWindowEnabled(Item(CommandId(QuilletCommand::kNewEntry))));
  HMENU edit = GetSubMenu(GetMenu(form.hwnd()), 1);
  EXPECT_TRUE(GetMenuState(edit, CommandId(QuilletCommand::kEditFind), MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(edit, CommandId(QuilletCommand::kEditFindNext), MF_BYCOMMAND) &
              MF_GRAYED);
  // No entry to export; the whole library's import and export stay.
  HMENU bar = GetMenu(form.hwnd());
  EXPECT_TRUE(GetMenuState(bar, CommandId(QuilletCommand::kMenuExportEntry), MF_BYCOMMAND) &
              MF_GRAYED);
  EXPECT_EQ(GetMenuState(bar, CommandId(QuilletCommand::kMenuImport), MF_BYCOMMAND), 0u);
  EXPECT_EQ(GetMenuState(bar, CommandId(QuilletCommand::kMenuExport), MF_BYCOMMAND), 0u);
  EXPECT_EQ(form.EditorText(), "");
}

// Quillet starts hidden and makes its editor only when the window is first shown (or the
// control itself is needed). Until then the window must answer as the control would, and
// the control must then come with everything the model gave it, in its place.
class DeferredEditorTest : public MainFormTest {
 protected:
  // The form made at once is the reference the deferred one is compared with.
  void SetUp() override {
    MainFormTest::SetUp();
    ASSERT_TRUE(deferred.Create(nullptr, nullptr, MainForm::ControlCreation::kWhenNeeded));
    Wire(deferred, deferred_clipboard, deferred_model);
  }
  void DeferredLibrary(const std::vector<std::pair<int, SnippetEntry>>& all) {
    Library(all, deferred_model.get());
  }
  HWND DeferredEditor() { return GetDlgItem(deferred.hwnd(), kIdEditor); }

  MainForm deferred{GetModuleHandleW(nullptr)};
  std::unique_ptr<Clipboard> deferred_clipboard;
  std::unique_ptr<MainModel> deferred_model;
};

TEST_F(DeferredEditorTest, UnseenTheWindowAnswersForItsEditorAsTheControlWould) {
  const std::string enter = kEnterGlyphUtf8, tab = kTabGlyphUtf8;
  const std::string texts[] = {"",
                               "eins",
                               enter,
                               "a" + enter + "b" + tab + tab + "c",
                               enter + enter + "x" + tab,
                               "Gr\xC3\xBC\xC3\x9F"
                               "e \xE2\x82\xAC {\\} \xF0\x9F\x98\x80" +
                                   enter + "Ende",
                               std::string(3000, 'z') + tab + "w"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    form.ShowGlyphText(text);
    deferred.ShowGlyphText(text);
    EXPECT_FALSE(deferred.HasEditor());
    EXPECT_EQ(deferred.EditorText(), form.EditorText());
    EXPECT_EQ(EditorToStored(deferred.EditorText()), EditorToStored(GlyphTextAsEditorText(text)));
    EXPECT_EQ(deferred.EditorCaret(), form.EditorCaret());
    // A selection inside the text; beyond its end, the control may keep its final mark.
    const std::size_t length = Utf16Length(form.EditorText());
    const std::size_t start = std::min<std::size_t>(1, length);
    form.EditorSelect(start, std::min<std::size_t>(4, length - start));
    deferred.EditorSelect(start, std::min<std::size_t>(4, length - start));
    EXPECT_EQ(deferred.EditorCaret(), form.EditorCaret());
    EXPECT_EQ(deferred.EditorSelectionLength(), form.EditorSelectionLength());
  }
  // Emptied, the caret goes to its start.
  form.ClearEditor();
  deferred.ClearEditor();
  EXPECT_EQ(deferred.EditorText(), form.EditorText());
  EXPECT_EQ(deferred.EditorCaret(), form.EditorCaret());
  EXPECT_EQ(deferred.EditorSelectionLength(), form.EditorSelectionLength());
  EXPECT_FALSE(deferred.HasEditor());
  EXPECT_EQ(DeferredEditor(), nullptr);
}

// Unseen, the window has no controls at all; the model reads back what it gave them, in the
// list's own order, and the controls come with all of it when the window is first shown.
TEST_F(DeferredEditorTest, UnseenTheControlsAreDataThatTheWindowHandsToThemWhenShown) {
  const std::vector<std::pair<int, SnippetEntry>> all = {
      {1, {"beta", "b", "Editor", 1, 0}},
      {2, {"\xC3\x84pfel", "c", "", 0, 1, "Tasten"}},
      {3, {"Alpha", "a", "Mail", 0, 0}},
      {4, {"alpha 2", "d", "", 0, 0}},
      {5, {"Zeta", "z", "editor", 0, 0}}};
  Library(all);
  DeferredLibrary(all);
  EXPECT_EQ(GetDlgItem(deferred.hwnd(), kIdList), nullptr);
  EXPECT_FALSE(deferred.HasControls());
  form.ListSelect(1);
  deferred.ListSelect(1);
  model->OnListClick();
  deferred_model->OnListClick();
  auto same = [&](const char* when) {
    SCOPED_TRACE(when);
    ASSERT_EQ(deferred.ListCount(), form.ListCount());
    for (int i = 0; i < form.ListCount(); ++i) {
      EXPECT_EQ(deferred.ListText(i), form.ListText(i));
      EXPECT_EQ(deferred.ListData(i), form.ListData(i));
    }
    EXPECT_EQ(deferred.ListSelection(), form.ListSelection());
    for (const char* t : {"Editor", "editor", "Mail", "x"}) {
      EXPECT_EQ(deferred.TitleListHas(t), form.TitleListHas(t)) << t;
    }
    EXPECT_EQ(deferred.TitleText(), form.TitleText());
    EXPECT_EQ(deferred.CryptChecked(), form.CryptChecked());
    EXPECT_EQ(deferred.DeliveryChoice(), form.DeliveryChoice());
    EXPECT_EQ(deferred.DestinationType(), form.DestinationType());
  };
  same("unseen");
  form.ListRemove(0);
  deferred.ListRemove(0);
  EXPECT_EQ(form.ListAdd("Mitte"), deferred.ListAdd("Mitte"));
  same("changed unseen");
  ShowWindow(deferred.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(deferred.HasControls());
  same("shown");
  for (int id : {static_cast<int>(kIdList), static_cast<int>(kIdTitleBox),
                 static_cast<int>(kIdDelivery), static_cast<int>(kIdAbbreviation)}) {
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(deferred.hwnd(), id)), IsWindowEnabled(Item(id))) << id;
  }
  EXPECT_EQ(SendDlgItemMessageW(deferred.hwnd(), kIdDelivery, CB_GETCOUNT, 0, 0), 4);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(deferred.hwnd(), kIdKeyRecordCheck)));
  ShowWindow(deferred.hwnd(), SW_HIDE);
}

TEST_F(DeferredEditorTest, TheEditorComesWithTheWindowWithItsTextGlyphsSelectionAndPlace) {
  const std::string stored = "Sehr geehrte Damen\\N\\NName:\\TErika";
  Library({{1, {"brief", stored, "", 0, 0}}, {2, {"kurz", "zwei", "", 0, 0}}});
  DeferredLibrary({{1, {"brief", stored, "", 0, 0}}, {2, {"kurz", "zwei", "", 0, 0}}});
  // The tray's menu stores pending edits first: unseen, there are none to store.
  deferred_model->StorePendingEdits();
  EXPECT_EQ(Stored(1), stored);
  EXPECT_FALSE(deferred.HasEditor());
  // Laid out anew while hidden, as a restored geometry does.
  for (HWND w : {form.hwnd(), deferred.hwnd()}) {
    RECT r{};
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + 90, r.bottom - r.top + 40,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  deferred.EditorSelect(3, 2);
  ShowWindow(deferred.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(deferred.HasEditor());
  HWND editor = DeferredEditor();
  EXPECT_EQ(EditorToStored(deferred.EditorText()), stored);
  EXPECT_EQ(deferred.EditorText(), form.EditorText());
  EXPECT_EQ(deferred.EditorCaret(), 3u);
  EXPECT_EQ(deferred.EditorSelectionLength(), 2u);
  EXPECT_TRUE(IsWindowEnabled(editor));
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_EQ(SendMessageW(editor, EM_GETMODIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(editor, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  const RECT placed = test::ControlRect(editor), expected = test::ControlRect(Editor());
  EXPECT_EQ(placed.left, expected.left);
  EXPECT_EQ(placed.top, expected.top);
  EXPECT_EQ(placed.right, expected.right);
  EXPECT_EQ(placed.bottom, expected.bottom);
  EXPECT_EQ(GetNextDlgTabItem(deferred.hwnd(),
                              GetDlgItem(deferred.hwnd(), CommandId(QuilletCommand::kDeleteEntry)),
                              FALSE),
            editor);
  EXPECT_EQ(GetNextDlgTabItem(deferred.hwnd(), editor, FALSE),
            GetDlgItem(deferred.hwnd(), kIdAbbreviation));
  // The glyph keeps its look; the text around it its own.
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  deferred.EditorSelect(Utf16Length("Sehr geehrte Damen"), 1);
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Wingdings");
  EXPECT_EQ(cf.crTextColor, RGB(255, 0, 0));
  deferred.EditorSelect(0, 1);
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(std::wstring(cf.szFaceName), L"Arial");
  // Typed into, it stores as the editor made at start does; shown again, it stays the same.
  deferred.EditorSelect(0, 0);
  deferred.EditorReplaceSelection("Liebe ");
  deferred_model->OnEditorLostFocus();
  EXPECT_EQ(Stored(1), "Liebe " + stored);
  ShowWindow(deferred.hwnd(), SW_HIDE);
  ShowWindow(deferred.hwnd(), SW_SHOWNA);
  EXPECT_EQ(DeferredEditor(), editor);
  ShowWindow(deferred.hwnd(), SW_HIDE);
}

TEST_F(DeferredEditorTest, UnseenAFormattedEntryStoresNothingAndComesWithItsFormatting) {
  DeferredLibrary({{1, {"x", "Hallo Welt", "", 0, 0, "", "<b>Hallo</b> Welt"}}});
  const std::string before = fs->ReadAll(data_file).value_or("");
  deferred_model->StorePendingEdits();
  EXPECT_EQ(fs->ReadAll(data_file).value_or(""), before);
  EXPECT_FALSE(deferred.HasEditor());
  ShowWindow(deferred.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(deferred.HasEditor());
  deferred.EditorSelect(1, 1);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(DeferredEditor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
  deferred_model->StorePendingEdits();
  EXPECT_EQ(fs->ReadAll(data_file).value_or(""), before);
  ShowWindow(deferred.hwnd(), SW_HIDE);
}

TEST_F(DeferredEditorTest, WhatNeedsTheControlMakesItAndAnEmptyLibraryLeavesItDisabled) {
  DeferredLibrary({});
  EXPECT_FALSE(deferred.HasEditor());
  deferred.FocusEditor();  // a command that acts on the control itself
  ASSERT_TRUE(deferred.HasEditor());
  EXPECT_FALSE(IsWindowEnabled(DeferredEditor()));
  EXPECT_EQ(deferred.EditorText(), "");
  // A library loaded later enables it and fills it like any other.
  DeferredLibrary({{1, {"x", "ab\\Ncd", "", 0, 0}}});
  EXPECT_TRUE(IsWindowEnabled(DeferredEditor()));
  EXPECT_EQ(EditorToStored(deferred.EditorText()), "ab\\Ncd");
}

}  // namespace
}  // namespace qm
