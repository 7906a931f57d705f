// The system's folder browser behind Dialogs::ChooseFolder, opened and answered from another
// thread.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "platform/utf16_win32.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "tests/wine/support/window_driver_win32.h"
#include "ui/dialogs_win32.h"

namespace qm {
namespace {

struct Search {
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window)) {
    reinterpret_cast<Search*>(out)->found = window;
    return FALSE;
  }
  return TRUE;
}

// The browser of `thread`, once it is shown.
HWND WaitForBrowser(DWORD thread) {
  for (int i = 0; i < 500; ++i) {
    Search search;
    EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  }
  return nullptr;
}

BOOL CALLBACK FindTree(HWND child, LPARAM out) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpW(cls, WC_TREEVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(out) = child;
  return FALSE;
}

// The text of the tree's selected item.
std::wstring SelectedItem(HWND browser) {
  HWND tree = nullptr;
  EnumChildWindows(browser, FindTree, reinterpret_cast<LPARAM>(&tree));
  if (!tree) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetSelection(tree);
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !TreeView_GetItem(tree, &item)) return {};
  return text;
}

// The browser may still be filling its tree when it shows; the selection is repeated until the
// folder is the selected item.
void Select(HWND browser, const std::wstring& path) {
  const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
  for (int i = 0; i < 50 && SelectedItem(browser) != name; ++i) {
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    Sleep(100);
  }
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM out) {
  *reinterpret_cast<std::string*>(out) += test::ControlText(child) + "\n";
  return TRUE;
}

// Opens the browser; the other thread notes its texts, selects `select` (when given) and
// presses OK, or else Abbrechen.
std::optional<std::string> Browse(HWND owner, const std::string& prompt, const std::wstring& select,
                                  std::string& texts, bool& shown) {
  const DWORD thread = GetCurrentThreadId();
  std::thread user([&] {
    HWND browser = WaitForBrowser(thread);
    if (!browser) return;
    shown = true;
    EnumChildWindows(browser, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    if (!select.empty()) {
      Select(browser, select);
      PostMessageW(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    } else {
      PostMessageW(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
    }
    for (int i = 0; i < 150 && IsWindow(browser); ++i) Sleep(20);
    if (IsWindow(browser)) PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
  });
  std::optional<std::string> result = MakeWin32Dialogs(owner)->ChooseFolder(prompt);
  user.join();
  return result;
}

TEST(FolderBrowser, ShowsThePromptAndGivesNothingWhenCancelled) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"Besitzer", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
  const std::string prompt = "Bitte wählen Sie den Ordner für die Sicherung:";
  std::string texts;
  bool shown = false;
  EXPECT_EQ(Browse(owner, prompt, L"", texts, shown), std::nullopt);
  ASSERT_TRUE(shown);
  EXPECT_NE(texts.find(prompt + "\n"), std::string::npos) << texts;
  DestroyWindow(owner);
}

TEST(FolderBrowser, GivesTheChosenFolderAsAPath) {
  test::TempFolder dir;
  const std::wstring folder = dir.WFile(L"Ablage \u00e4\u00f6\u00fc");  // äöü
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  wchar_t long_path[MAX_PATH] = {};
  ASSERT_NE(GetLongPathNameW(folder.c_str(), long_path, MAX_PATH), 0u);
  std::string texts;
  bool shown = false;
  const std::optional<std::string> chosen = Browse(nullptr, "Ordner", long_path, texts, shown);
  ASSERT_TRUE(shown);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(CompareStringOrdinal(Utf8ToWide(*chosen).c_str(), -1, long_path, -1, TRUE), CSTR_EQUAL)
      << *chosen;
}

}  // namespace
}  // namespace qm
