// Quillet.exe sending snippets, driven from outside: which window a snippet goes to, the
// choice among several, the refusals when there is none, DOS-box pasting and the cascading
// menu. The target windows are the test's own, run by a thread of their own.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "quillet/send/choice_dialog_win32.h"
#include "store/entries.h"
#include "store/stored_text.h"
#include "tests/wine/support/quillet_driver_win32.h"
#include "tests/wine/support/clipboard_driver_win32.h"
#include "tests/wine/support/target_windows_win32.h"
#include "ui/input_box_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

const char* const kNoTarget =
    "Es wurde kein passendes Zielfenster identifiziert.\r\nDie \xC3\x9C" "bertragung wird "
    "daher abgebrochen.";

TargetWindows::Options Hidden() {
  TargetWindows::Options o;
  o.visible = false;
  return o;
}
TargetWindows::Options WithoutEdit() {
  TargetWindows::Options o;
  o.edit = false;
  return o;
}
TargetWindows::Options Slow(DWORD ms_per_char) {
  TargetWindows::Options o;
  o.ms_per_char = ms_per_char;
  return o;
}

std::string ClipboardPicture() {
  std::string picture;
  if (!OpenClipboard(nullptr)) return picture;
  if (HANDLE dib = GetClipboardData(CF_DIB)) {
    picture.assign(static_cast<const char*>(GlobalLock(dib)), GlobalSize(dib));
    GlobalUnlock(dib);
  }
  CloseClipboard();
  return picture;
}
// A picture as a paint program copies it: 2 x 2 pixels, 32 bits each.
std::string SmallPicture() {
  BITMAPINFOHEADER header{sizeof header, 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::string picture(reinterpret_cast<const char*>(&header), sizeof header);
  const DWORD pixels[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
  return picture.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
}

struct Snippet {
  std::string name;
  std::string text;  // as typed
  std::string title;
  int dosbox = 0;
};

class QuilletSendTest : public QuilletFixture {
 protected:
  // The library, with one ignored title so that the start writes nothing into it.
  void WriteLibrary(const std::vector<Snippet>& snippets, bool cascading = false) {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    std::vector<std::pair<int, SnippetEntry>> numbered;
    for (const Snippet& s : snippets) {
      numbered.push_back({static_cast<int>(numbered.size()) + 1,
                          {s.name, EscapeStoredText(s.text), s.title, 0, s.dosbox}});
    }
    ASSERT_TRUE(entries.WriteEntries(numbered, data_file));
    ASSERT_TRUE(ini.WriteIniValue("Ignore", "1", "x", data_file));
    if (cascading) {
      ASSERT_TRUE(ini.WriteIniValue("Common", "PumMode", "1", data_file));
    }
  }
  // Starts with the strip at edge `pos`, opening the menu on a press when `by_click` is "1".
  void StartWithStrip(const char* pos, const char* by_click) {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    ASSERT_TRUE(ini.WriteIniValues({{"Common", "PumActViaBorder", "1"},
                                    {"Common", "PumActPos", pos},
                                    {"Common", "PumActBorderByClick", by_click}},
                                   data_file));
    Start();
    ASSERT_NE(Strip(), nullptr) << "no strip";
  }
  // Chooses the `n`th item (from 1) of the flat snippet menu.
  void Send(int n) {
    HWND menu = OpenSnippetMenu(main);
    ASSERT_NE(menu, nullptr) << "no snippet menu";
    for (int i = 0; i < n; ++i) Key(menu, VK_DOWN);
    Key(menu, VK_RETURN);
    ASSERT_TRUE(WaitGone(menu));
  }
  // The text of Quillet's next message box, which is then closed with OK.
  std::string Message() {
    HWND box = WaitForMessageBox(quillet.pid());
    if (!box) return "(no message)";
    const std::string text = MessageBoxText(box);
    Click(box, IDOK);
    WaitGone(box);
    return text;
  }
  bool NoMessageFor(DWORD ms) { return WaitForMessageBox(quillet.pid(), ms) == nullptr; }

  TargetWindows targets;
};

// An entry's target title picks its window among all the visible ones, whatever is in front,
// and never a hidden one.
TEST_F(QuilletSendTest, TypesIntoTheOnlyVisibleWindowWithTheTitleOrSaysThereIsNone) {
  WriteLibrary({{"Alpha", "alpha", "testziel alpha"},
                {"Nirgends", "nirgends", "Testziel Omega"},
                {"Versteckt", "versteckt", "Testziel Versteckt"}});
  HWND alpha = targets.Create(L"Testziel Alpha");
  HWND hidden_alpha = targets.Create(L"Testziel Alpha (verborgen)", Hidden());
  HWND hidden = targets.Create(L"Testziel Versteckt", Hidden());
  HWND front = targets.Create(L"Anderes Fenster");
  ASSERT_TRUE(targets.Activate(front));
  Start();

  // One visible match, a hidden one beside it: typed without a question.
  Send(1);
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(alpha) == L"alpha"; }))
      << WideToUtf8(targets.Typed(alpha));
  EXPECT_TRUE(NoMessageFor(500));
  EXPECT_EQ(WaitForProcessWindow(
                quillet.pid(), [](HWND w) { return ClassOf(w) == kChoiceDialogClass; }, 0),
            nullptr);

  // No window with the title at all, and only a hidden one.
  for (int entry : {2, 3}) {
    SCOPED_TRACE(entry);
    Send(entry);
    EXPECT_EQ(Message(), kNoTarget);
  }
  for (HWND w : {hidden_alpha, hidden, front}) EXPECT_EQ(targets.Typed(w), L"");
  EXPECT_EQ(targets.Typed(alpha), L"alpha");
}

// An input box of Quillet in front is never the target: a snippet chosen meanwhile goes into
// the window below it, and the box keeps what it holds.
TEST_F(QuilletSendTest, TypesIntoTheWindowBelowAnInputBoxOfQuillet) {
  WriteLibrary({{"Gruss", "hallo", ""}});
  HWND below = targets.Create(L"Testziel Unten");
  ASSERT_TRUE(targets.Activate(below));
  Start();
  PostMessageW(main, 1024, 0, WM_RBUTTONDOWN);  // the main window
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  PostMessageW(GetDlgItem(main, CommandId(QuilletCommand::kNewEntry)), BM_CLICK, 0, 0);  // "&Neu"
  HWND box = WaitForProcessWindow(
      quillet.pid(), [](HWND w) { return ClassOf(w) == kInputBoxClass; });
  ASSERT_NE(box, nullptr) << "no input box";
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));

  Send(1);
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(below) == L"hallo"; }))
      << WideToUtf8(targets.Typed(below));
  EXPECT_TRUE(NoMessageFor(300));
  EXPECT_EQ(Text(GetDlgItem(box, kInputBoxEdit)), "");
  Click(box, IDCANCEL);
  EXPECT_TRUE(WaitGone(box));
}

// Several windows with the title: the user chooses from their sorted titles, and the snippet
// goes into the chosen one only; "&Abbruch" sends nothing.
TEST_F(QuilletSendTest, SeveralMatchingWindowsAreOfferedForChoice) {
  WriteLibrary({{"Gruss", "Hallo", "Testziel"}});
  // Front to back: Beta, Alpha, Gamma.
  HWND gamma = targets.Create(L"Testziel Gamma");
  HWND alpha = targets.Create(L"Testziel Alpha");
  HWND beta = targets.Create(L"Testziel Beta");
  ASSERT_TRUE(targets.Activate(beta));
  Start();

  const struct {
    int button;
    const wchar_t* beta_text;
  } answers[] = {{IDOK, L"Hallo"}, {IDCANCEL, L"Hallo"}};
  for (const auto& answer : answers) {
    SCOPED_TRACE(answer.button);
    Send(1);
    HWND choice = WaitForProcessWindow(
        quillet.pid(), [](HWND w) { return ClassOf(w) == kChoiceDialogClass; });
    ASSERT_NE(choice, nullptr) << "no choice";
    HWND list = GetDlgItem(choice, kChoiceList);
    std::vector<std::string> items;
    for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[128] = {};
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(WideToUtf8(text));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Testziel Alpha", "Testziel Beta",
                                               "Testziel Gamma"}));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    Click(choice, answer.button);
    ASSERT_TRUE(WaitGone(choice));
    EXPECT_TRUE(WaitUntil([&] { return targets.Typed(beta) == answer.beta_text; }))
        << WideToUtf8(targets.Typed(beta));
    EXPECT_TRUE(NoMessageFor(500));
    EXPECT_EQ(targets.Typed(beta), answer.beta_text);
    EXPECT_EQ(targets.Typed(alpha), L"");
    EXPECT_EQ(targets.Typed(gamma), L"");
  }
}

// The target closes while the menu is open: nothing is typed, into it or into whatever comes
// to the front instead, and the user is told. Without a target title the target is the window
// used last; with one, the title search finds nothing.
TEST_F(QuilletSendTest, NothingIsTypedWhenTheTargetClosesWhileTheMenuIsOpen) {
  WriteLibrary({{"Letztes", "zuletzt", ""}, {"Titel", "titel", "Testziel Alpha"}});
  HWND other = targets.Create(L"Anderes Fenster");
  Start();

  const char* const messages[] = {
      "Das Zielfenster ist nicht mehr ge\xC3\xB6" "ffnet.\r\nEs wurde nichts \xC3\xBC"
      "bertragen.",
      kNoTarget};
  for (int entry : {1, 2}) {
    SCOPED_TRACE(entry);
    HWND target = targets.Create(L"Testziel Alpha");
    ASSERT_TRUE(targets.Activate(target));
    HWND menu = OpenSnippetMenu(main);
    ASSERT_NE(menu, nullptr) << "no snippet menu";
    targets.Close(target);
    ASSERT_FALSE(IsWindow(target));
    for (int i = 0; i < entry; ++i) Key(menu, VK_DOWN);
    Key(menu, VK_RETURN);
    EXPECT_EQ(Message(), messages[entry - 1]);
    EXPECT_EQ(targets.Typed(other), L"");
  }
}

// Another window coming to the front stops typing at once: the user learns how much was typed,
// the target has no more than that, and the other window nothing. (Without waiting for the
// target to take each batch, every key was sent long before the switch and then lost, and
// the send counted as complete.)
TEST_F(QuilletSendTest, TypingStopsWhenAnotherWindowComesToTheFront) {
  std::string text;
  for (int i = 0; text.size() < 300; ++i) text += static_cast<char>('a' + i % 26);
  WriteLibrary({{"Lang", text, "Testziel Langsam"}});
  // A slow target, so that the switch falls well inside the text.
  HWND slow = targets.Create(L"Testziel Langsam", Slow(10));
  TargetWindows elsewhere;  // a thread of its own, as another application would have
  HWND other = elsewhere.Create(L"Anderes Fenster");
  Start();

  Send(1);
  ASSERT_TRUE(WaitUntil([&] { return targets.Typed(slow).size() >= 20; }));
  ASSERT_TRUE(elsewhere.Activate(other));
  const std::string message = Message();
  const std::string head =
      "Die \xC3\x9C" "bertragung wurde abgebrochen, weil ein anderes Fenster in den "
      "Vordergrund kam.\r\nBis dahin wurden ";
  ASSERT_EQ(message.substr(0, head.size()), head) << message;
  const std::size_t typed = std::stoul(message.substr(head.size()));
  EXPECT_EQ(message.substr(head.size()),
            std::to_string(typed) + " von 300 Zeichen \xC3\xBC" "bertragen.");
  EXPECT_GE(typed, 20u);
  EXPECT_LT(typed, 300u);
  // Keys still queued for the target when it lost the front may be dropped by the system.
  Sleep(500);
  const std::string arrived = WideToUtf8(targets.Typed(slow));
  EXPECT_LE(arrived.size(), typed);
  EXPECT_EQ(arrived, text.substr(0, arrived.size()));
  EXPECT_EQ(elsewhere.Typed(other), L"");
}

// DOS-box mode into a console (a rule makes the test's window one): the target gets Alt+Space,
// B, E, which paste through a console's system menu, and takes the text from the clipboard,
// each line break as CR LF; none of it is typed. Then the clipboard holds again what the user
// copied last, a format of the user's program included.
TEST_F(QuilletSendTest, DosBoxModePastesThroughTheSystemMenu) {
  WriteLibrary({{"Dos", "dir\tc:\rcls", "Testziel Konsole", 1}});
  ASSERT_TRUE(IniStore(*MakeOsFileSystem(), *MakeOsAnsiCodePage())
                  .WriteIniValue("Regeln", "1", "QmTestTargetFrame;Konsole", data_file));
  TargetWindows::Options pastes = WithoutEdit();
  pastes.pastes = true;
  HWND console = targets.Create(L"Testziel Konsole", pastes);
  CopyTextAndOwnFormat(L"vorher kopiert", std::string("eigen\0es", 8));
  Start();

  Send(1);
  EXPECT_TRUE(WaitUntil([&] { return targets.Pasted(console) == L"dir\tc:\r\ncls"; }))
      << WideToUtf8(targets.Pasted(console));
  EXPECT_TRUE(WaitUntil([] {
    return ClipboardTextAndOwnFormat() ==
           std::make_pair(std::wstring(L"vorher kopiert"), std::string("eigen\0es", 8));
  })) << WideToUtf8(ClipboardTextAndOwnFormat().first);
  EXPECT_TRUE(NoMessageFor(300));
  bool key_menu = false;
  std::wstring keys, chars;
  for (const auto& m : targets.Received(console)) {
    if (m.message == WM_SYSCOMMAND && (m.wparam & 0xFFF0) == SC_KEYMENU) {
      key_menu = true;
      EXPECT_EQ(m.lparam, L' ');
      EXPECT_TRUE(keys.empty()) << "keys before Alt+Space";
    }
    if (m.message == WM_KEYDOWN) keys += static_cast<wchar_t>(m.wparam);
    if (m.message == WM_CHAR) chars += static_cast<wchar_t>(m.wparam);
  }
  EXPECT_TRUE(key_menu) << "no Alt+Space";
  // The menu's access keys, pressed without Shift.
  EXPECT_EQ(keys, L"BE");
  EXPECT_EQ(chars, L"be");
}

// The whole text of an edit control of another program.
std::wstring EditText(HWND edit) {
  std::wstring text(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  const LRESULT got =
      SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

// The keys pressed on the whole desktop while it lives, as a low-level hook sees them, on a
// thread of its own that answers the hook at once.
class KeyWatch {
 public:
  KeyWatch() {
    thread_ = std::thread([this] {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue for the quit message
      thread_id_ = GetCurrentThreadId();
      watch_ = this;
      HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &Hook, GetModuleHandleW(nullptr), 0);
      ready_ = true;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      }
      UnhookWindowsHookEx(hook);
    });
    while (!ready_) Sleep(1);
  }
  ~KeyWatch() {
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
    watch_ = nullptr;
  }
  // The keys that went down, each by its virtual key.
  std::vector<DWORD> Pressed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pressed_;
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && (wparam == WM_KEYDOWN || wparam == WM_SYSKEYDOWN) && watch_) {
      std::lock_guard<std::mutex> lock(watch_->mutex_);
      watch_->pressed_.push_back(reinterpret_cast<KBDLLHOOKSTRUCT*>(lparam)->vkCode);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static inline KeyWatch* watch_ = nullptr;
  std::thread thread_;
  std::atomic<DWORD> thread_id_{0};
  std::atomic<bool> ready_{false};
  std::mutex mutex_;
  std::vector<DWORD> pressed_;
};

// Notepad gets a text above the paste threshold, and a short one that its entry has to be
// pasted, whole by Ctrl+V with each Enter as CR LF, and the text, the program's own format and
// the picture the user copied last are back on the clipboard afterwards.
TEST_F(QuilletSendTest, PastesIntoNotepadAndPutsTheClipboardBack) {
  std::string long_text;
  while (long_text.size() < 700) {
    long_text += "Zeile mit \xC3\xBC und\tTab " + std::to_string(long_text.size()) + "\r";
  }
  WriteLibrary({{"Lang", long_text, ""}, {"Zustellung", "kurz\rzwei", ""}});  // in menu order
  ASSERT_TRUE(IniStore(*MakeOsFileSystem(), *MakeOsAnsiCodePage())
                  .WriteIniValue("Zustellung", "2", "Einf\xC3\xBCgen", data_file));
  Notepad notepad;
  ASSERT_TRUE(notepad.Start()) << "no notepad";
  HWND pad = notepad.window, edit = notepad.edit;
  Start();

  const std::string own("eigen\0es", 8);
  const std::string picture = SmallPicture();
  const std::pair<std::wstring, std::string> copied{L"vorher kopiert", own};
  const std::wstring texts[] = {Utf8ToWide(ToCrLf(long_text)), L"kurz\r\nzwei"};
  for (int entry : {1, 2}) {
    SCOPED_TRACE(entry);
    CopyTextAndOwnFormat(copied.first, own, picture);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SetForegroundWindow(pad);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == pad; }));
    HWND menu = OpenSnippetMenu(main);
    ASSERT_NE(menu, nullptr) << "no snippet menu";
    for (int i = 0; i < entry; ++i) Key(menu, VK_DOWN);
    KeyWatch watch;  // the keys that go out once the menu has closed
    Key(menu, VK_RETURN);
    const std::wstring& expected = texts[entry - 1];
    EXPECT_TRUE(WaitUntil([&] { return EditText(edit) == expected; }))
        << WideToUtf8(EditText(edit));
    EXPECT_TRUE(WaitUntil([&] { return ClipboardTextAndOwnFormat() == copied; }))
        << WideToUtf8(ClipboardTextAndOwnFormat().first);
    EXPECT_EQ(ClipboardPicture(), picture);
    EXPECT_TRUE(NoMessageFor(300));
    EXPECT_EQ(watch.Pressed(), (std::vector<DWORD>{VK_CONTROL, 'V'})) << "typed, not pasted";
  }
  PostMessageW(pad, WM_CLOSE, 0, 0);
  // Both read back from notepad's edit and logged, without their text.
  const std::string log = SendLog();
  EXPECT_NE(log.find(";Lang;notepad.exe;Notepad;Einf\xC3\xBCgen;"), std::string::npos) << log;
  EXPECT_NE(log.find(";Zustellung;notepad.exe;Notepad;Einf\xC3\xBCgen;9;angekommen\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("Zeile mit"), std::string::npos);
}

// A window that loses a character it was sent: the send is logged "abweichend" and the icon
// tells at once, without a message box that would take the front.
TEST_F(QuilletSendTest, ASendThatArrivesOtherwiseIsLoggedAndTold) {
  WriteLibrary({{"IBAN", "DE89 3704 0044 0532 0130 00", "Testziel"}});
  TargetWindows::Options lossy;
  lossy.loses = L'5';
  HWND target = targets.Create(L"Testziel", lossy);
  Start();
  Send(1);
  EXPECT_TRUE(WaitUntil([&] { return SendLog().find(";IBAN;") != std::string::npos; }));
  EXPECT_NE(SendLog().find(";IBAN;qm_wine_tests.exe;QmTestTargetFrame;Tippen;27;abweichend\r\n"), std::string::npos)
      << SendLog();
  EXPECT_TRUE(NoMessageFor(300));
  EXPECT_EQ(GetForegroundWindow(), target);
}

// A rule in the data file names a terminal's window class: the terminal gets its own paste key,
// Shift+Insert and not Ctrl+V, and takes the text from the clipboard with CR LF line breaks.
TEST_F(QuilletSendTest, ARuleForAWindowClassPastesWithItsKey) {
  WriteLibrary({{"Befehl", "echo eins\recho zwei", "Testziel Terminal"}});
  ASSERT_TRUE(IniStore(*MakeOsFileSystem(), *MakeOsAnsiCodePage())
                  .WriteIniValue("Regeln", "1", "QmTestTerminal;Einf\xC3\xBCgen Umschalt+Einfg",
                                 data_file));
  TargetWindows::Options terminal = WithoutEdit();
  terminal.pastes_on_shift_insert = true;
  terminal.window_class = L"QmTestTerminal";
  HWND window = targets.Create(L"Testziel Terminal", terminal);
  CopyTextAndOwnFormat(L"vorher kopiert", std::string("eigen\0es", 8));
  Start();

  Send(1);
  EXPECT_TRUE(WaitUntil([&] { return targets.Pasted(window) == L"echo eins\r\necho zwei"; }))
      << WideToUtf8(targets.Pasted(window));
  EXPECT_TRUE(WaitUntil([] {
    return ClipboardTextAndOwnFormat() ==
           std::make_pair(std::wstring(L"vorher kopiert"), std::string("eigen\0es", 8));
  })) << WideToUtf8(ClipboardTextAndOwnFormat().first);
  EXPECT_TRUE(NoMessageFor(300));
  std::vector<WPARAM> keys;
  for (const auto& m : targets.Received(window)) {
    if (m.message == WM_KEYDOWN) keys.push_back(m.wparam);
    EXPECT_NE(m.message, WM_CHAR) << "typed, not pasted: " << m.wparam;
  }
  EXPECT_EQ(keys, (std::vector<WPARAM>{VK_SHIFT, VK_INSERT}));
}

// The cascading menu groups the entries by their first letter; an entry is sent from its group.
TEST_F(QuilletSendTest, TheCascadingMenuSendsFromALetterGroup) {
  // Flat, the same keys would choose "Avocado".
  WriteLibrary({{"Birne", "birne", "Testziel"},
                {"Apfel", "apfel", "Testziel"},
                {"Avocado", "avocado", "Testziel"}},
               true);
  HWND target = targets.Create(L"Testziel");
  Start();

  HWND menu = OpenSnippetMenu(main);
  ASSERT_NE(menu, nullptr) << "no snippet menu";
  Key(menu, VK_DOWN);  // "&A"
  Key(menu, VK_DOWN);  // "&B"
  Key(menu, VK_RIGHT);
  EXPECT_TRUE(WaitUntil([] { return OpenMenus() == 2; })) << "no letter group opened";
  Key(menu, VK_RETURN);  // its first entry, "Birne"
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(target) == L"birne"; }))
      << WideToUtf8(targets.Typed(target));
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// Placeholders are filled in before typing: today's date in the user's format, and a file
// beside the library, in UTF-8, named relatively; a missing file gives its notice, and so
// does one that another program holds open. Unix line ends type Enter as well.
TEST_F(QuilletSendTest, PlaceholdersArriveExpanded) {
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"gruss.txt"),
                           "Gr\xC3\xBC\xC3\x9F" "e aus \xE2\x82\xAC-Land\r\nZeile 2"));
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"unix.txt"), "a\nb\n"));
  ASSERT_TRUE(WriteRawFile(folder.WFile(L"offen.txt"), "geheim"));
  HANDLE held = CreateFileW(folder.WFile(L"offen.txt").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  WriteLibrary({{"Platz",
                 "%JAHR%|%datei=gruss.txt%|%datei=fehlt.txt%|%datum%|%datei=unix.txt%|"
                 "%datei=offen.txt%",
                 "Testziel Platz"}});
  HWND target = targets.Create(L"Testziel Platz");
  Start();

  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t date[64] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64, nullptr);
  Send(1);
  // The file's CR LF becomes one Enter; the notice stands between two Enters.
  const std::wstring expected =
      std::to_wstring(now.wYear) + L"|Gr\u00FC\u00DFe aus \u20AC-Land\r\nZeile 2|\r\n" +
      L"*** Quillet: Konnte Datei 'fehlt.txt' nicht finden! ***\r\n|" + date +
      L"|a\r\nb\r\n|\r\n*** Quillet: Konnte Datei 'offen.txt' nicht lesen! ***\r\n";
  EXPECT_TRUE(WaitUntil([&] { return targets.Typed(target) == expected; }))
      << WideToUtf8(targets.Typed(target));
  EXPECT_TRUE(NoMessageFor(300));
  CloseHandle(held);
}

// The mouse, placed absolutely (0 to 65535 across the screen), with the buttons in `flags`.
void Mouse(DWORD flags, LONG x, LONG y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x;
  in.mi.dy = y;
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
}
const LONG kMiddle = 65535 / 2;

// The strip at the top edge opens the snippet menu when the mouse comes to the edge.
TEST_F(QuilletSendTest, TheStripOpensTheMenuAtTheScreenEdge) {
  WriteLibrary({{"Rand", "rand", "Testziel Rand"}});
  StartWithStrip("0", "0");
  Mouse(0, kMiddle, 0);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "the strip opened no menu";
  Key(menu, VK_ESCAPE);
  WaitGone(menu);
  Mouse(0, kMiddle, kMiddle);  // away from the edge, for the tests that follow
}

// In click mode the strip at the left edge waits for a press: the left button opens the menu,
// the right one shows and hides the main window, and merely reaching the edge does nothing.
TEST_F(QuilletSendTest, TheStripInClickModeOpensTheMenuOnlyOnAPress) {
  WriteLibrary({{"Klick", "klick", "Testziel Klick"}});
  StartWithStrip("2", "1");
  Mouse(0, 0, kMiddle);
  EXPECT_EQ(WaitForMenu(700), nullptr) << "the strip opened the menu without a press";

  Mouse(MOUSEEVENTF_LEFTDOWN, 0, kMiddle);
  Mouse(MOUSEEVENTF_LEFTUP, 0, kMiddle);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "a left press on the strip opened no menu";
  Key(menu, VK_ESCAPE);
  ASSERT_TRUE(WaitGone(menu));

  EXPECT_FALSE(IsWindowVisible(main));
  Mouse(MOUSEEVENTF_RIGHTDOWN, 0, kMiddle);
  Mouse(MOUSEEVENTF_RIGHTUP, 0, kMiddle);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  Mouse(MOUSEEVENTF_RIGHTDOWN, 0, kMiddle);
  Mouse(MOUSEEVENTF_RIGHTUP, 0, kMiddle);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
  Mouse(0, kMiddle, kMiddle);  // away from the edge, for the tests that follow
}

// A target that does not come to the front (its program has stopped responding) gets nothing,
// neither then nor when it wakes up, and the user learns why.
TEST_F(QuilletSendTest, ATargetThatDoesNotComeToTheFrontGetsNothing) {
  WriteLibrary({{"Passwort", "geheim", "Testziel Steht"}});
  TargetWindows frozen;  // a thread of its own, so that the other targets stay alive
  HWND target = frozen.Create(L"Testziel Steht");
  HWND other = targets.Create(L"Testziel Anderes");
  ASSERT_TRUE(targets.Activate(other));
  Start();

  frozen.Freeze(4000);
  Send(1);
  const std::string message = Message();
  EXPECT_NE(message.find("Testziel Steht"), std::string::npos) << message;
  EXPECT_NE(message.find("nicht in den Vordergrund"), std::string::npos) << message;
  EXPECT_TRUE(WaitUntil([&] { return frozen.Typed(target).empty(); }));  // after the thaw
  EXPECT_EQ(frozen.Typed(target), L"");
  EXPECT_EQ(targets.Typed(other), L"");
}

// Esc stops typing at once, and the user learns how much was typed.
TEST_F(QuilletSendTest, EscStopsTyping) {
  std::string text;
  for (int i = 0; text.size() < 300; ++i) text += static_cast<char>('a' + i % 26);
  WriteLibrary({{"Lang", text, "Testziel Esc"}});
  HWND slow = targets.Create(L"Testziel Esc", Slow(10));
  Start();

  Send(1);
  ASSERT_TRUE(WaitUntil([&] { return targets.Typed(slow).size() >= 20; }));
  INPUT esc[2] = {};
  esc[0].type = esc[1].type = INPUT_KEYBOARD;
  esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
  esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, esc, sizeof(INPUT));
  const std::string message = Message();
  const std::string head =
      "Die \xC3\x9C" "bertragung wurde mit Esc abgebrochen.\r\nBis dahin wurden ";
  ASSERT_EQ(message.substr(0, head.size()), head) << message;
  const std::size_t typed = std::stoul(message.substr(head.size()));
  EXPECT_LT(typed, 300u);
  Sleep(500);
  EXPECT_LT(targets.Typed(slow).size(), 300u);
}

// Key delivery: every character the window's keyboard layout has arrives as that layout's
// keys, never as a Unicode key event (VK_PACKET), and the whole text arrives.
TEST_F(QuilletSendTest, KeyDeliveryTypesWithTheKeysOfTheTargetsLayout) {
  const std::wstring text = L"Hallo Welt, 42 Mal!\r(2) a+b=c; \"x\" #7/8 ~%";
  WriteLibrary({{"Tasten", WideToUtf8(text), "Testziel Tasten"}});
  ASSERT_TRUE(IniStore(*MakeOsFileSystem(), *MakeOsAnsiCodePage())
                  .WriteIniValue("Zustellung", "1", "Tasten", data_file));
  HWND target = targets.Create(L"Testziel Tasten", WithoutEdit());
  Start();

  Send(1);
  std::wstring chars;
  EXPECT_TRUE(WaitUntil([&] {
    chars.clear();
    for (const auto& m : targets.Received(target)) {
      if (m.message == WM_CHAR) chars += static_cast<wchar_t>(m.wparam);
    }
    return chars == text;
  })) << WideToUtf8(chars);
  EXPECT_TRUE(NoMessageFor(300));
  // The characters that came as Unicode key events: the one after each VK_PACKET.
  std::wstring unicode;
  bool packet = false;
  for (const auto& m : targets.Received(target)) {
    if (m.message == WM_KEYDOWN) packet = m.wparam == VK_PACKET;
    if (m.message == WM_CHAR && packet) unicode += static_cast<wchar_t>(m.wparam);
  }
  // Only those the layout has no key for (Wine's US layout names none for "(" and ")").
  const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(target, nullptr));
  std::wstring lacking;
  for (const wchar_t c : text) {
    if (c != L'\r' && VkKeyScanExW(c, layout) == -1) lacking += c;
  }
  EXPECT_EQ(unicode, lacking) << WideToUtf8(unicode);
  EXPECT_LT(lacking.size(), 3u);
}

}  // namespace
}  // namespace qm
