// What a send's receipt adds to the send, under Wine: the focused control of notepad read
// before the keys and again after them, compared, and the line written to a send log that
// already holds its 10,000 lines; and a send into a window without a readable control.
// Prints the medians and the 99th percentiles and whether they stay under the limits.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/notepad_target_win32.h"
#include "platform/file_system_win32.h"
#include "platform/settings_store.h"
#include "quillet/receipt/accessible_text_win32.h"
#include "quillet/receipt/control_reader_win32.h"
#include "quillet/receipt/receipt.h"
#include "quillet/receipt/send_log.h"

namespace {

using namespace qm;
using namespace qm::bench;

constexpr int kSends = 60;
constexpr double kLimitMs = 50;       // added to a send into notepad
constexpr double kUnreadableMs = 1;   // added to a send without a readable control

class MemorySettings : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& s, const std::string& k) override {
    const auto it = values_.find(s + "\\" + k);
    return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  Status Write(const std::string& s, const std::string& k, const std::string& v) override {
    values_[s + "\\" + k] = v;
    return Status::Ok();
  }

 private:
  std::map<std::string, std::string> values_;
};

class SleepPace : public TypingPace {
 public:
  bool CatchUp(WindowHandle, std::size_t) override { return true; }
  void StartEscapeWatch() override {}
  void StopEscapeWatch() override {}
  bool EscapePressed() override { return false; }
  void Wait(int ms) override { Sleep(static_cast<DWORD>(ms)); }
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

WindowHandle Handle(HWND w) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(w));
}

struct Run {
  std::vector<double> added_ms;
  int arrived = 0;
};

// `sends` sends of a line into `window`; `replace` puts the line where the caret is, as the
// keys would.
template <typename Replace>
Run Measure(Receipt& receipt, HWND window, const std::string& line, Replace replace) {
  Run run;
  SendEnd end;
  end.window = Handle(window);
  end.entry_name = "Bench";
  end.sent = line;
  end.characters = line.size();
  for (int i = 0; i < kSends; ++i) {
    const double t0 = Seconds();
    receipt.BeforeKeys(Handle(window));
    const double t1 = Seconds();
    replace();
    const double t2 = Seconds();
    receipt.AfterSend(end);
    const double t3 = Seconds();
    run.added_ms.push_back(((t1 - t0) + (t3 - t2)) * 1000);
    run.arrived += receipt.last() && receipt.last()->arrival == Arrival::kArrived;
  }
  return run;
}

// The verdict by the 99th percentile, or by the median where the limit is what a send
// typically costs more.
void Print(const char* what, const Run& run, double limit, bool by_median = false) {
  const double p99 = Percentile(run.added_ms, 0.99), median = Median(run.added_ms);
  const double judged = by_median ? median : p99;
  std::printf("%-44s median %7.2f ms  p99 %7.2f ms  (%s under %.0f ms: %s)  angekommen %d/%d\n",
              what, median, p99, by_median ? "median" : "p99", limit,
              judged < limit ? "met" : "NOT met", run.arrived, kSends);
}

}  // namespace

int main() {
  const std::wstring folder = MakeRunFolder(L"receipt-bench");
  const std::string log = WideToUtf8(folder) + "\\Versandprotokoll.csv";
  // A log at its limit: every send reads and rewrites all of it.
  const SendLogLine l{{2026, 12, 10, 9, 0, 0, 0}, "Angebot", "notepad.exe", "Notepad", "Tippen",
                      120, Arrival::kArrived};
  const std::string full = LogWithLine("", l);
  const std::string rows = full.substr(full.find("\r\n") + 2);
  std::string many = full;
  for (std::size_t i = 1; i < kSendLogLines; ++i) many += rows;
  WriteDatedFile(Utf8ToWide(log), many);

  Notepad pad;
  if (!StartNotepad(&pad) || !ToFront(pad.frame)) {
    std::printf("notepad did not start\n");
    return 1;
  }
  std::unique_ptr<FileSystem> fs = MakeOsFileSystem();
  std::unique_ptr<Desktop> desktop = MakeWin32Desktop();
  std::unique_ptr<WindowProcesses> processes = MakeWin32WindowProcesses();
  std::unique_ptr<Clock> clock = MakeWin32Clock();
  std::unique_ptr<ControlReader> reader = MakeWin32ControlReader();
  MemorySettings store;
  UserSettings settings(store, "Quillet");
  SleepPace pace;
  std::string path = log;
  Receipt receipt(ReceiptServices{*reader, *desktop, *processes, *clock, pace, *fs, settings,
                                  [&] { return path; }, nullptr, nullptr});

  receipt.ReadAhead();  // as the program does a while after its start
  const std::string line = "Mit freundlichen Gr\xC3\xBC\xC3\x9F" "en, Ihr Team\r\n";
  const std::wstring wide = Utf8ToWide(line);
  const auto insert = [&] {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(pad.edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()),
                        SMTO_BLOCK, 5000, &r);
  };
  std::printf("receipt_bench: %d sends each, the log at %zu lines\n", kSends, kSendLogLines);
  Clear(pad);
  Print("notepad, short text, log written", Measure(receipt, pad.frame, line, insert),
        kLimitMs);
  // A long letter in the editor, as long as a control may be to be read.
  const std::wstring letter = Utf8ToWide(ProseText(28'000));
  const auto write_letter = [&] {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(pad.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(letter.c_str()),
                        SMTO_BLOCK, 5000, &r);
  };
  write_letter();
  Print("notepad, 28,000 characters, log written", Measure(receipt, pad.frame, line, insert),
        kLimitMs);
  path.clear();
  write_letter();
  Print("notepad, 28,000 characters, no log", Measure(receipt, pad.frame, line, insert),
        kLimitMs);
  // The way a browser's or an office program's field is read, tried on notepad's edit: one
  // question through accessibility, as each reading of such a field asks it.
  {
    std::vector<double> ms;
    std::size_t chars = 0;
    for (int i = 0; i < kSends; ++i) {
      const double t0 = Seconds();
      const std::optional<AccessibleText> field = FocusedAccessibleText(pad.edit, 200);
      ms.push_back((Seconds() - t0) * 1000);
      chars = field ? field->text.size() : 0;
    }
    std::printf("%-44s median %7.2f ms  p99 %7.2f ms  (%zu bytes of text)\n",
                "one accessibility question, notepad's edit", Median(ms), Percentile(ms, 0.99),
                chars);
  }
  // A frame without an edit, run by a thread of its own as another program's would be:
  // nothing to read, nothing logged.
  HWND bare = nullptr;
  DWORD frame_thread = 0;
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread frame([&] {
    bare = CreateWindowExW(0, L"STATIC", L"ohne Eingabefeld", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                           0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    frame_thread = GetCurrentThreadId();
    SetEvent(made);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  });
  WaitForSingleObject(made, INFINITE);
  ToFront(bare);
  Print("a window without a readable control, no log", Measure(receipt, bare, line, [] {}),
        kUnreadableMs, true);
  PostMessageW(bare, WM_CLOSE, 0, 0);
  PostThreadMessageW(frame_thread, WM_QUIT, 0, 0);
  frame.join();
  CloseHandle(made);
  EndNotepad(&pad);
  return 0;
}
