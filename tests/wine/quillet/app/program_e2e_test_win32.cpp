// Quillet.exe from outside, as a user drives it: the first start in an empty folder, the
// icon's right press, a new entry through the input box, typing with Enter and Tab, every
// way of leaving the window while the editor still has the focus, a hand edit meanwhile, and
// an import through the system's open dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/registry_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/core/life_cycle.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/library/transfer_windows_win32.h"
#include "store/entries.h"
#include "store/stored_text.h"
#include "tests/wine/support/process_driver_win32.h"
#include "tests/wine/support/quillet_driver_win32.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "ui/app_version.h"
#include "ui/input_box_win32.h"
#include "ui/version_text.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

std::string ReadBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  bytes.resize(n);
  return bytes;
}

class QuilletProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ferrandel Software\\Quillet");
    for (const wchar_t* name : {L"Quillet.exe", L"sample.ini"}) {
      ASSERT_TRUE(CopyFileW((ProgramFolder() + name).c_str(), folder.WFile(name).c_str(), FALSE));
    }
    data_file = folder.File("Quillet.ini");
  }
  // The stored path would name a folder that is gone.
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ferrandel Software\\Quillet");
  }
  void Start(Process& p, const std::wstring& arguments = L"") {
    ASSERT_TRUE(p.Start(folder.WFile(L"Quillet.exe"), arguments));
    main = WaitForQuilletMain(p);
    ASSERT_NE(main, nullptr) << "Quillet did not start";
    process_ = p.info.hProcess;
  }
  void RightPress() { PostMessageW(main, 1024, 0, WM_RBUTTONDOWN); }
  bool Visible(bool on) {
    return WaitUntil([&] { return (IsWindowVisible(main) != FALSE) == on; });
  }
  HWND Control(int id) { return GetDlgItem(main, id); }
  // The names the list shows, in its order. The window makes its controls when first shown:
  // the list is looked at as a user does, in the window opened from the icon.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    if (!Control(kIdList)) {
      RightPress();
      EXPECT_TRUE(Visible(true));
    }
    HWND list = Control(kIdList);
    for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
      wchar_t name[256] = {};
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
      names.push_back(WideToUtf8(name));
    }
    return names;
  }
  // A library in a folder of its own, as on a network share, stored as the one to use.
  std::wstring Share(const std::string& library) {
    const std::wstring share = folder.WFile(L"Freigabe");
    if (!library.empty()) {
      EXPECT_TRUE(CreateDirectoryW(share.c_str(), nullptr));
      EXPECT_TRUE(WriteRawFile(share + L"\\Quillet.ini", library));
    }
    data_file = WideToUtf8(share) + "\\Quillet.ini";
    WriteUserString(L"Software\\Ferrandel Software\\Quillet", L"path", Utf8ToWide(data_file));
    return share;
  }
  std::string StoredPath() {
    return WideToUtf8(
        ReadUserString(L"Software\\Ferrandel Software\\Quillet", L"path").value_or(L""));
  }
  // The number of the entry the list shows selected, which the editor holds.
  int SelectedEntry() {
    HWND list = Control(kIdList);
    const LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return at < 0 ? 0 : static_cast<int>(SendMessageW(list, LB_GETITEMDATA, at, 0));
  }
  // How many entries the sample library holds.
  int SampleEntries() {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    const std::string sample = folder.File("sample.ini");
    int n = 0;
    while (!ini.ReadIniValue("Name", std::to_string(n + 1), "", sample).empty()) ++n;
    return n;
  }
  HWND FocusOf() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
  }
  // Starts the program, shows its window and types into the entry it shows, whose number
  // goes to `shown`.
  void StartAndType(Process& quillet, const std::wstring& text, int* shown) {
    Start(quillet);
    RightPress();
    ASSERT_TRUE(Visible(true));
    *shown = SelectedEntry();
    ASSERT_GT(*shown, 0);
    TypeIntoEditor(text);
  }
  // Clicks into the editor and types at its end, as keys arrive from the keyboard.
  void TypeIntoEditor(const std::wstring& text) {
    // Each entry shown gets an editor control of its own, so the click goes to the editor
    // there is once the program has settled, and again if it was replaced meanwhile.
    HWND editor = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      WaitForInputIdle(process_, 2000);
      editor = Control(kIdEditor);
      PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
      PostMessageW(editor, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
      return WaitUntil([&] { return FocusOf() == editor; }, 1000);
    })) << "the editor has no focus";
    // The caret to the end of the text, as Ctrl+End would put it.
    PostMessageW(editor, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
    for (wchar_t ch : text) {
      if (ch == L'\r' || ch == L'\t') {
        const UINT vk = ch == L'\r' ? VK_RETURN : VK_TAB;
        PostMessageW(editor, WM_KEYDOWN, vk, 1);
        PostMessageW(editor, WM_KEYUP, vk, 0xC0000001);
      } else {
        PostMessageW(editor, WM_CHAR, ch, 1);
      }
    }
    // Typed once the editor shows the last of it.
    std::wstring tail = text.substr(text.find_last_of(L"\r\t") == std::wstring::npos
                                        ? 0
                                        : text.find_last_of(L"\r\t") + 1);
    ASSERT_TRUE(WaitUntil([&] {
      const std::string shown = Text(editor);
      const std::string want = WideToUtf8(tail);
      return shown.size() >= want.size() &&
             shown.compare(shown.size() - want.size(), want.size(), want) == 0;
    })) << Text(editor);
  }
  // Entry n's text as stored (escaped, deciphered), read as another program would.
  std::string Stored(int n) {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    return entries.ReadEntry(n, data_file).text;
  }
  bool StoredEnds(int n, const std::string& tail) {
    return WaitUntil([&] {
      const std::string s = Stored(n);
      return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    });
  }

  TempFolder folder;
  std::string data_file;
  HWND main = nullptr;
  HANDLE process_ = nullptr;  // of the program started last
};

TEST_F(QuilletProgramTest, KeepsTheLibraryWhateverWayTheWindowIsLeft) {
  Process quillet;
  Start(quillet);
  // The sample was copied and nothing was written into it.
  EXPECT_EQ(ReadBytes(folder.WFile(L"Quillet.ini")), ReadBytes(folder.WFile(L"sample.ini")));
  EXPECT_EQ(Text(main), "\xE2\x80\xA2 Quillet " + AppVersionString(VersionText::kShort));
  const auto path = ReadUserString(L"Software\\Ferrandel Software\\Quillet", L"path");
  EXPECT_EQ(WideToUtf8(path.value_or(L"")), data_file);

  RightPress();
  ASSERT_TRUE(Visible(true));
  RightPress();
  ASSERT_TRUE(Visible(false));
  RightPress();
  ASSERT_TRUE(Visible(true));

  // "&Neu" and its input box.
  PostMessageW(Control(CommandId(QuilletCommand::kNewEntry)), BM_CLICK, 0, 0);
  HWND box = WaitForProcessWindow(quillet.pid(),
                                  [](HWND w) { return ClassOf(w) == kInputBoxClass; });
  ASSERT_NE(box, nullptr) << "no input box";
  EXPECT_EQ(Text(GetDlgItem(box, kInputBoxPrompt)),
            "Bitte geben Sie einen Namen für den neuen Eintrag an:");
  SendMessageW(GetDlgItem(box, kInputBoxEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"Testeintrag"));
  Click(box, IDOK);
  ASSERT_TRUE(WaitGone(box));
  const int n = SampleEntries() + 1;
  ASSERT_GT(n, 1);
  ASSERT_TRUE(WaitUntil([&] {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    return ini.ReadIniValue("Name", std::to_string(n), "", data_file) == "Testeintrag";
  }));

  // Enter and Tab land in the file in stored form; the icon hides the window.
  TypeIntoEditor(L"Hallo\rWelt\t!");
  RightPress();
  ASSERT_TRUE(Visible(false));
  EXPECT_TRUE(StoredEnds(n, "Hallo\\NWelt\\T!")) << Stored(n);

  // "&OK", the close box and the icon's left press each store what was typed.
  const struct {
    const wchar_t* typed;
    const char* stored;
    std::function<void()> leave;
  } ways[] = {
      {L"1", "!1",
       [&] { PostMessageW(Control(CommandId(QuilletCommand::kHideMain)), BM_CLICK, 0, 0); }},
      {L"2", "!12", [&] { PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {L"3", "!123",
       [&] {
         // The snippet menu opens; Escape closes it again.
         PostMessageW(main, 1024, 0, WM_LBUTTONDOWN);
         HWND menu = WaitForMenu();
         ASSERT_NE(menu, nullptr) << "no snippet menu";
         Key(menu, VK_ESCAPE);
         WaitGone(menu);
       }},
  };
  for (const auto& way : ways) {
    if (!IsWindowVisible(main)) RightPress();
    ASSERT_TRUE(Visible(true));
    TypeIntoEditor(way.typed);
    way.leave();
    EXPECT_TRUE(StoredEnds(n, way.stored)) << way.stored << ": " << Stored(n);
  }

  // "&Beenden" from the menu stores, then ends the program.
  if (!IsWindowVisible(main)) RightPress();
  ASSERT_TRUE(Visible(true));
  TypeIntoEditor(L"4");
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
  EXPECT_TRUE(StoredEnds(n, "!1234")) << Stored(n);
}

// At sign-in the share may come after the program: its library is waited for quietly and used.
// Started when it does not come, the user is asked; Cancel takes the library beside the
// program for this run, and the stored path still names the share for the next start.
TEST_F(QuilletProgramTest, ALibraryOutOfReachAtTheStartIsWaitedForAndKept) {
  const std::wstring share = Share("");
  {
    Process quillet;
    ASSERT_TRUE(quillet.Start(folder.WFile(L"Quillet.exe"), L"/AUTOSTART"));
    EXPECT_EQ(WaitForMessageBox(quillet.pid(), 3000), nullptr);  // waits quietly
    ASSERT_TRUE(CreateDirectoryW(share.c_str(), nullptr));
    ASSERT_TRUE(
        WriteRawFile(share + L"\\Quillet.ini", "[Name]\r\n1=geteilt\r\n[Ignore]\r\n1=x\r\n"));
    main = WaitForQuilletMain(quillet);
    ASSERT_NE(main, nullptr) << "Quillet did not start";
    EXPECT_EQ(Names(), std::vector<std::string>{"geteilt"});
    EXPECT_EQ(StoredPath(), data_file);
    PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
    EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
  }
  ASSERT_TRUE(MoveFileW(share.c_str(), (share + L"-weg").c_str()));
  Process quillet;
  ASSERT_TRUE(quillet.Start(folder.WFile(L"Quillet.exe")));
  for (const int button : {IDRETRY, IDCANCEL}) {
    HWND box = WaitForMessageBox(quillet.pid());
    ASSERT_NE(box, nullptr) << "no question";
    EXPECT_NE(MessageBoxText(box).find(data_file + "\xE2\x80\x9C ist zurzeit nicht erreichbar"),
              std::string::npos)
        << MessageBoxText(box);
    Click(box, button);
    ASSERT_TRUE(WaitGone(box));
  }
  main = WaitForQuilletMain(quillet);
  ASSERT_NE(main, nullptr) << "Quillet did not start";
  EXPECT_EQ(static_cast<int>(Names().size()), SampleEntries());
  EXPECT_EQ(StoredPath(), data_file);
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
}

// The share drops while a text waits in the editor: hiding tells once, showing again keeps the
// list and the editor, and the text is stored once the share is back, with nothing more done.
TEST_F(QuilletProgramTest, AShareThatDropsKeepsAWaitingTextAndStoresItWhenBack) {
  const std::wstring share =
      Share("[Name]\r\n1=a\r\n2=b\r\n[Text]\r\n1=A\r\n2=B\r\n[Ignore]\r\n1=x\r\n");
  Process quillet;
  Start(quillet);
  RightPress();
  ASSERT_TRUE(Visible(true));
  TypeIntoEditor(L"neu");
  ASSERT_TRUE(MoveFileW(share.c_str(), (share + L"-weg").c_str()));
  RightPress();
  HWND box = WaitForMessageBox(quillet.pid());
  ASSERT_NE(box, nullptr) << "the failed write was not told";
  EXPECT_NE(MessageBoxText(box).find("nicht gespeichert"), std::string::npos);
  Click(box, IDOK);
  ASSERT_TRUE(Visible(false));
  RightPress();
  ASSERT_TRUE(Visible(true));
  EXPECT_EQ(WaitForMessageBox(quillet.pid(), 2000), nullptr);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Text(Control(kIdEditor)), "Aneu");
  ASSERT_TRUE(MoveFileW((share + L"-weg").c_str(), share.c_str()));
  EXPECT_TRUE(StoredEnds(1, "Aneu")) << Stored(1);
  EXPECT_EQ(WaitForMessageBox(quillet.pid(), 0), nullptr);
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
}

TEST_F(QuilletProgramTest, ACloseRequestFromOutsideEndsTheProgram) {
  // The close box only hides the window; a close request of another program (the task
  // manager, taskkill, an installer) ends the program, with what was typed stored.
  Process quillet;
  int shown = 0;
  ASSERT_NO_FATAL_FAILURE(StartAndType(quillet, L"Zu", &shown));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
  EXPECT_TRUE(StoredEnds(shown, "Zu")) << Stored(shown);
}

TEST_F(QuilletProgramTest, AnEditFollowsItsEntryWhenAHandEditMovesIt) {
  const auto library = [](const char* first, const char* second) {
    return std::string("[Name]\r\n1=") + first + "\r\n2=" + second + "\r\n[Text]\r\n1=" + first +
           " text\r\n2=" + second + " text\r\n";
  };
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"Quillet.ini"), library("Alpha", "Beta")));
  Process quillet;
  int shown = 0;
  ASSERT_NO_FATAL_FAILURE(StartAndType(quillet, L"!", &shown));
  ASSERT_EQ(shown, 1);  // "Alpha"
  // Saved in a text editor meanwhile: the two entries have swapped their numbers.
  ASSERT_TRUE(
      WriteRawFile(folder.WFile(L"Quillet.ini"), "; von Hand\r\n" + library("Beta", "Alpha")));
  RightPress();
  ASSERT_TRUE(Visible(false));
  EXPECT_TRUE(StoredEnds(2, "Alpha text!")) << Stored(2);
  EXPECT_EQ(Stored(1), "Beta text");
}

TEST_F(QuilletProgramTest, TheEndOfTheSessionAndASecondStart) {
  {
    Process quillet;
    int shown = 0;
    ASSERT_NO_FATAL_FAILURE(StartAndType(quillet, L"Ende", &shown));
    // Windows asks, then ends the session: what was typed is in the file before that.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 5000, nullptr);
    EXPECT_TRUE(StoredEnds(shown, "Ende")) << Stored(shown);
    EXPECT_NE(quillet.Wait(kWaitMs), STILL_ACTIVE);
  }
  Process first;
  Start(first);
  HWND first_main = main;
  Process second;
  ASSERT_TRUE(second.Start(folder.WFile(L"Quillet.exe")));
  EXPECT_EQ(second.Wait(kWaitMs), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(first_main) != FALSE; }));
  int windows = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, kMainFormClass, nullptr)) != nullptr;) {
    ++windows;
  }
  EXPECT_EQ(windows, 1);
  PostMessageW(first_main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(first.Wait(kWaitMs), 0u);
}

// A start with the takeover switch, as the restart as administrator makes it, has the running
// program end with what was typed stored, and runs in its place with the file handed over,
// though the stored path names another.
TEST_F(QuilletProgramTest, ATakeOverEndsTheFirstWithItsTextStoredAndRunsInItsPlace) {
  Process first;
  int shown = 0;
  ASSERT_NO_FATAL_FAILURE(StartAndType(first, L"Admin", &shown));
  const HWND first_main = main;
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"anders.ini"), "[Name]\r\n1=anders\r\n"));
  WriteUserString(L"Software\\Ferrandel Software\\Quillet", L"path", folder.WFile(L"anders.ini"));
  Process second;
  ASSERT_TRUE(
      second.Start(folder.WFile(L"Quillet.exe"), Utf8ToWide(TakeOverCommandLine(data_file))));
  EXPECT_EQ(first.Wait(kWaitMs), 0u);
  EXPECT_TRUE(StoredEnds(shown, "Admin")) << Stored(shown);
  main = WaitForQuilletMain(second);
  ASSERT_NE(main, nullptr) << "the second did not start";
  EXPECT_NE(main, first_main);
  process_ = second.info.hProcess;
  EXPECT_EQ(static_cast<int>(Names().size()), SampleEntries());  // the window from the icon
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(second.Wait(kWaitMs), 0u);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// A snippet chosen from the menu arrives in notepad exactly as stored, every special
// character of the keystroke syntax, Enter, Tab, umlauts, "€" and an emoji included.
TEST_F(QuilletProgramTest, TypesASnippetFromTheMenuIntoTheWindowUsedLast) {
  // A Unicode library, so that it can hold the emoji.
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"Quillet.ini"), "\xFF\xFE"));
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    ASSERT_TRUE(entries.WriteEntry(
        1,
        {"Test",
         EscapeStoredText("Gr\xC3\xBC\xC3\x9F" "e {x} 5% (a)+^~[b]\r\xE2\x82\xAC \xF0\x9F\x98\x80\tEnde"),
         "", 0, 0},
        data_file));
    ASSERT_TRUE(ini.WriteIniValue("Ignore", "1", "x", data_file));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ferrandel Software\\Quillet");
  Process quillet;
  Start(quillet);

  Notepad notepad;
  ASSERT_TRUE(notepad.Start()) << "no notepad";
  HWND pad = notepad.window, edit = notepad.edit;
  SetForegroundWindow(pad);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == pad; }));

  PostMessageW(main, 1024, 0, WM_LBUTTONDOWN);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "no snippet menu";
  Key(menu, VK_DOWN);  // "Test", the only entry
  Key(menu, VK_RETURN);
  const std::string expected =
      "Gr\xC3\xBC\xC3\x9F" "e {x} 5% (a)+^~[b]\r\n\xE2\x82\xAC \xF0\x9F\x98\x80\tEnde";
  EXPECT_TRUE(WaitUntil([&] { return Text(edit) == expected; })) << Text(edit);

  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
  PostMessageW(pad, WM_CLOSE, 0, 0);
}

// "Datei › Importieren..." with a CSV file holding "Gruss", which the library has, and two new
// entries: the system's open dialog, the question naming "Gruss", "&Ersetzen", the report.
TEST_F(QuilletProgramTest, ImportsACsvFileAndReplacesTheEntryTheLibraryHasWhenAsked) {
  ASSERT_TRUE(
      WriteRawFile(folder.WFile(L"Quillet.ini"), "[Name]\r\n1=Gruss\r\n[Text]\r\n1=Hallo\r\n"));
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"neu.csv"),
                           "Name;Text\r\nGruss;Servus\r\nAdresse;Hauptstr. 1\r\nTelefon;0123\r\n"));
  Process quillet;
  Start(quillet);
  RightPress();
  ASSERT_TRUE(Visible(true));
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuImport), 0);
  const auto window_of_class = [&](const wchar_t* name) {
    return WaitForProcessWindow(quillet.pid(), [name](HWND w) { return ClassOf(w) == name; });
  };
  // The name goes into the dialog's name field (a combo box with an edit, or an edit), then
  // Enter, as typed.
  HWND open = window_of_class(L"#32770");
  ASSERT_NE(open, nullptr) << "no open dialog";
  HWND field = GetDlgItem(open, 1148);
  if (HWND edit = field ? FindWindowExW(field, nullptr, L"Edit", nullptr) : nullptr) field = edit;
  if (!field) field = GetDlgItem(open, 1152);
  ASSERT_NE(field, nullptr) << "no file name field";
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.WFile(L"neu.csv").c_str()));
  Key(field, VK_RETURN);
  ASSERT_TRUE(WaitGone(open));

  HWND question = window_of_class(kTransferWindowClass);
  ASSERT_NE(question, nullptr) << "no question";
  EXPECT_NE(Text(GetDlgItem(question, kTransferText)).find("„Gruss“"), std::string::npos)
      << Text(GetDlgItem(question, kTransferText));
  Click(question, CommandId(QuilletCommand::kTransferReplace));
  ASSERT_TRUE(WaitGone(question));

  HWND report = window_of_class(kTransferWindowClass);
  ASSERT_NE(report, nullptr) << "no report";
  EXPECT_EQ(Text(GetDlgItem(report, kTransferSummary)), "2 hinzugefügt, 1 ersetzt, 0 übersprungen.");
  // The list shows the entries while the report is open.
  EXPECT_EQ(Names(), (std::vector<std::string>{"Adresse", "Gruss", "Telefon"}));
  Key(report, VK_ESCAPE);
  ASSERT_TRUE(WaitGone(report));
  EXPECT_EQ(Stored(1), "Servus");
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
  EXPECT_EQ(quillet.Wait(kWaitMs), 0u);
}

}  // namespace
}  // namespace qm
