// Mantello.exe from outside, as a user drives it: start hint, a click on the icon that encodes
// the clipboard, a second start, the autostart item of the tray menu, and "Beenden".
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mantello/html_encoder.h"
#include "platform/registry_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/support/process_driver_win32.h"
#include "ui/controls_context_win32.h"
#include "ui/resource_ids.h"

namespace qm {
namespace {

using namespace test;  // NOLINT: the driver's small helpers read best unqualified

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

// Whether a button made now on this thread comes from the common controls library.
bool ButtonFromCommonControls() {
  HWND button = CreateWindowExW(0, L"BUTTON", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(button, GWLP_WNDPROC)), &module);
  wchar_t file[MAX_PATH] = {};
  GetModuleFileNameW(module, file, MAX_PATH);
  DestroyWindow(button);
  return std::wstring(CharLowerW(file)).find(L"comctl32") != std::wstring::npos;
}

// Mantello's program manifest leaves the newer controls out (under Wine they cost 2.8 MB at
// start); the manifest it turns them on with on Windows names them.
TEST(MantelloProgram, NamesTheNewerControlsOnlyInTheManifestItTurnsThemOnWith) {
  const std::wstring exe = ProgramFolder() + L"Mantello.exe";
  ASSERT_FALSE(ButtonFromCommonControls());
  {
    ControlsContext controls(exe, QM_IDR_COMMON_CONTROLS);
    ASSERT_TRUE(controls.active());
    EXPECT_TRUE(ButtonFromCommonControls());
  }
  EXPECT_FALSE(ButtonFromCommonControls());
  ControlsContext program(exe, 1);
  ASSERT_TRUE(program.active());
  EXPECT_FALSE(ButtonFromCommonControls());
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
