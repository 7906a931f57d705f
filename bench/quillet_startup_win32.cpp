// Start-up of the real Quillet.exe with a 5,000-entry library against an empty one, from
// CreateProcessW until the hidden main window has its caption and the process waits for
// input; the target is full/empty at most 1.2 (medians of alternating runs).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "quillet/main/main_form_win32.h"
#include "platform/registry_win32.h"
#include "bench/bench_support_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr const wchar_t* kSettingsKey = kQuilletSettingsKey;
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 15000;

// The data file is ANSI (Windows-1252), so umlauts are written as their single bytes.
std::string EntryName(int i, Lcg& rng) {
  static const char* const kinds[] = {"Gru\xDF", "Adresse", "Signatur", "Antwort", "Termin",
                                      "Rechnung", "Angebot", "Notiz", "Vorlage", "Absage",
                                      "Einladung", "Mahnung", "Bestellung", "R\xFC" "ckfrage"};
  static const char* const whom[] = {"M\xFCller", "Schmidt", "Schneider", "Fischer", "Weber",
                                     "Meyer", "Wagner", "Becker", "Schulz", "Hoffmann",
                                     "K\xF6nig", "Wei\xDF", "Kr\xE4mer", "Vogel"};
  std::string name = kinds[rng.Next(14)];
  name += rng.Next(3) == 0 ? " an " : " ";
  name += whom[rng.Next(14)];
  // The number keeps every name distinct, as a grown library's names are.
  name += " " + std::to_string(i);
  return name;
}

std::string EntryText(Lcg& rng) {
  static const char* const words[] = {
      "Sehr",    "geehrte", "Damen",  "und",       "Herren,",  "vielen",  "Dank",
      "f\xFCr",  "Ihre",    "Anfrage", "wir",      "melden",   "uns",     "gern",
      "bis",     "Freitag", "mit",     "freundlichen", "Gr\xFC\xDF" "en", "Bitte",
      "senden",  "Sie",     "die",     "Unterlagen", "an",     "unsere",  "Adresse",
      "M\xE4rz", "\xD6" "ffnungszeiten", "Stra\xDF" "e", "Nr.", "12345",  "Termin"};
  const unsigned length = 100 + rng.Next(201);
  std::string text;
  while (text.size() < length) {
    const unsigned r = rng.Next(20);
    if (!text.empty()) text += r == 0 ? "\\N" : r == 1 ? "\\T" : r == 2 ? "\\N\\N" : " ";
    text += words[rng.Next(sizeof words / sizeof *words)];
  }
  return text;
}

std::string FullLibrary(int n) {
  Lcg rng;
  std::vector<std::string> names, titles, texts;
  for (int i = 1; i <= n; ++i) {
    names.push_back(EntryName(i, rng));
    titles.push_back(rng.Next(10) == 0 ? "Editor - Brief " + std::to_string(i) : "");
    texts.push_back(EntryText(rng));
  }
  std::string s = "; Bibliothek zum Messen des Starts\r\n";
  auto section = [&](const char* name, const std::vector<std::string>& values) {
    s += "[" + std::string(name) + "]\r\n";
    for (int i = 1; i <= n; ++i) {
      s += std::to_string(i) + "=" + values[static_cast<std::size_t>(i - 1)] + "\r\n";
    }
  };
  section("Name", names);
  section("Title", titles);
  section("Text", texts);
  section("Crypt", std::vector<std::string>(static_cast<std::size_t>(n), "0"));
  section("DosBox", std::vector<std::string>(static_cast<std::size_t>(n), "0"));
  s += "[Ignore]\r\n1=DF\xDC-Netzwerkmonitor\r\n2=Shortcut-Leiste\r\n";
  s += "[Common]\r\nPumActViaBorder=0\r\nPumActPos=0\r\nPumActBorderByClick=0\r\n"
       "PumActBorderCol=-2147483633\r\nPumMode=0\r\n";
  return s;
}

struct Library {
  const char* label;
  std::wstring folder;
  int entries;
};

struct Run {
  double caption_ms = 0;  // the main window with its caption
  double idle_ms = 0;     // and WaitForInputIdle returned: the figure compared
  int listed = -1;        // entries in the list box, to see that the intended library was read
};

struct FindMain {
  DWORD pid;
  HWND found;
};

HWND MainWindowOf(DWORD pid) {
  FindMain search{pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<FindMain*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[64] = {};
        if (owner == s->pid && GetClassNameW(w, cls, 64) &&
            lstrcmpW(cls, qm::kMainFormClass) == 0) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box of the program would mean it did not find the library it was given.
bool HasDialog(DWORD pid) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return true;
  }
  return false;
}

std::optional<Run> StartAndQuit(const Library& lib, std::string* error) {
  const std::wstring exe = lib.folder + L"\\Quillet.exe";
  const std::wstring data = lib.folder + L"\\Quillet.ini";
  if (qm::WriteUserString(kSettingsKey, L"path", data) != ERROR_SUCCESS) {
    *error = "cannot set the data-file path in the registry";
    return std::nullopt;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe + L"\"";

  const double t0 = Seconds();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      lib.folder.c_str(), &si, &pi)) {
    *error = "CreateProcessW failed";
    return std::nullopt;
  }
  Run run;
  HWND main = nullptr;
  // GetWindowTextW reads another process's caption without a message to it, so polling does
  // not wait on the program it watches.
  for (;;) {
    if (!main) main = MainWindowOf(pi.dwProcessId);
    if (main) {
      wchar_t caption[256] = {};
      GetWindowTextW(main, caption, 256);
      if (caption[0] && lstrcmpW(caption, L"Quillet") != 0) break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) {
      *error = "Quillet.exe ended before its main window was ready (another one running?)";
      break;
    }
    if (Seconds() - t0 > kStartTimeoutMs / 1000.0) {
      *error = "no main window with a caption in time";
      break;
    }
  }
  if (error->empty()) {
    run.caption_ms = (Seconds() - t0) * 1e3;
    const DWORD idle = WaitForInputIdle(pi.hProcess, kStartTimeoutMs);
    run.idle_ms = (Seconds() - t0) * 1e3;
    if (idle != 0) *error = "WaitForInputIdle did not return 0";
  }
  if (error->empty()) {
    DWORD_PTR count = 0;
    if (SendMessageTimeoutW(GetDlgItem(main, qm::kIdList), LB_GETCOUNT, 0, 0, SMTO_BLOCK, 10000,
                            &count)) {
      run.listed = static_cast<int>(count);
    }
    if (HasDialog(pi.dwProcessId)) *error = "the program shows a message";
  }
  // "Beenden" stores and ends the program as a user's quit does.
  if (main) PostMessageW(main, WM_COMMAND, CommandId(qm::QuilletCommand::kMenuQuit), 0);
  if (WaitForSingleObject(pi.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
    if (error->empty()) *error = "Quillet.exe did not end after Beenden; killed";
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!error->empty()) return std::nullopt;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const int full_entries = 5000;

  wchar_t tmp_root[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp_root);
  const std::wstring base =
      std::wstring(tmp_root) + L"qm-startup-bench-" + std::to_wstring(GetCurrentProcessId());
  Library libs[2] = {{"empty", base + L"-empty", 0}, {"full", base + L"-full", full_entries}};
  // The empty library has an Ignore list, so that the start finds nothing to write.
  const std::string contents[2] = {"[Ignore]\r\n1=x\r\n", FullLibrary(full_entries)};
  for (int i = 0; i < 2; ++i) {
    CreateDirectoryW(libs[i].folder.c_str(), nullptr);
    if (!CopyFileW((OwnFolder() + L"Quillet.exe").c_str(),
                   (libs[i].folder + L"\\Quillet.exe").c_str(), FALSE) ||
        !WriteDatedFile(libs[i].folder + L"\\Quillet.ini", contents[i])) {
      std::fprintf(stderr, "cannot prepare %s (is Quillet.exe beside this program?)\n",
                   libs[i].label);
      return 1;
    }
  }

  const SettingsKeySnapshot saved;
  std::vector<double> idle[2], caption[2];
  int listed[2] = {-1, -1};
  std::string error;
  // A warm-up of each first (file cache, fonts, the prefix's DLLs), then alternating runs, so
  // that a slow phase of a shared machine falls on both sides alike.
  for (int round = -1; round < runs && error.empty(); ++round) {
    for (int i = 0; i < 2 && error.empty(); ++i) {
      const std::optional<Run> r = StartAndQuit(libs[i], &error);
      if (!r) break;
      if (r->listed != libs[i].entries) {
        error = std::string("the ") + libs[i].label + " library listed " +
                std::to_string(r->listed) + " entries instead of " +
                std::to_string(libs[i].entries);
        break;
      }
      listed[i] = r->listed;
      if (round < 0) continue;
      idle[i].push_back(r->idle_ms);
      caption[i].push_back(r->caption_ms);
    }
  }
  saved.Restore();
  RemoveFolder(libs[0].folder);
  RemoveFolder(libs[1].folder);
  if (!error.empty()) {
    std::fprintf(stderr, "quillet_startup_bench: %s\n", error.c_str());
    return 1;
  }

  std::printf("Quillet.exe start-up under Wine: CreateProcessW until the hidden main window has\n"
              "its caption and WaitForInputIdle has returned (%d runs each after a warm-up,\n"
              "alternating)\n\n",
              runs);
  std::printf("%-8s %8s  %12s  %10s  %16s\n", "library", "entries", "median ms", "min ms",
              "caption med ms");
  for (int i = 0; i < 2; ++i) {
    std::printf("%-8s %8d  %12.1f  %10.1f  %16.1f\n", libs[i].label, listed[i], Median(idle[i]),
                Min(idle[i]), Median(caption[i]));
  }
  const double ratio = Median(idle[1]) / Median(idle[0]);
  std::printf("\nratio full/empty of the medians: %.2f (target at most 1.20)%s\n", ratio,
              ratio <= 1.2 ? "" : "  MISSED");
  std::printf("ratio full/empty of the minima:  %.2f\n", Min(idle[1]) / Min(idle[0]));
  return 0;
}
