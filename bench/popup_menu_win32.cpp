// The snippet menu of 50 to 5,000 entries built from the data file through IniStore against one
// GetPrivateProfileStringW call per name, and Quillet.exe's time from the icon's message to the
// open menu, flat and cascading.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "quillet/main/main_form_win32.h"
#include "quillet/menu/popup_menu.h"
#include "quillet/menu/popup_menu_win32.h"
#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "store/ini_store.h"
#include "bench/bench_support_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr const wchar_t* kSettingsKey = kQuilletSettingsKey;
constexpr DWORD kWaitMs = 30000;
constexpr UINT kIconMessage = 1024;

// ANSI (Windows-1252) bytes; names start with letters of most groups, some with an umlaut or
// a digit, so that the cascading menu has many groups of different sizes.
std::string EntryName(int i, Lcg& rng) {
  static const char* const kinds[] = {"Gru\xDF",
                                      "Adresse",
                                      "Signatur",
                                      "Antwort",
                                      "Termin",
                                      "Rechnung",
                                      "Angebot",
                                      "Notiz",
                                      "Vorlage",
                                      "Absage",
                                      "Einladung",
                                      "Mahnung",
                                      "Bestellung",
                                      "R\xFC"
                                      "ckfrage",
                                      "\xDC"
                                      "bergabe",
                                      "Zusage",
                                      "Kontakt",
                                      "Lieferung",
                                      "Quittung",
                                      "Hinweis",
                                      "2. Mahnung",
                                      "Dank",
                                      "Order",
                                      "Plan",
                                      "Vertrag",
                                      "Inventur",
                                      "Jahresbericht",
                                      "Frage",
                                      "Urlaub",
                                      "Wartung",
                                      "Yoga-Kurs",
                                      "Xylophon",
                                      "\xC4"
                                      "nderung",
                                      "Ordner"};
  static const char* const whom[] = {"M\xFCller", "Schmidt", "Schneider", "Fischer", "Weber",
                                     "Meyer",     "Wagner",  "Becker",    "Schulz",  "Hoffmann",
                                     "K\xF6nig",  "Wei\xDF", "Kr\xE4mer", "Vogel"};
  std::string name = kinds[rng.Next(sizeof kinds / sizeof *kinds)];
  name += rng.Next(3) == 0 ? " an " : " ";
  name += whom[rng.Next(14)];
  name += " " + std::to_string(i);
  return name;
}

std::string Library(int n, int pum_mode) {
  Lcg rng;
  std::string s = "; Bibliothek zum Messen des Men\xFCs\r\n[Name]\r\n";
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=" + EntryName(i, rng) + "\r\n";
  s += "[Title]\r\n";
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=\r\n";
  s += "[Text]\r\n";
  for (int i = 1; i <= n; ++i) {
    s += std::to_string(i) +
         "=Sehr geehrte Damen und Herren,\\Nvielen Dank f\xFCr Ihre Nachricht Nr. " +
         std::to_string(i) +
         ".\\NMit freundlichen Gr\xFC\xDF"
         "en\r\n";
  }
  s += "[Crypt]\r\n";
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=0\r\n";
  s += "[DosBox]\r\n";
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=0\r\n";
  s += "[Ignore]\r\n1=Programm 1\r\n";
  s += "[Common]\r\nPumActViaBorder=0\r\nPumActPos=0\r\nPumActBorderByClick=0\r\n"
       "PumActBorderCol=-2147483633\r\nPumMode=" +
       std::to_string(pum_mode) + "\r\n";
  return s;
}

// Ours: one look at the file through a fresh store, the tree, then the menu. `tree_ms` gets the
// part before the menu.
HMENU BuildOurs(const std::string& path, bool cascading, qm::PopupMenu* tree, double* tree_ms) {
  const double t = Seconds();
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  *tree = qm::BuildPopupMenu(ini, path, cascading);
  *tree_ms = (Seconds() - t) * 1e3;
  std::vector<std::string> tags;
  return qm::CreateSnippetMenu(*tree, tags);
}

// The baseline: one GetPrivateProfileStringW call per name up to the first empty one, then
// the same tree and the same menu.
HMENU BuildPlatform(const std::wstring& path, bool cascading, qm::PopupMenu* tree) {
  std::vector<std::string> names;
  std::vector<wchar_t> buf(4096);
  for (int i = 1;; ++i) {
    const std::wstring key = std::to_wstring(i);
    const DWORD len = GetPrivateProfileStringW(L"Name", key.c_str(), L"", buf.data(),
                                               static_cast<DWORD>(buf.size()), path.c_str());
    if (len == 0) break;
    names.push_back(qm::WideToUtf8(std::wstring_view(buf.data(), len)));
  }
  *tree = qm::BuildPopupMenu(std::move(names), cascading);
  std::vector<std::string> tags;
  return qm::CreateSnippetMenu(*tree, tags);
}

bool SameTree(const qm::PopupMenu& a, const qm::PopupMenu& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].caption != b[i].caption || a[i].tag != b[i].tag ||
        a[i].is_default != b[i].is_default || !SameTree(a[i].children, b[i].children)) {
      return false;
    }
  }
  return true;
}

int CountItems(HMENU menu) {
  int n = 0;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(menu, i);
    n += sub ? CountItems(sub) : 1;
  }
  return n;
}

struct BuildRow {
  int entries = 0;
  bool cascading = false;
  double ours_ms = 0, platform_ms = 0, tree_ms = 0;
  int items = 0;
  bool same = false;
};

// --- Quillet.exe from outside -------------------------------------------------------------

struct FindWindowOf {
  DWORD pid;
  const wchar_t* cls;
  bool visible_only;
  HWND found;
};

HWND WindowOf(DWORD pid, const wchar_t* cls, bool visible_only) {
  FindWindowOf search{pid, cls, visible_only, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<FindWindowOf*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t name[64] = {};
        if (owner == s->pid && GetClassNameW(w, name, 64) && lstrcmpW(name, s->cls) == 0 &&
            (!s->visible_only || IsWindowVisible(w))) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The open menu: a visible menu window of the program. FindWindowW alone would also find the
// hidden one that the system keeps for menus.
HWND OpenMenuOf(DWORD pid) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// Starts a copy of Quillet.exe on the library, opens and closes its menu `times` times
// through the icon's message and returns the times to the open menu; empty on failure.
std::vector<double> TimeMenuOpens(const std::wstring& folder, int entries, int times,
                                  std::string* error) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  const std::wstring exe = folder + L"\\Quillet.exe";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi)) {
    *error = "CreateProcessW failed";
    return {};
  }
  std::vector<double> result;
  HWND main = nullptr;
  const double start = Seconds();
  // Started: the hidden main window has its caption and the program waits for input.
  for (;;) {
    if (!main) main = WindowOf(pi.dwProcessId, qm::kMainFormClass, false);
    if (main) {
      wchar_t caption[256] = {};
      GetWindowTextW(main, caption, 256);
      if (caption[0] && lstrcmpW(caption, L"Quillet") != 0) break;
    }
    if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0 ||
        Seconds() - start > kWaitMs / 1000.0) {
      *error = "Quillet.exe did not start (another one running?)";
      break;
    }
  }
  if (error->empty()) WaitForInputIdle(pi.hProcess, kWaitMs);
  if (error->empty() && WindowOf(pi.dwProcessId, L"#32770", true)) {
    *error = "Quillet.exe shows a message instead of using the library";
  }
  if (error->empty()) {
    // The intended library was read: its entries are in the main window's list.
    DWORD_PTR count = 0;
    SendMessageTimeoutW(GetDlgItem(main, qm::kIdList), LB_GETCOUNT, 0, 0, SMTO_BLOCK, 10000,
                        &count);
    if (static_cast<int>(count) != entries) {
      *error = "Quillet.exe lists " + std::to_string(count) + " entries instead of " +
               std::to_string(entries);
    }
  }
  for (int i = 0; i < times && error->empty(); ++i) {
    const double t0 = Seconds();
    PostMessageW(main, kIconMessage, 0, WM_LBUTTONDOWN);
    HWND menu = nullptr;
    while (!(menu = OpenMenuOf(pi.dwProcessId))) {
      if (Seconds() - t0 > kWaitMs / 1000.0) {
        *error = "no menu opened";
        break;
      }
      Sleep(1);
    }
    if (!menu) break;
    result.push_back((Seconds() - t0) * 1e3);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0xC0000000);
    const double t1 = Seconds();
    while (OpenMenuOf(pi.dwProcessId)) {
      if (Seconds() - t1 > kWaitMs / 1000.0) {
        *error = "the menu did not close on Escape";
        break;
      }
      Sleep(5);
    }
    // The program is done with the click before the next one.
    WaitForInputIdle(pi.hProcess, kWaitMs);
    Sleep(100);
  }
  if (main) PostMessageW(main, WM_COMMAND, CommandId(qm::QuilletCommand::kMenuQuit), 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!error->empty()) return {};
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int sizes[] = {50, 500, 5000};

  wchar_t tmp_root[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp_root);
  const std::wstring base =
      std::wstring(tmp_root) + L"qm-menu-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(base.c_str(), nullptr);
  int exit_code = 0;

  // In-process: the menu built, ours against the platform's reads, alternating.
  std::vector<BuildRow> rows;
  for (int n : sizes) {
    for (int layout = 0; layout < 2; ++layout) {
      const std::wstring wpath =
          base + L"\\lib" + std::to_wstring(n) + L"-" + std::to_wstring(layout) + L".ini";
      const std::string path = qm::WideToUtf8(wpath);
      if (!WriteDatedFile(wpath, Library(n, layout))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
      BuildRow row;
      row.entries = n;
      row.cascading = layout == 1;
      std::vector<double> ours, platform, tree;
      qm::PopupMenu ours_tree, platform_tree;
      // A warm-up of each (the file cache, the platform's profile cache), then alternating.
      for (int run = -1; run < runs; ++run) {
        double t = Seconds();
        double tree_ms = 0;
        HMENU a = BuildOurs(path, row.cascading, &ours_tree, &tree_ms);
        const double ours_ms = (Seconds() - t) * 1e3;
        t = Seconds();
        HMENU b = BuildPlatform(wpath, row.cascading, &platform_tree);
        const double platform_ms = (Seconds() - t) * 1e3;
        if (run < 0) row.items = a ? CountItems(a) : -1;
        if (a) DestroyMenu(a);
        if (b) DestroyMenu(b);
        if (run < 0) continue;
        ours.push_back(ours_ms);
        tree.push_back(tree_ms);
        platform.push_back(platform_ms);
      }
      row.ours_ms = Median(ours);
      row.platform_ms = Median(platform);
      row.tree_ms = Median(tree);
      // Both must have built the same menu, or the timing compares different work.
      // Every entry, the separator and the three commands.
      row.same = SameTree(ours_tree, platform_tree) && row.items == n + 4;
      if (!row.same) exit_code = 1;
      rows.push_back(row);
      DeleteFileW(wpath.c_str());
    }
  }

  std::printf(
      "Snippet menu built (tree and HMENU) from the data file under Wine, medians of %d\n"
      "alternating runs after a warm-up: ours from a fresh IniStore, the platform one\n"
      "GetPrivateProfileStringW per name\n\n",
      runs);
  std::printf("%8s  %-10s  %8s  %12s  %10s  %8s  %12s\n", "entries", "layout", "items",
              "platform ms", "ours ms", "ratio", "of it tree ms");
  for (const BuildRow& r : rows) {
    std::printf("%8d  %-10s  %8d  %12.2f  %10.2f  %7.1fx  %12.2f%s\n", r.entries,
                r.cascading ? "cascading" : "flat", r.items, r.platform_ms, r.ours_ms,
                r.platform_ms / r.ours_ms, r.tree_ms, r.same ? "" : "  MENUS DIFFER");
  }
  std::printf(
      "(tree: a fresh IniStore reads and parses the file and builds the tree; the rest of\n"
      " ours is the HMENU, the same calls on both sides)\n");
  for (const BuildRow& r : rows) {
    if (r.entries != 5000) continue;
    const double ratio = r.platform_ms / r.ours_ms;
    std::printf("5000 entries, %s: platform/ours %.1fx (target at least 20)%s\n",
                r.cascading ? "cascading" : "flat", ratio, ratio >= 20 ? "" : "  MISSED");
  }
  std::fflush(stdout);

  // Quillet.exe: from the icon's message to the open menu.
  const SettingsKeySnapshot saved;
  std::string error;
  std::printf(
      "\nQuillet.exe: from the icon's message (left press) to a visible menu window,\n"
      "medians of %d opens per library after a warm-up open\n\n",
      runs);
  std::printf("%8s  %-10s  %10s  %10s  %10s\n", "entries", "layout", "median ms", "min ms",
              "max ms");
  for (int n : sizes) {
    for (int layout = 0; layout < 2 && error.empty(); ++layout) {
      const std::wstring folder =
          base + L"\\q" + std::to_wstring(n) + L"-" + std::to_wstring(layout);
      CreateDirectoryW(folder.c_str(), nullptr);
      if (!CopyFileW((OwnFolder() + L"Quillet.exe").c_str(), (folder + L"\\Quillet.exe").c_str(),
                     FALSE) ||
          !WriteDatedFile(folder + L"\\Quillet.ini", Library(n, layout))) {
        error = "cannot prepare the folder (is Quillet.exe beside this program?)";
        break;
      }
      std::vector<double> times = TimeMenuOpens(folder, n, runs + 1, &error);
      RemoveFolder(folder);
      if (times.empty()) break;
      times.erase(times.begin());  // the warm-up
      std::printf("%8d  %-10s  %10.1f  %10.1f  %10.1f\n", n, layout ? "cascading" : "flat",
                  Median(times), *std::min_element(times.begin(), times.end()),
                  *std::max_element(times.begin(), times.end()));
      std::fflush(stdout);
    }
  }
  saved.Restore();
  RemoveDirectoryW(base.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "popup_menu_bench: %s\n", error.c_str());
    return 1;
  }
  return exit_code;
}
