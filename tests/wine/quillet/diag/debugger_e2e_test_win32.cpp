// Quillet.exe's diagnostics, driven from outside: the window-title debugger lists the window
// a snippet would go to and puts a title on the ignore list; debug mode opens the window
// monitor, whose lines and caption follow the windows on the screen; the send log's viewer
// shows a log of 10,000 sends newest first and one result at a time.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "quillet/diag/debugger_window_win32.h"
#include "quillet/diag/window_monitor_win32.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/receipt/send_log_window_win32.h"
#include "store/entries.h"
#include "store/ini_document.h"
#include "tests/wine/support/quillet_driver_win32.h"
#include "tests/wine/support/target_windows_win32.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

// The items of another process's list box.
std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) break;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    items.push_back(WideToUtf8(text));
  }
  return items;
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
  for (const std::string& i : items) {
    if (i == item) return true;
  }
  return false;
}

std::string Hex8(HWND w) {
  char text[32];
  std::snprintf(text, sizeof text, "%08llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w)));
  return text;
}

class QuilletDiagnosticsTest : public QuilletFixture {
 protected:
  void SetUp() override {
    QuilletFixture::SetUp();
    // One entry and one ignored title, so that the start writes nothing.
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    EntryStore entries(ini, *ansi);
    ASSERT_TRUE(entries.WriteEntries({{1, {"Gruss", "hallo", "", 0, 0}}}, data_file));
    ASSERT_TRUE(ini.WriteIniValue("Ignore", "1", "Ausgeblendet", data_file));
  }
  // The title of a debugger line, "'title'  —  program, class: delivery".
  static std::string TitleOf(const std::string& line) {
    const std::size_t end = line.rfind("'  \xE2\x80\x94  ");
    return line.size() > 1 && end != std::string::npos ? line.substr(1, end - 1) : line;
  }
  // Opens the snippet menu with `front` in front, which looks for the last-used window, and
  // closes it again.
  void LookForTheLastUsedWindow(HWND front) {
    ASSERT_TRUE(targets.Activate(front));
    HWND menu = OpenSnippetMenu(main);
    ASSERT_NE(menu, nullptr) << "no snippet menu";
    Key(menu, VK_ESCAPE);
    ASSERT_TRUE(WaitGone(menu));
  }
  HWND WaitForWindowOfClass(const wchar_t* window_class) {
    return WaitForProcessWindow(quillet.pid(), [&](HWND w) { return ClassOf(w) == window_class; });
  }
  std::string IgnoredTitle(const std::string& key) {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    const auto doc = ini.Snapshot(data_file);
    return doc ? doc->Find("Ignore", key).value_or("") : "";
  }

  TargetWindows targets;
};

TEST_F(QuilletDiagnosticsTest, DebuggerListsTheTargetFirstAndIgnoresTheMarkedTitle) {
  HWND other = targets.Create(L"Debugziel Zweites");
  HWND target = targets.Create(L"Debugziel Erstes");
  {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    ASSERT_TRUE(ini.WriteIniValues(
        {{"Regeln", "1", "kaputt"}, {"Regeln", "2", "qmtesttargetframe;tasten"}}, data_file));
  }
  Start();
  // A bad rule of the file is told at the start, and left out.
  HWND told = WaitForMessageBox(quillet.pid());
  ASSERT_NE(told, nullptr) << "the bad rule was not told";
  EXPECT_NE(
      MessageBoxText(told).find("Regel 1 \xE2\x80\x9Ekaputt\xE2\x80\x9C: Es fehlt das Semikolon"),
      std::string::npos)
      << MessageBoxText(told);
  Click(told, IDOK);
  ASSERT_TRUE(WaitGone(told));
  LookForTheLastUsedWindow(target);

  // Opened by the menu item "&Debugger...": the titles of that look, the target first.
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuDebugger), 0);
  HWND debugger = WaitForWindowOfClass(kDebuggerClass);
  ASSERT_NE(debugger, nullptr) << "no debugger";
  EXPECT_EQ(Text(debugger), Text(main) + " - Debugger");
  HWND list = GetDlgItem(debugger, kDebuggerList);
  std::vector<std::string> titles = ListItems(list);
  ASSERT_FALSE(titles.empty());
  // With its program, its class and the delivery the user's rule gives it.
  EXPECT_EQ(titles[0],
            "'Debugziel Erstes'  \xE2\x80\x94  qm_wine_tests.exe, QmTestTargetFrame: Tasten");
  for (std::string& t : titles) t = TitleOf(t);
  EXPECT_TRUE(Contains(titles, "Debugziel Zweites"));

  // Ignore it, saying yes to the question, whose default answer is No.
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(Click(debugger, CommandId(QuilletCommand::kDebuggerIgnore)));
  HWND box = WaitForMessageBox(quillet.pid());
  ASSERT_NE(box, nullptr) << "no question";
  EXPECT_EQ(MessageBoxText(box),
            "Soll der Fenstertitel 'Debugziel Erstes'\r\nin Zukunft wirklich immer ignoriert "
            "werden?");
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON);
  Click(box, IDYES);
  ASSERT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitUntil([&] { return IgnoredTitle("2") == "Debugziel Erstes"; }))
      << IgnoredTitle("2");
  EXPECT_EQ(IgnoredTitle("1"), "Ausgeblendet");

  // The open debugger follows the next look, in which the title is ignored.
  LookForTheLastUsedWindow(target);
  EXPECT_TRUE(WaitUntil([&] {
    titles = ListItems(list);
    for (std::string& t : titles) t = TitleOf(t);
    return !titles.empty() && titles[0] == "Debugziel Zweites";
  }));
  EXPECT_FALSE(Contains(titles, "Debugziel Erstes"));

  // Its close button closes it; the button "Debu&g" opens it again with the same titles.
  ASSERT_TRUE(Click(debugger, CommandId(QuilletCommand::kDebuggerClose)));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(debugger); }));
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(CommandId(QuilletCommand::kDebugger), BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, CommandId(QuilletCommand::kDebugger))));
  debugger = WaitForWindowOfClass(kDebuggerClass);
  ASSERT_NE(debugger, nullptr) << "no debugger from the button";
  titles = ListItems(GetDlgItem(debugger, kDebuggerList));
  ASSERT_FALSE(titles.empty());
  EXPECT_EQ(TitleOf(titles[0]), "Debugziel Zweites");
  static_cast<void>(other);
}

TEST_F(QuilletDiagnosticsTest, DebugModeOpensTheMonitorWhichFollowsTheWindows) {
  Start(L"debug");
  HWND monitor = WaitForWindowOfClass(kMonitorClass);
  ASSERT_NE(monitor, nullptr) << "no monitor in debug mode";
  HWND list = GetDlgItem(monitor, kMonitorList);
  EXPECT_EQ(IsDlgButtonChecked(monitor, CommandId(QuilletCommand::kMonitorVisibleOnly)),
            BST_CHECKED);

  // From the main window upwards, numbered below the date line.
  const std::string main_line = "001 " + Hex8(main) + " V '" + Text(main) + "'";
  std::vector<std::string> lines;
  EXPECT_TRUE(WaitUntil([&] {
    lines = ListItems(list);
    return lines.size() >= 2 && lines[1] == main_line;
  })) << (lines.size() >= 2 ? lines[1] : "(no lines)");

  // A new window in front appears in the list, and its title becomes the caption.
  HWND beta = targets.Create(L"Monitorziel Beta");
  ASSERT_TRUE(targets.Activate(beta));
  const std::string beta_tail = Hex8(beta) + " V 'Monitorziel Beta'";
  auto listed = [&](const std::string& tail) {
    lines = ListItems(list);
    for (const std::string& l : lines) {
      if (l.size() > tail.size() && l.compare(l.size() - tail.size(), tail.size(), tail) == 0) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(WaitUntil([&] { return listed(beta_tail); }));
  EXPECT_TRUE(WaitUntil([&] { return Text(monitor) == "Monitorziel Beta"; })) << Text(monitor);

  // A hidden one shows only with "visible only" cleared, marked "X".
  HWND hidden = targets.Create(L"Monitorziel versteckt", [] {
    TargetWindows::Options o;
    o.visible = false;
    return o;
  }());
  const std::string hidden_tail = Hex8(hidden) + " X 'Monitorziel versteckt'";
  Sleep(1200);
  EXPECT_FALSE(listed(hidden_tail));
  ASSERT_TRUE(Click(monitor, CommandId(QuilletCommand::kMonitorVisibleOnly)));
  EXPECT_TRUE(WaitUntil([&] { return listed(hidden_tail); }));

  // The main window in front is passed over: the caption stays with the window behind it.
  SetForegroundWindow(main);
  Sleep(1200);
  EXPECT_EQ(Text(monitor), "Monitorziel Beta");

  // A window that closes leaves the list.
  targets.Close(beta);
  EXPECT_TRUE(WaitUntil([&] { return !listed(beta_tail); }));
}

// A list view item's text in another process: the item and its buffer must lie in that
// process's memory, which the system does not carry across for list views.
std::string RemoteItemText(HANDLE process, HWND list, int row, int column) {
  constexpr std::size_t kChars = 256;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return "(no memory)";
  auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = kChars;
  WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                      reinterpret_cast<LPARAM>(remote));
  std::wstring got(kChars, L'\0');
  ReadProcessMemory(process, text, got.data(), kChars * sizeof(wchar_t), nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  got.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min<LRESULT>(length, kChars))));
  return WideToUtf8(got);
}

// Selects every row of another process's list view.
void RemoteSelectAll(HANDLE process, HWND list) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  LVITEMW all{};
  all.state = all.stateMask = LVIS_SELECTED;
  WriteProcessMemory(process, remote, &all, sizeof all, nullptr);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "(busy)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = WideToUtf8(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The send log's viewer from "Extras": a full log opens newest first, the filter leaves one
// result, "&Kopieren" puts the selected rows under the column names, and a missing log is an
// empty list with its note, no error.
TEST_F(QuilletDiagnosticsTest, SendLogViewerShowsTheNewestFirstAndFilters) {
  // The log where Quillet looks for it: under LOCALAPPDATA, which it takes from this process.
  const std::wstring local = folder.WFile(L"Local");
  ASSERT_TRUE(CreateDirectoryW(local.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((local + L"\\Quillet").c_str(), nullptr));
  const std::wstring log_file = local + L"\\Quillet\\Versandprotokoll.csv";
  std::string log = "\xEF\xBB\xBFZeit;Eintrag;Programm;Fensterklasse;Weg;Zeichen;Ergebnis\r\n";
  for (int i = 0; i < 10000; ++i) {
    char line[160];
    std::snprintf(line, sizeof line, "2026-12-10 %02d:%02d:%02d;Eintrag %d;notepad.exe;Notepad;"
                  "Tippen;3;%s\r\n", 9 + i / 3600, i / 60 % 60, i % 60, i,
                  i % 4 == 1 ? "abweichend" : "angekommen");
    log += line;
  }
  {
    HANDLE file = CreateFileW(log_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
    CloseHandle(file);
  }
  wchar_t before[MAX_PATH] = {};
  const bool had = GetEnvironmentVariableW(L"LOCALAPPDATA", before, MAX_PATH) > 0;
  SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());
  Start();
  SetEnvironmentVariableW(L"LOCALAPPDATA", had ? before : nullptr);

  const auto asked = std::chrono::steady_clock::now();
  PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuSendLog), 0);
  HWND viewer = WaitForWindowOfClass(kSendLogClass);
  ASSERT_NE(viewer, nullptr) << "no send log";
  HWND list = GetDlgItem(viewer, kSendLogList);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 10000; }));
  std::printf("[ timing ] the viewer showed 10,000 sends %lld ms after the menu command\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - asked)
                                         .count()));
  EXPECT_EQ(Text(viewer), Text(main) + " - Versandprotokoll");
  EXPECT_EQ(RemoteItemText(quillet.info.hProcess, list, 0, 1), "Eintrag 9999");
  EXPECT_EQ(RemoteItemText(quillet.info.hProcess, list, 0, 0), "2026-12-10 11:46:39");
  EXPECT_EQ(Text(GetDlgItem(viewer, kSendLogNote)), "10000 Sendungen");

  // "abweichend": every fourth send, the newest of them first.
  HWND filter = GetDlgItem(viewer, kSendLogFilter);
  SendMessageW(filter, CB_SETCURSEL, 2, 0);
  SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kSendLogFilter, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(filter));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2500);
  EXPECT_EQ(RemoteItemText(quillet.info.hProcess, list, 0, 1), "Eintrag 9997");
  EXPECT_EQ(RemoteItemText(quillet.info.hProcess, list, 0, 6), "abweichend");
  EXPECT_EQ(Text(GetDlgItem(viewer, kSendLogNote)), "2500 von 10000 Sendungen");

  // Nothing selected, nothing to copy; every row selected, all of them under the names.
  HWND copy = GetDlgItem(viewer, CommandId(QuilletCommand::kSendLogCopy));
  EXPECT_FALSE(IsWindowEnabled(copy));
  RemoteSelectAll(quillet.info.hProcess, list);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(copy) != FALSE; }));
  ASSERT_TRUE(Click(viewer, CommandId(QuilletCommand::kSendLogCopy)));
  std::string copied;
  EXPECT_TRUE(WaitUntil([&] { return (copied = ClipboardText()).size() > 100000; }));
  EXPECT_EQ(copied.rfind("Zeit\tEintrag\tProgramm\tFensterklasse\tWeg\tZeichen\tErgebnis\r\n"
                         "2026-12-10 11:46:37\tEintrag 9997\tnotepad.exe\tNotepad\tTippen\t3\t"
                         "abweichend\r\n",
                         0),
            0u)
      << copied.substr(0, 140);
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 2501);

  // The log gone: "&Aktualisieren" shows an empty list and says so.
  ASSERT_TRUE(DeleteFileW(log_file.c_str()));
  ASSERT_TRUE(Click(viewer, CommandId(QuilletCommand::kSendLogRefresh)));
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0; }));
  EXPECT_EQ(Text(GetDlgItem(viewer, kSendLogNote)), "Noch keine Sendungen protokolliert.");
  EXPECT_EQ(WaitForMessageBox(quillet.pid(), 300), nullptr);

  // Esc closes it.
  SetForegroundWindow(viewer);
  SendMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }));
}

}  // namespace
}  // namespace qm
