// Wine's notepad as the target of a timing program: starting it, reading its text, watching a
// text arrive, prose to send, a library holding it and the sender's services around the real ones.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support_win32.h"
#include "platform/clock_win32.h"
#include "platform/keyboard_win32.h"
#include "platform/os.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/send/sender.h"
#include "store/entries.h"
#include "store/ini_store.h"
#include "store/stored_text.h"

namespace qm::bench {

inline constexpr std::size_t kLineChars = 60;
inline constexpr DWORD kPollMs = 20;
// A text that has not grown for this long will not become complete any more.
inline constexpr double kStallSeconds = 10;

// Ordinary German prose in UTF-8: words and blanks, an Enter ("\r") at the first blank after
// every kLineChars characters or so; `chars_wanted` characters, each Enter counted as one.
inline std::string ProseText(std::size_t chars_wanted) {
  static const char* const words[] = {
      "Sehr",        "geehrte",    "Damen",    "und",          "Herren,", "vielen", "Dank",
      "für",         "Ihre",       "Anfrage.", "Wir",          "melden",  "uns",    "gern",
      "bis",         "Freitag",    "mit",      "einem",        "Angebot", "für",    "die",
      "Lieferung",   "nach",       "München.", "Bitte",        "senden",  "Sie",    "uns",
      "die",         "Unterlagen", "an",       "unsere",       "Adresse", "in",     "der",
      "Hauptstraße", "zu.",        "Mit",      "freundlichen", "Grüßen",  "aus",    "Köln."};
  const std::size_t count = sizeof words / sizeof *words;
  std::string text;
  std::size_t chars = 0, line = 0, w = 0;
  auto append = [&](const std::string& s) {
    for (unsigned char c : s) {
      if ((c & 0xC0) != 0x80) {
        ++chars;
        ++line;
      }
    }
    text += s;
  };
  while (chars < chars_wanted) {
    if (chars > 0) {
      if (line >= kLineChars) {
        text += '\r';
        ++chars;
        line = 0;
      } else {
        append(" ");
      }
      if (chars >= chars_wanted) break;
    }
    std::string word = words[w++ % count];
    // The last word is cut so that the text has exactly `chars_wanted` characters.
    std::size_t left = chars_wanted - chars;
    std::string cut;
    for (std::size_t i = 0; i < word.size() && left > 0;) {
      std::size_t len = 1;
      const unsigned char c = static_cast<unsigned char>(word[i]);
      if (c >= 0xF0)
        len = 4;
      else if (c >= 0xE0)
        len = 3;
      else if (c >= 0xC0)
        len = 2;
      cut += word.substr(i, len);
      i += len;
      --left;
    }
    append(cut);
  }
  return text;
}

// What notepad's edit control holds once the text has arrived: Enter becomes CR LF.
inline std::wstring Expected(const std::string& text) {
  std::wstring wide = qm::Utf8ToWide(text), out;
  for (wchar_t c : wide) {
    if (c == L'\r')
      out += L"\r\n";
    else
      out += c;
  }
  return out;
}

inline std::wstring EditText(HWND edit) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &len)) return L"";
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_BLOCK, 5000, &got)) {
    return L"";
  }
  text.resize(got);
  return text;
}

// Watches an edit control from a thread of its own, so that it sees the text arrive however
// the main thread is busy sending it.
class ArrivalWatch {
 public:
  ArrivalWatch(HWND edit, std::wstring expected)
      : edit_(edit), expected_(std::move(expected)), thread_([this] { Run(); }) {}
  ~ArrivalWatch() {
    stop_ = true;
    thread_.join();
  }
  // Waits until the text is complete or stalls; the moment it was seen complete, or nullopt.
  std::optional<double> Wait(std::wstring* last) {
    while (!done_) Sleep(kPollMs);
    *last = last_;
    return complete_ ? std::optional<double>(at_) : std::nullopt;
  }

 private:
  void Run() {
    double changed = Seconds();
    std::size_t length = 0;
    while (!stop_) {
      std::wstring text = EditText(edit_);
      const double now = Seconds();
      if (text == expected_) {
        at_ = now;
        complete_ = true;
        last_ = std::move(text);
        break;
      }
      if (text.size() != length) {
        length = text.size();
        changed = now;
      } else if (now - changed > kStallSeconds) {
        last_ = std::move(text);
        break;
      }
      Sleep(kPollMs);
    }
    done_ = true;
  }

  HWND edit_;
  std::wstring expected_;
  std::wstring last_;
  double at_ = 0;
  bool complete_ = false;
  std::atomic<bool> stop_{false}, done_{false};
  std::thread thread_;
};

// The real keyboard, noting when the first keys went out: the start of typing.
class TimedKeyboard : public qm::Keyboard {
 public:
  std::size_t Send(const std::vector<qm::KeyEvent>& events) override {
    if (first_ == 0) first_ = Seconds();
    ++batches_;
    events_ += events.size();
    return real_->Send(events);
  }
  std::vector<std::uint16_t> HeldModifiers() override { return real_->HeldModifiers(); }
  void Reset() {
    first_ = 0;
    batches_ = 0;
    events_ = 0;
  }
  double first() const { return first_; }
  int batches() const { return batches_; }
  std::size_t events() const { return events_; }

 private:
  std::unique_ptr<qm::Keyboard> real_ = qm::MakeWin32Keyboard();
  double first_ = 0;
  int batches_ = 0;
  std::size_t events_ = 0;
};

// The real pace, adding up how long the catch-ups and the waits took.
class TimedPace : public qm::TypingPace {
 public:
  bool CatchUp(qm::WindowHandle window, std::size_t messages) override {
    const double t = Seconds();
    const bool ok = real_->CatchUp(window, messages);
    const double took = Seconds() - t;
    total_ += took;
    longest_ = std::max(longest_, took);
    return ok;
  }
  void StartEscapeWatch() override { real_->StartEscapeWatch(); }
  void StopEscapeWatch() override { real_->StopEscapeWatch(); }
  bool EscapePressed() override { return real_->EscapePressed(); }
  void Wait(int milliseconds) override {
    const double t = Seconds();
    real_->Wait(milliseconds);
    waited_ += Seconds() - t;
  }
  void Reset() { total_ = longest_ = waited_ = 0; }
  double total() const { return total_; }
  double longest() const { return longest_; }
  double waited() const { return waited_; }

 private:
  std::unique_ptr<qm::TypingPace> real_ = qm::MakeWin32TypingPace();
  double total_ = 0, longest_ = 0, waited_ = 0;
};

// A message box would mean the sender refused or stopped; it is noted, never shown.
class NotedDialogs : public qm::Dialogs {
 public:
  qm::MessageAnswer ShowMessage(const std::string& text, const std::string&, qm::MessageIcon,
                                qm::MessageButtons) override {
    messages.push_back(text);
    return qm::MessageAnswer::kNo;
  }
  std::optional<std::string> AskText(const std::string&, const std::string&,
                                     const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::uint32_t> ChooseColour(std::uint32_t) override { return std::nullopt; }
  std::vector<std::string> messages;
};

class NoChoice : public qm::TargetChooser {
 public:
  std::optional<std::size_t> Choose(const std::vector<qm::TargetCandidate>&) override {
    return std::nullopt;
  }
};

// The real services of a sender in this process, the keyboard and the pace timed, and no box
// ever shown; the clipboard is the caller's.
struct SenderRig {
  std::unique_ptr<qm::FileSystem> fs = qm::MakeOsFileSystem();
  std::unique_ptr<qm::CodePage> ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini{*fs, *ansi};
  qm::EntryStore entries{ini, *ansi};
  std::unique_ptr<qm::Clock> clock = qm::MakeWin32Clock();
  std::unique_ptr<qm::Desktop> desktop = qm::MakeWin32Desktop();
  std::unique_ptr<qm::WindowProcesses> processes = qm::MakeWin32WindowProcesses();
  std::unique_ptr<qm::KeyboardLayouts> layouts =
      qm::MakeWin32KeyboardLayouts(true);  // as Quillet under Wine
  TimedKeyboard keyboard;
  TimedPace pace;
  NotedDialogs dialogs;
  NoChoice chooser;

  qm::SenderServices Services(qm::Clipboard& clipboard) {
    return {entries,  *fs,       *ansi,   *clock,     *desktop, keyboard,
            *layouts, clipboard, dialogs, *processes, pace,     chooser};
  }
};

struct Notepad {
  PROCESS_INFORMATION pi{};
  HWND frame = nullptr, edit = nullptr;
};

struct FindFrame {
  DWORD pid;
  const wchar_t* frame_class;
  HWND found;
};

// Starts the system's program `name` (or, holding a folder, that file, its environment
// variables expanded) and finds its frame of class `frame_class` and the edit of class
// `edit_class` in it; without a frame class, its first visible window.
inline bool StartEditor(Notepad* pad, const wchar_t* name, const wchar_t* frame_class,
                        const wchar_t* edit_class) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  wchar_t expanded[MAX_PATH] = {};
  ExpandEnvironmentStringsW(name, expanded, MAX_PATH);
  const std::wstring exe =
      std::wcschr(name, L'\\') ? std::wstring(expanded) : std::wstring(system) + L"\\" + name;
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pad->pi)) {
    return false;
  }
  WaitForInputIdle(pad->pi.hProcess, 20000);
  for (int i = 0; i < 400 && !pad->frame; ++i) {
    FindFrame search{pad->pi.dwProcessId, frame_class, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<FindFrame*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          wchar_t cls[32] = {};
          if (owner == s->pid && IsWindowVisible(w) && GetClassNameW(w, cls, 32) &&
              (!s->frame_class || lstrcmpiW(cls, s->frame_class) == 0)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    pad->frame = search.found;
    if (!pad->frame) Sleep(50);
  }
  if (pad->frame) pad->edit = FindWindowExW(pad->frame, nullptr, edit_class, nullptr);
  return pad->edit != nullptr;
}

inline bool StartNotepad(Notepad* pad) { return StartEditor(pad, L"notepad.exe", L"Notepad", L"Edit"); }

inline void EndNotepad(Notepad* pad) {
  if (!pad->pi.hProcess) return;
  TerminateProcess(pad->pi.hProcess, 0);
  WaitForSingleObject(pad->pi.hProcess, 5000);
  CloseHandle(pad->pi.hProcess);
  CloseHandle(pad->pi.hThread);
}

inline bool Clear(const Notepad& pad) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutW(pad.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_BLOCK,
                             5000, &r) != 0 &&
         EditText(pad.edit).empty();
}

inline bool ToFront(HWND w) {
  for (int i = 0; i < 40; ++i) {
    SetForegroundWindow(w);
    if (GetForegroundWindow() == w) return true;
    Sleep(50);
  }
  return false;
}

inline void ReportDifference(const char* side, const std::wstring& want, const std::wstring& got) {
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  std::fprintf(stderr,
               "%s: notepad holds %zu of %zu UTF-16 units, the first difference at %zu:\n"
               "  expected \"%s\"\n  found    \"%s\"\n",
               side, got.size(), want.size(), i, qm::WideToUtf8(want.substr(i, 40)).c_str(),
               qm::WideToUtf8(got.substr(i, 40)).c_str());
}

// The library: entry n holds texts[n - 1], delivered as deliveries[n - 1] says where that is
// given and not empty.
inline bool WriteLibrary(const std::string& path, const std::vector<std::string>& texts,
                         const std::vector<std::string>& deliveries = {}) {
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  qm::EntryStore entries(ini, *ansi);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string name = number == 1 ? "Messtext" : "Messtext " + std::to_string(number);
    if (!entries.WriteEntry(number, {name, qm::EscapeStoredText(texts[i]), "", 0, 0}, path) ||
        (i < deliveries.size() && !deliveries[i].empty() &&
         !ini.WriteIniValue(qm::kDeliverySection, std::to_string(number), deliveries[i], path))) {
      return false;
    }
  }
  // Dated an hour back, as a user's file is.
  HANDLE h = CreateFileW(qm::Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= 3600ULL * 10'000'000ULL;
  const FILETIME old{t.LowPart, t.HighPart};
  const bool ok = SetFileTime(h, &old, &old, &old) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace qm::bench
