// Start-up time and idle memory of Quillet.exe (with the sample library) and Mantello.exe
// (with its start hint, as a user meets it) against a minimal program that creates one window,
// side by side under Wine: from CreateProcessW until the program's window is there and the
// process waits for input (Quillet's icon is in the notification area by then), and the
// working set once the start has settled (3 s later: what follows the first idle moment is
// done). Targets: Quillet at most 1.3 times the minimal program's start-up, Mantello at most
// 1.25 times; each at most 4 MB above its working set; Quillet's picker, opened by its hotkey
// for the first time after that, on screen and answering in under 50 ms (in every other run
// the hotkey's Ctrl and Alt go down first, as by hand; in the others its message comes alone).
// The modules and threads each program has then beyond the minimal program's are listed.
// Both programs write where their start-up goes (each step's end: time since the process was
// created, working set) to the file QM_STARTUP_TRACE names; the steps' medians are printed.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_support_win32.h"
#include "mantello/mantello_form_win32.h"
#include "platform/registry_win32.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/pick/picker_window_win32.h"
#include "ui/startup_trace_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kSettleMs = 3000;
constexpr double kPickerTargetMs = 50;

// A step of the start-up as a program's trace tells it, over all runs.
struct Step {
  std::string name;
  std::vector<double> ms, mb;
};

struct Program {
  const char* label;
  double start_target;  // times the minimal program's start-up
  const wchar_t* exe;
  const wchar_t* window_class;
  // A window that belongs to the start as a user meets it and must be on screen too.
  const wchar_t* shown_class;
  // Files that lie beside the program in a user's folder.
  std::vector<const wchar_t*> beside;
  std::vector<double> ready_ms;
  std::vector<double> working_set_mb;
  std::vector<Step> steps;  // in the order of the first run's trace
  // Quillet's first opening of its picker: its hotkey's message alone, and as a hand gives
  // it, Ctrl and Alt pressed a moment before
  std::vector<double> picker_ms, picker_in_hand_ms;
  std::set<std::wstring> modules;  // at rest, in the last run
  int threads = 0;
};

std::wstring TraceFile(const std::wstring& folder) { return folder + L"\\startup-trace.txt"; }

// The trace's lines, "step;ms;MB", added to the program's steps.
void ReadTrace(Program& p, const std::wstring& folder) {
  HANDLE h = CreateFileW(TraceFile(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string text(GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
  CloseHandle(h);
  DeleteFileW(TraceFile(folder).c_str());
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    const std::size_t a = line.find(';'), b = line.rfind(';');
    if (a == std::string::npos || a == b) continue;
    const std::string name = line.substr(0, a);
    auto step = std::find_if(p.steps.begin(), p.steps.end(),
                             [&](const Step& s) { return s.name == name; });
    if (step == p.steps.end()) step = p.steps.insert(p.steps.end(), Step{name, {}, {}});
    step->ms.push_back(std::atof(line.substr(a + 1, b - a - 1).c_str()));
    step->mb.push_back(std::atof(line.substr(b + 1).c_str()));
  }
}

std::wstring FolderOf(const Program& p, const std::wstring& base) {
  return base + L"-" + std::wstring(p.exe, p.exe + lstrlenW(p.exe) - 4);
}

HWND WindowOf(DWORD pid, const wchar_t* window_class) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, window_class, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

// The modules the process has loaded and the number of its threads.
void NoteModulesAndThreads(Program& p, const PROCESS_INFORMATION& pi) {
  HMODULE modules[512];
  DWORD bytes = 0;
  p.modules.clear();
  if (EnumProcessModules(pi.hProcess, modules, sizeof modules, &bytes)) {
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
      wchar_t name[MAX_PATH] = {};
      if (GetModuleBaseNameW(pi.hProcess, modules[i], name, MAX_PATH)) {
        CharLowerW(name);
        p.modules.insert(name);
      }
    }
  }
  p.threads = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread)) {
    if (thread.th32OwnerProcessID == pi.dwProcessId) ++p.threads;
  }
  CloseHandle(snapshot);
}

void PressKey(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Quillet's picker opened by its hotkey: until it is on screen and answers a message. `in_hand`:
// the hotkey's Ctrl and Alt go down 150 ms before its message, as a hand presses them before
// the Space.
bool OpenPicker(Program& p, DWORD pid, bool in_hand, std::string* error) {
  HWND picker = WindowOf(pid, qm::kPickerClass);
  if (!picker) {
    *error = "Quillet has no picker window";
    return false;
  }
  if (in_hand) {
    PressKey(VK_CONTROL, false);
    PressKey(VK_MENU, false);
    Sleep(150);
  }
  const double t0 = Seconds();
  PostMessageW(picker, WM_HOTKEY, 1, 0);
  while (!IsWindowVisible(picker)) {
    if (Seconds() - t0 > 10) {
      *error = "Quillet's picker did not open";
      return false;
    }
    Sleep(0);
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(picker, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
  (in_hand ? p.picker_in_hand_ms : p.picker_ms).push_back((Seconds() - t0) * 1e3);
  if (in_hand) {
    PressKey(VK_MENU, true);
    PressKey(VK_CONTROL, true);
  }
  return true;
}

bool StartOnce(Program& p, const std::wstring& folder, std::string* error) {
  const std::wstring exe = folder + L"\\" + p.exe;
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // The yardstick traces nothing; the programs trace into their folder.
  SetEnvironmentVariableW(qm::kStartupTraceVariable,
                          p.start_target > 0 ? TraceFile(folder).c_str() : nullptr);
  const double t0 = Seconds();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi)) {
    *error = "cannot start " + std::string(p.label);
    return false;
  }
  // Quillet's main window gets its caption at the end of its start-up, just before the icon;
  // it stays hidden. Mantello is there once its start hint shows, picture included.
  for (;;) {
    HWND w = WindowOf(pi.dwProcessId, p.window_class);
    if (w) {
      wchar_t caption[256] = {};
      GetWindowTextW(w, caption, 256);
      HWND shown = p.shown_class ? WindowOf(pi.dwProcessId, p.shown_class) : w;
      const bool started =
          p.window_class != qm::kMainFormClass || lstrcmpW(caption, L"Quillet") != 0;
      if (started && shown && (!p.shown_class || IsWindowVisible(shown))) {
        if (p.window_class == qm::kMainFormClass && IsWindowVisible(w)) {
          *error = "Quillet showed its main window at start";
        }
        break;
      }
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) {
      *error = std::string(p.label) + " ended during its start (another one running?)";
      break;
    }
    if (Seconds() - t0 > kStartTimeoutMs / 1000.0) {
      *error = std::string(p.label) + " showed no window in time";
      break;
    }
  }
  if (error->empty() && WaitForInputIdle(pi.hProcess, kStartTimeoutMs) != 0) {
    *error = std::string(p.label) + ": WaitForInputIdle did not return 0";
  }
  if (error->empty()) {
    p.ready_ms.push_back((Seconds() - t0) * 1e3);
    Sleep(kSettleMs);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) {
      p.working_set_mb.push_back(static_cast<double>(pmc.WorkingSetSize) / (1024.0 * 1024.0));
    } else {
      *error = "GetProcessMemoryInfo failed";
    }
    ReadTrace(p, folder);
    NoteModulesAndThreads(p, pi);
    if (p.window_class == qm::kMainFormClass) {
      OpenPicker(p, pi.dwProcessId, p.ready_ms.size() % 2 == 0, error);
    }
  }
  // Nothing is to be stored: the library is the sample, the settings are restored below.
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return error->empty();
}

void RemoveAll(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
      }
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

double FileMb(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
  return (static_cast<double>(a.nFileSizeHigh) * 4294967296.0 + a.nFileSizeLow) /
         (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  Program programs[] = {
      {"minimal", 0, L"minimal_window.exe", L"QmMinimalWindow", nullptr, {}, {}, {}, {}, {}, {},
       {}, 0},
      {"Quillet", 1.3, L"Quillet.exe", qm::kMainFormClass, nullptr,
       {L"sample.ini", L"signatur.txt"}, {}, {}, {}, {}, {}, {}, 0},
      {"Mantello", 1.25, L"Mantello.exe", qm::kMantelloWindowClass, L"MantelloHintDialog",
       {L"SID1.jpg", L"SID2.jpg"}, {}, {}, {}, {}, {}, {}, 0},
  };
  wchar_t tmp_root[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp_root);
  const std::wstring base =
      std::wstring(tmp_root) + L"qm-footprint-" + std::to_wstring(GetCurrentProcessId());
  for (const Program& p : programs) {
    const std::wstring folder = FolderOf(p, base);
    CreateDirectoryW(folder.c_str(), nullptr);
    bool ok = CopyFileW((OwnFolder() + p.exe).c_str(), (folder + L"\\" + p.exe).c_str(), FALSE);
    for (const wchar_t* name : p.beside) {
      ok = ok && CopyFileW((OwnFolder() + name).c_str(), (folder + L"\\" + name).c_str(), FALSE);
    }
    if (!ok) {
      std::fprintf(stderr, "cannot prepare %s (is it beside this program?)\n", p.label);
      return 1;
    }
  }
  // Quillet starts with the sample library as its data file, as after its first start.
  const std::wstring quillet_folder = FolderOf(programs[1], base);
  std::string sample;
  {
    HANDLE h = CreateFileW((quillet_folder + L"\\sample.ini").c_str(), GENERIC_READ,
                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      sample.resize(GetFileSize(h, nullptr));
      DWORD n = 0;
      ReadFile(h, sample.data(), static_cast<DWORD>(sample.size()), &n, nullptr);
      CloseHandle(h);
    }
  }
  const SettingsKeySnapshot saved;
  std::string error;
  // Without its start hint Mantello would start as no new user meets it.
  {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kMantelloSettingsKey, 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      if (RegQueryValueExW(key, L"_SID1", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        error = "Mantello's start hint is switched off in this prefix (value _SID1)";
      }
      RegCloseKey(key);
    }
  }
  if (sample.empty() || !WriteDatedFile(quillet_folder + L"\\Quillet.ini", sample) ||
      qm::WriteUserString(kQuilletSettingsKey, L"path", quillet_folder + L"\\Quillet.ini") !=
          ERROR_SUCCESS) {
    error = "cannot prepare Quillet's library";
  }
  // A warm-up of each (file cache, fonts, the prefix's DLLs), then alternating runs, so that
  // a slow phase of a shared machine falls on all of them alike.
  for (int round = -1; round < runs && error.empty(); ++round) {
    for (Program& p : programs) {
      if (!StartOnce(p, FolderOf(p, base), &error)) break;
      if (round < 0) {
        p.ready_ms.clear();
        p.working_set_mb.clear();
        p.steps.clear();
        p.picker_ms.clear();
        p.picker_in_hand_ms.clear();
      }
    }
  }
  saved.Restore();
  for (const Program& p : programs) RemoveAll(FolderOf(p, base));
  if (!error.empty()) {
    std::fprintf(stderr, "footprint_bench: %s\n", error.c_str());
    return 1;
  }

  std::printf("Start-up and idle memory under Wine, %d runs each after a warm-up, alternating:\n"
              "CreateProcessW until the window is there (Quillet's hidden, with its icon;\n"
              "Mantello's start hint on screen) and the process waits for input;\n"
              "the working set %.0f s later\n\n",
              runs, kSettleMs / 1000.0);
  std::printf("%-9s %14s %10s %14s %12s\n", "program", "ready med ms", "min ms", "working set MB",
              "exe MB");
  for (const Program& p : programs) {
    std::printf("%-9s %14.1f %10.1f %14.1f %12.2f\n", p.label, Median(p.ready_ms),
                Min(p.ready_ms), Median(p.working_set_mb), FileMb(OwnFolder() + p.exe));
  }
  std::printf("\nWhere the start-up goes (medians; each step's end since the process was "
              "created, and the working set then):\n");
  for (int i = 1; i < 3; ++i) {
    for (const Step& s : programs[i].steps) {
      std::printf("%-9s %-22s %8.1f ms %8.1f MB\n", programs[i].label, s.name.c_str(),
                  Median(s.ms), Median(s.mb));
    }
  }
  std::printf("\nAt rest, beyond the minimal program's modules and threads:\n");
  for (int i = 1; i < 3; ++i) {
    std::printf("%-9s %d thread(s) more;", programs[i].label,
                programs[i].threads - programs[0].threads);
    for (const std::wstring& m : programs[i].modules) {
      if (!programs[0].modules.count(m)) std::printf(" %ls", m.c_str());
    }
    std::printf("\n");
  }
  std::printf("\nQuillet's picker, opened by its hotkey for the first time once the start has "
              "settled (target under %.0f ms):\n",
              kPickerTargetMs);
  const auto max_of = [](const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
  };
  const std::vector<double>& in_hand = programs[1].picker_in_hand_ms;
  const std::vector<double>& alone = programs[1].picker_ms;
  // The verdict takes the way a hotkey comes: its Ctrl, Alt or Win key always goes down first,
  // which the abbreviations' hook tells the program.
  const double picker = Median(in_hand);
  std::printf("  Ctrl and Alt pressed before, as by hand: median %.1f ms, max %.1f ms\n"
              "  the hotkey's message alone (as without the abbreviations' hook): median %.1f ms,"
              " max %.1f ms\n\n",
              picker, max_of(in_hand), Median(alone), max_of(alone));
  bool met = true;
  for (int i = 1; i < 3; ++i) {
    const Program& p = programs[i];
    const double ratio = Median(p.ready_ms) / Median(programs[0].ready_ms);
    const double above = Median(p.working_set_mb) - Median(programs[0].working_set_mb);
    const bool picker_ok = i != 1 || picker < kPickerTargetMs;
    const bool ok = ratio <= p.start_target && above <= 4.0 && picker_ok;
    met = met && ok;
    std::printf("%-9s start-up %.2f times the minimal program's (target at most %.2f); "
                "working set %+.1f MB (target at most +4.0)%s  %s\n",
                p.label, ratio, p.start_target, above,
                i != 1 ? "" : picker_ok ? "; picker in time" : "; picker too slow",
                ok ? "met" : "NOT MET");
  }
  return met ? 0 : 2;
}
