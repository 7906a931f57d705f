// Typing 1,500 characters into Wine's notepad through the sender, batches and catch-up included,
// against one SendInput of the same events into a second notepad, and the same text through the
// sender as the keys of notepad's keyboard layout: complete, in order, how long.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ui/dialogs_win32.h"
#include "platform/clock_win32.h"
#include "platform/keyboard_win32.h"
#include "platform/os.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/send/keystroke_text.h"
#include "quillet/send/sender.h"
#include "store/entries.h"
#include "store/ini_store.h"
#include "store/stored_text.h"
#include "bench/bench_support_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr std::size_t kChars = 1500;
constexpr std::size_t kLineChars = 60;
constexpr DWORD kPollMs = 20;
// A text that has not grown for this long will not become complete any more.
constexpr double kStallSeconds = 10;

// Ordinary German prose in UTF-8: words and blanks, an Enter ("\r") at the first blank after
// every 60 characters or so, exactly kChars characters with each Enter counted as one.
std::string ProseText() {
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
  while (chars < kChars) {
    if (chars > 0) {
      if (line >= kLineChars) {
        text += '\r';
        ++chars;
        line = 0;
      } else {
        append(" ");
      }
      if (chars >= kChars) break;
    }
    std::string word = words[w++ % count];
    // The last word is cut so that the text has exactly kChars characters.
    std::size_t left = kChars - chars;
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
std::wstring Expected(const std::string& text) {
  std::wstring wide = qm::Utf8ToWide(text), out;
  for (wchar_t c : wide) {
    if (c == L'\r')
      out += L"\r\n";
    else
      out += c;
  }
  return out;
}

std::wstring EditText(HWND edit) {
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

// The real pace, adding up how long the catch-ups took.
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
  void Wait(int milliseconds) override { real_->Wait(milliseconds); }
  void Reset() { total_ = longest_ = 0; }
  double total() const { return total_; }
  double longest() const { return longest_; }

 private:
  std::unique_ptr<qm::TypingPace> real_ = qm::MakeWin32TypingPace();
  double total_ = 0, longest_ = 0;
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

struct Notepad {
  PROCESS_INFORMATION pi{};
  HWND frame = nullptr, edit = nullptr;
};

struct FindFrame {
  DWORD pid;
  HWND found;
};

bool StartNotepad(Notepad* pad) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring exe = std::wstring(system) + L"\\notepad.exe";
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pad->pi)) {
    return false;
  }
  WaitForInputIdle(pad->pi.hProcess, 20000);
  for (int i = 0; i < 400 && !pad->frame; ++i) {
    FindFrame search{pad->pi.dwProcessId, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<FindFrame*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          wchar_t cls[32] = {};
          if (owner == s->pid && IsWindowVisible(w) && GetClassNameW(w, cls, 32) &&
              lstrcmpW(cls, L"Notepad") == 0) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    pad->frame = search.found;
    if (!pad->frame) Sleep(50);
  }
  if (pad->frame) pad->edit = FindWindowExW(pad->frame, nullptr, L"Edit", nullptr);
  return pad->edit != nullptr;
}

void EndNotepad(Notepad* pad) {
  if (!pad->pi.hProcess) return;
  TerminateProcess(pad->pi.hProcess, 0);
  WaitForSingleObject(pad->pi.hProcess, 5000);
  CloseHandle(pad->pi.hProcess);
  CloseHandle(pad->pi.hThread);
}

bool Clear(const Notepad& pad) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutW(pad.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_BLOCK,
                             5000, &r) != 0 &&
         EditText(pad.edit).empty();
}

bool ToFront(HWND w) {
  for (int i = 0; i < 40; ++i) {
    SetForegroundWindow(w);
    if (GetForegroundWindow() == w) return true;
    Sleep(50);
  }
  return false;
}

// The same events as the sender's keyboard sends, in one SendInput call.
std::vector<INPUT> RawInputs(const std::vector<qm::KeyEvent>& events) {
  std::vector<INPUT> inputs(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    INPUT& in = inputs[i];
    in.type = INPUT_KEYBOARD;
    const qm::KeyEvent& e = events[i];
    if (e.kind == qm::KeyEvent::Kind::kUnicode) {
      in.ki.wScan = e.code;
      in.ki.dwFlags = KEYEVENTF_UNICODE;
    } else {
      in.ki.wVk = e.code;
      in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(e.code, MAPVK_VK_TO_VSC));
    }
    if (e.key_up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
  }
  return inputs;
}

void ReportDifference(const char* side, const std::wstring& want, const std::wstring& got) {
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  std::fprintf(stderr,
               "%s: notepad holds %zu of %zu UTF-16 units, the first difference at %zu:\n"
               "  expected \"%s\"\n  found    \"%s\"\n",
               side, got.size(), want.size(), i, qm::WideToUtf8(want.substr(i, 40)).c_str(),
               qm::WideToUtf8(got.substr(i, 40)).c_str());
}

bool WriteLibrary(const std::string& path, const std::string& text) {
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  qm::EntryStore entries(ini, *ansi);
  // The same text typed, whatever its length, and as the layout's keys.
  if (!entries.WriteEntry(1, {"Messtext", qm::EscapeStoredText(text), "", 0, 0}, path) ||
      !entries.WriteEntry(2, {"Messtext Tasten", qm::EscapeStoredText(text), "", 0, 0}, path) ||
      !ini.WriteIniValue("Zustellung", "1", "Tippen", path) ||
      !ini.WriteIniValue("Zustellung", "2", "Tasten", path)) {
    return false;
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

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string text = ProseText();
  const std::wstring expected = Expected(text);
  const qm::KeySequence keys = qm::ParseKeystrokes(qm::KeystrokeTextFor(text, false));

  wchar_t tmp_root[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp_root);
  const std::wstring dir =
      std::wstring(tmp_root) + L"qm-typing-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::string data_file = qm::WideToUtf8(dir + L"\\Quillet.ini");
  if (!WriteLibrary(data_file, text)) {
    std::fprintf(stderr, "cannot write the library %s\n", data_file.c_str());
    return 1;
  }

  Notepad ours_pad, raw_pad;
  if (!StartNotepad(&ours_pad) || !StartNotepad(&raw_pad)) {
    std::fprintf(stderr, "cannot start notepad\n");
    EndNotepad(&ours_pad);
    EndNotepad(&raw_pad);
    return 1;
  }
  // Side by side on the desktop.
  MoveWindow(ours_pad.frame, 0, 0, 620, 700, TRUE);
  MoveWindow(raw_pad.frame, 640, 0, 620, 700, TRUE);

  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  qm::EntryStore entries(ini, *ansi);
  auto clock = qm::MakeWin32Clock();
  auto desktop = qm::MakeWin32Desktop();
  auto clipboard = qm::MakeWin32Clipboard(nullptr);
  auto processes = qm::MakeWin32WindowProcesses();
  TimedKeyboard keyboard;
  auto layouts = qm::MakeWin32KeyboardLayouts(true);  // as Quillet under Wine
  TimedPace pace;
  NotedDialogs dialogs;
  NoChoice chooser;
  qm::Sender sender({entries, *fs, *ansi, *clock, *desktop, keyboard, *layouts, *clipboard, dialogs,
                     *processes, pace, chooser},
                    data_file);
  const std::vector<INPUT> raw_inputs = RawInputs(keys.events);

  struct Side {
    std::vector<double> ms, call_ms, catch_up_ms, longest_ms;
    int batches = 0, events = 0;
  } ours, keys_side;
  std::vector<double> raw_ms;
  // The entry as Quillet sends it into the window used last; an error, or "".
  const auto send = [&](int entry, const char* name, Side* side) -> std::string {
    if (!Clear(ours_pad)) return "cannot clear the first notepad";
    keyboard.Reset();
    pace.Reset();
    ArrivalWatch watch(ours_pad.edit, expected);
    sender.SetLastUsedWindow(reinterpret_cast<std::uintptr_t>(ours_pad.frame));
    const double call = Seconds();
    const qm::SendOutcome outcome = sender.SendEntry(entry, name);
    std::wstring last;
    const std::optional<double> at = watch.Wait(&last);
    if (outcome != qm::SendOutcome::kTyped) {
      return std::string(name) + ": the sender did not type the text: " +
             (dialogs.messages.empty() ? std::string("no message") : dialogs.messages.back());
    }
    if (!at) {
      ReportDifference(name, expected, last);
      return std::string(name) + ": the text did not arrive complete and in order";
    }
    side->ms.push_back((*at - keyboard.first()) * 1e3);
    side->call_ms.push_back((*at - call) * 1e3);
    side->catch_up_ms.push_back(pace.total() * 1e3);
    side->longest_ms.push_back(pace.longest() * 1e3);
    side->batches = keyboard.batches();
    side->events = static_cast<int>(keyboard.events());
    return "";
  };
  std::string error;
  // Alternating, so that a slow phase of a shared machine falls on every side alike.
  for (int run = 0; run < runs && error.empty(); ++run) {
    error = send(1, "Messtext", &ours);
    if (!error.empty()) break;
    error = send(2, "Messtext Tasten", &keys_side);
    if (!error.empty()) break;

    // Raw: every event in one SendInput call into the other notepad.
    if (!Clear(raw_pad)) {
      error = "cannot clear the second notepad";
      break;
    }
    if (!ToFront(raw_pad.frame)) {
      error = "the second notepad does not come to the front";
      break;
    }
    {
      ArrivalWatch watch(raw_pad.edit, expected);
      const double t0 = Seconds();
      const UINT sent = SendInput(static_cast<UINT>(raw_inputs.size()),
                                  const_cast<INPUT*>(raw_inputs.data()), sizeof(INPUT));
      std::wstring last;
      const std::optional<double> at = watch.Wait(&last);
      if (sent != raw_inputs.size()) {
        error = "SendInput took " + std::to_string(sent) + " of " +
                std::to_string(raw_inputs.size()) + " events";
        break;
      }
      if (!at) {
        ReportDifference("raw", expected, last);
        error = "raw: the text did not arrive complete and in order";
        break;
      }
      raw_ms.push_back((*at - t0) * 1e3);
    }
  }
  EndNotepad(&ours_pad);
  EndNotepad(&raw_pad);
  DeleteFileW(qm::Utf8ToWide(data_file).c_str());
  RemoveDirectoryW(dir.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "typing_pace_bench: %s\n", error.c_str());
    return 1;
  }

  std::printf(
      "Typing %zu characters (%zu key events, an Enter about every %zu characters) into\n"
      "Wine's notepad: complete and in order on every side in every run.\n"
      "From the first key until the edit control holds the whole text (polled every\n"
      "%lu ms), medians of %d alternating runs:\n\n",
      kChars, keys.events.size(), kLineChars, static_cast<unsigned long>(kPollMs), runs);
  std::printf("  ours (Sender::SendEntry, %d batches with catch-up)  %9.0f ms  (%.0f chars/s)\n",
              ours.batches, Median(ours.ms), kChars / Median(ours.ms) * 1e3);
  std::printf("  raw  (one SendInput of all events)                %9.0f ms  (%.0f chars/s)\n",
              Median(raw_ms), kChars / Median(raw_ms) * 1e3);
  std::printf("  keys (ours as the layout's keys, %d batches)       %9.0f ms  (%.0f chars/s)\n",
              keys_side.batches, Median(keys_side.ms), kChars / Median(keys_side.ms) * 1e3);
  std::printf("  key events: ours %d, keys %d\n", ours.events, keys_side.events);
  std::printf("\n  ours from the SendEntry call (file read, target to the front): %.0f ms\n",
              Median(ours.call_ms));
  std::printf("  in CatchUp: ours %.0f ms in all, the longest one %.0f ms; keys %.0f ms, %.0f ms\n",
              Median(ours.catch_up_ms), Median(ours.longest_ms), Median(keys_side.catch_up_ms),
              Median(keys_side.longest_ms));
  const auto runs_of = [](const char* name, const std::vector<double>& ms) {
    std::printf("  runs %-5s ms:", name);
    for (double v : ms) std::printf(" %.0f", v);
    std::printf("\n");
  };
  runs_of("ours", ours.ms);
  runs_of("raw", raw_ms);
  runs_of("keys", keys_side.ms);
  const double ratio = Median(ours.ms) / Median(raw_ms);
  std::printf("\nratio ours/raw of the medians: %.2f (target at most 1.15)%s\n", ratio,
              ratio <= 1.15 ? "" : "  MISSED");
  const double keys_ratio = Median(keys_side.ms) / Median(ours.ms);
  std::printf("ratio keys/ours (typing) of the medians: %.2f (target at most 1.15)%s\n", keys_ratio,
              keys_ratio <= 1.15 ? "" : "  MISSED");
  return 0;
}
