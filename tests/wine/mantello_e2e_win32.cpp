// Mantello.exe from outside, as a user drives it: start hint, a click on the icon that encodes
// the clipboard, a second start, the autostart item of the tray menu, and "Beenden".
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encoder/html_encoder.h"
#include "platform/registry_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

constexpr DWORD kWaitMs = 20000;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

struct Process {
  PROCESS_INFORMATION info{};
  bool Start(const std::wstring& exe) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &info) != 0;
  }
  // Exit code, or STILL_ACTIVE after the timeout.
  DWORD Wait(DWORD ms) {
    WaitForSingleObject(info.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  ~Process() {
    if (info.hProcess) {
      if (Wait(0) == STILL_ACTIVE) TerminateProcess(info.hProcess, 99);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

std::wstring ClassOf(HWND w) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  return name;
}

// The first visible top-level window of `pid` that `match` accepts, waiting for it.
HWND WaitForProcessWindow(DWORD pid, const std::function<bool(HWND)>& match,
                          DWORD timeout = kWaitMs) {
  struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* match;
    HWND found;
  };
  const DWORD start = GetTickCount();
  do {
    Search s{pid, &match, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* search = reinterpret_cast<Search*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == search->pid && IsWindowVisible(w) && (*search->match)(w)) {
            search->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(50);
  } while (GetTickCount() - start < timeout);
  return nullptr;
}

std::string Text(HWND w) {
  wchar_t buffer[1024] = {};
  SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  return WideToUtf8(buffer);
}

// Presses the dialog's button with `id` as a click would.
bool Click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return false;
  PostMessageW(button, BM_CLICK, 0, 0);
  return true;
}

bool WaitGone(HWND w) {
  const DWORD start = GetTickCount();
  while (IsWindow(w) && IsWindowVisible(w)) {
    if (GetTickCount() - start > kWaitMs) return false;
    Sleep(50);
  }
  return true;
}

HWND HintDialog(DWORD pid) {
  return WaitForProcessWindow(pid, [](HWND w) {
    return ClassOf(w) != L"MantelloForm1" && GetDlgItem(w, IDOK) != nullptr &&
           GetDlgItem(w, 1001) != nullptr;
  });
}

HWND FindForm(DWORD pid) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    HWND form = nullptr;
    while ((form = FindWindowExW(nullptr, form, L"MantelloForm1", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(form, &owner);
      if (owner == pid) return form;
    }
    Sleep(50);
  }
  return nullptr;
}

int CountForms() {
  int n = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"MantelloForm1", nullptr)) != nullptr;)
    ++n;
  return n;
}

HWND WaitForMenu() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) return menu;
    Sleep(50);
  }
  return nullptr;
}

void Key(HWND w, UINT vk) {
  PostMessageW(w, WM_KEYDOWN, vk, 0);
  PostMessageW(w, WM_KEYUP, vk, 0xC0000000);
  Sleep(100);
}

std::optional<std::string> RunValue() {
  auto v = ReadUserString(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Mantello");
  if (!v) return std::nullopt;
  return WideToUtf8(*v);
}

TEST(MantelloProgram, EncodesTheClipboardAndRunsItsTrayMenu) {
  // A fresh user: no switched-off hints, no autostart.
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ferrandel Software\\Mantello");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                     L"Mantello");
  const std::wstring exe = ProgramFolder() + L"Mantello.exe";
  ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "Mantello.exe missing";

  Process mantello;
  ASSERT_TRUE(mantello.Start(exe));
  const DWORD pid = mantello.info.dwProcessId;

  HWND hint = HintDialog(pid);
  ASSERT_NE(hint, nullptr) << "no start hint";
  EXPECT_EQ(Text(hint), "Mantello");
  ASSERT_TRUE(Click(hint, IDOK));
  ASSERT_TRUE(WaitGone(hint));
  HWND form = FindForm(pid);
  ASSERT_NE(form, nullptr);
  EXPECT_FALSE(IsWindowVisible(form));

  // Copy, click, paste: the clipboard then holds a script that rebuilds the text.
  const std::string text =
      "<a href=\"mailto:info@example.org\">Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC</a> \\ \"x\"";
  auto clipboard = MakeWin32Clipboard(nullptr);
  ASSERT_TRUE(clipboard->Clear());
  ASSERT_TRUE(clipboard->WriteText(text));
  PostMessageW(form, 1024, 0, WM_LBUTTONDOWN);
  HWND done = HintDialog(pid);
  ASSERT_NE(done, nullptr) << "no hint after encoding";
  const std::string script = clipboard->ReadText().value_or("");
  Click(done, IDOK);
  ASSERT_TRUE(WaitGone(done));
  std::string carried;
  ASSERT_TRUE(DecodeScript(script, carried, nullptr)) << script;
  EXPECT_EQ(CarriedTextToUtf8(carried), CarriedTextToUtf8(ToCarriedText(text)));
  EXPECT_NE(CarriedTextToUtf8(carried).find("&#8364;</a>"), std::string::npos);
  EXPECT_EQ(script.rfind("<script language=\"JavaScript\" type=\"text/javascript\">\r\n", 0), 0u);

  // A second start says so and ends; the first keeps its one window and icon.
  {
    Process second;
    ASSERT_TRUE(second.Start(exe));
    HWND box = WaitForProcessWindow(second.info.dwProcessId,
                                    [](HWND w) { return ClassOf(w) == L"#32770"; });
    ASSERT_NE(box, nullptr) << "no message from the second instance";
    bool says_running = false;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      says_running |= Text(c) == "Mantello wird bereits ausgeführt.";
    }
    EXPECT_TRUE(says_running);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(second.Wait(kWaitMs), STILL_ACTIVE);
    EXPECT_EQ(CountForms(), 1);
  }

  // "&Autostart" writes the Run value, and the menu opens again; a second time removes it.
  for (bool expect_on : {true, false}) {
    if (expect_on) PostMessageW(form, 1024, 0, WM_RBUTTONDOWN);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr) << "no tray menu";
    for (int i = 0; i < 4; ++i) Key(menu, VK_DOWN);  // Kodieren, Hilfe, Info, Autostart
    Key(menu, VK_RETURN);
    const DWORD start = GetTickCount();
    while (RunValue().has_value() != expect_on && GetTickCount() - start < kWaitMs) Sleep(50);
    if (expect_on) {
      EXPECT_EQ(RunValue().value_or(""), WideToUtf8(exe) + " /AUTOSTART");
    } else {
      EXPECT_FALSE(RunValue().has_value());
    }
  }
  // The menu is open once more; "&Beenden" ends the program.
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  Key(menu, 'B');
  EXPECT_EQ(mantello.Wait(kWaitMs), 0u);
  EXPECT_EQ(CountForms(), 0);
}

}  // namespace
}  // namespace qm
