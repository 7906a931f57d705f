// Pasting 20,000 characters into Wine's notepad through the sender, from the send call until the
// clipboard holds again what the user copied, beside typing the same prose (a part, scaled).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support_win32.h"
#include "bench/notepad_target_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/send/sender.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

constexpr std::size_t kPasteChars = 20'000;
// Typing the whole text takes minutes under Wine; a tenth of it is typed and scaled.
constexpr std::size_t kTypedChars = 2'000;
constexpr double kTargetMs = 1000;

// The real clipboard, noting how long each step took and when the paste was taken.
class TimedClipboard : public qm::Clipboard {
 public:
  bool Clear() override { return real_->Clear(); }
  std::optional<std::string> ReadText() override { return real_->ReadText(); }
  bool WriteText(const std::string& text) override { return real_->WriteText(text); }
  bool HasPicture() override { return real_->HasPicture(); }
  std::optional<std::string> ReadPicture() override { return real_->ReadPicture(); }
  std::unique_ptr<qm::ClipboardContents> Save() override {
    const double t = Seconds();
    auto saved = real_->Save();
    save = Seconds() - t;
    return saved;
  }
  bool OfferForPaste(const std::string& text, const qm::PasteFormats& formats) override {
    const double t = Seconds();
    const bool ok = real_->OfferForPaste(text, formats);
    offer = Seconds() - t;
    return ok;
  }
  bool PasteTaken() override {
    const bool taken = real_->PasteTaken();
    if (taken && taken_at == 0) taken_at = Seconds();
    return taken;
  }
  bool Restore(const qm::ClipboardContents& saved) override {
    const double t = Seconds();
    const bool ok = real_->Restore(saved);
    restored_at = Seconds();
    restore = restored_at - t;
    return ok;
  }
  void Reset() { save = offer = restore = taken_at = restored_at = 0; }

  double save = 0, offer = 0, restore = 0;  // seconds
  double taken_at = 0, restored_at = 0;     // moments, as Seconds() tells them

 private:
  std::unique_ptr<qm::Clipboard> real_ = qm::MakeWin32Clipboard(nullptr);
};

// What the user copied last: a line of text, or that and a screen-sized picture.
void CopyUserContent(bool picture) {
  OpenClipboard(nullptr);
  EmptyClipboard();
  const std::wstring text = L"vorher kopiert";
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  if (picture) {
    const LONG width = 1920, height = 1080;
    const SIZE_T bytes = sizeof(BITMAPINFOHEADER) + static_cast<SIZE_T>(width) * height * 4;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    *header = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    auto* pixels = reinterpret_cast<DWORD*>(header + 1);
    for (LONG i = 0; i < width * height; ++i) pixels[i] = static_cast<DWORD>(i * 2654435761u);
    GlobalUnlock(dib);
    SetClipboardData(CF_DIB, dib);
  }
  CloseClipboard();
}

std::optional<std::wstring> ClipboardText() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::wstring> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

struct PasteRun {
  double done = 0, restored = 0, arrived = 0, save = 0, offer = 0, keys = 0, taken = 0, waited = 0,
         restore = 0;
};

// Prints one kind of run; the median time until both text and clipboard are done.
double PrintPasteRow(const char* what, const std::vector<PasteRun>& runs) {
  std::vector<double> done, restored, arrived, save, offer, keys, taken, waited, restore;
  for (const PasteRun& r : runs) {
    done.push_back(r.done);
    restored.push_back(r.restored);
    arrived.push_back(r.arrived);
    save.push_back(r.save);
    offer.push_back(r.offer);
    keys.push_back(r.keys);
    taken.push_back(r.taken);
    waited.push_back(r.waited);
    restore.push_back(r.restore);
  }
  std::printf("  paste, the clipboard held %s:\n", what);
  std::printf("    from the send call until the clipboard is restored %7.0f ms\n",
              Median(restored));
  std::printf("    from the send call until notepad holds the text    %7.0f ms\n", Median(arrived));
  std::printf(
      "    of which: Save %.0f ms, offer %.0f ms, Restore %.0f ms; the paste key went out %.0f ms\n"
      "    after the call, the sender saw the text taken at %.0f ms, after waiting %.0f ms for "
      "it\n",
      Median(save), Median(offer), Median(restore), Median(keys), Median(taken), Median(waited));
  std::printf("    runs (both done, ms):");
  for (double v : done) std::printf(" %.0f", v);
  std::printf("\n");
  return Median(done);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string text = ProseText(kPasteChars);
  const std::string part = ProseText(kTypedChars);
  const std::wstring expected = Expected(text), expected_part = Expected(part);

  const std::wstring dir = MakeRunFolder(L"qm-paste-bench");
  const std::string data_file = qm::WideToUtf8(dir + L"\\Quillet.ini");
  if (!WriteLibrary(data_file, {text, part}, {"Einf\xC3\xBCgen", "Tippen"})) {
    std::fprintf(stderr, "cannot write the library %s\n", data_file.c_str());
    return 1;
  }
  Notepad pad;
  if (!StartNotepad(&pad)) {
    std::fprintf(stderr, "cannot start notepad\n");
    EndNotepad(&pad);
    return 1;
  }
  MoveWindow(pad.frame, 0, 0, 900, 700, TRUE);

  TimedClipboard clipboard;
  SenderRig rig;
  TimedKeyboard& keyboard = rig.keyboard;
  TimedPace& pace = rig.pace;
  NotedDialogs& dialogs = rig.dialogs;
  qm::Sender sender(rig.Services(clipboard), data_file);
  sender.SetLastUsedWindow(reinterpret_cast<std::uintptr_t>(pad.frame));

  std::string error;
  double call_at = 0;
  // Sends one entry into the cleared notepad; how long after the call (at `call_at`) the text was
  // there, or nullopt after `error`.
  const auto send = [&](int entry, const std::wstring& want) -> std::optional<double> {
    if (!Clear(pad)) {
      error = "cannot clear notepad";
      return std::nullopt;
    }
    keyboard.Reset();
    pace.Reset();
    clipboard.Reset();
    dialogs.messages.clear();
    ArrivalWatch watch(pad.edit, want);
    call_at = Seconds();
    const qm::SendOutcome outcome =
        sender.SendEntry(entry, entry == 1 ? "Messtext" : "Messtext " + std::to_string(entry));
    std::wstring last;
    const std::optional<double> at = watch.Wait(&last);
    if (outcome != qm::SendOutcome::kTyped || !dialogs.messages.empty()) {
      error = "entry " + std::to_string(entry) + " was not sent: " +
              (dialogs.messages.empty() ? std::string("no message") : dialogs.messages.back());
      return std::nullopt;
    }
    if (!at) {
      ReportDifference("notepad", want, last);
      error = "the text did not arrive complete and in order";
      return std::nullopt;
    }
    return *at - call_at;
  };

  std::vector<PasteRun> with_text, with_picture;
  std::vector<double> typed_ms, typed_setup_ms;
  // Alternating, so that a slow phase of a shared machine falls on every side alike.
  for (int run = 0; run < runs && error.empty(); ++run) {
    for (bool picture : {false, true}) {
      CopyUserContent(picture);
      const std::optional<double> arrived = send(1, expected);
      if (!arrived) break;
      if (ClipboardText() != std::wstring(L"vorher kopiert")) {
        error = "the clipboard was not restored";
        break;
      }
      PasteRun r;
      r.arrived = *arrived * 1e3;
      r.restored = (clipboard.restored_at - call_at) * 1e3;
      r.save = clipboard.save * 1e3;
      r.offer = clipboard.offer * 1e3;
      r.keys = (keyboard.first() - call_at) * 1e3;
      r.taken = clipboard.taken_at > 0 ? (clipboard.taken_at - call_at) * 1e3 : -1;
      r.waited = pace.waited() * 1e3;
      r.restore = clipboard.restore * 1e3;
      r.done = std::max(r.restored, r.arrived);
      (picture ? with_picture : with_text).push_back(r);
    }
    if (!error.empty()) break;
    if (run == 0) {  // typing is slow; once is enough for the comparison
      const std::optional<double> typed = send(2, expected_part);
      if (!typed) break;
      typed_ms.push_back(*typed * 1e3);
      typed_setup_ms.push_back((keyboard.first() - call_at) * 1e3);
    }
  }
  EndNotepad(&pad);
  DeleteFileW(qm::Utf8ToWide(data_file).c_str());
  RemoveDirectoryW(dir.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "paste_pace_bench: %s\n", error.c_str());
    return 1;
  }

  std::printf(
      "A snippet of %zu characters (an Enter about every %zu) into Wine's notepad through\n"
      "Sender::SendEntry, complete and in order in every run; medians of %d runs:\n\n",
      kPasteChars, kLineChars, runs);
  const double paste_ms = PrintPasteRow("a line of text", with_text);
  const double picture_ms = PrintPasteRow("that and a 1920 x 1080 picture", with_picture);
  // The keys go out at an even pace: the time before the first key is once, the rest scales.
  const double scale = static_cast<double>(kPasteChars) / kTypedChars;
  const double setup = Median(typed_setup_ms);
  const double typed_whole = setup + (Median(typed_ms) - setup) * scale;
  std::printf(
      "\n  typing the same prose, measured on the first %zu characters: %.0f ms from the send\n"
      "  call (%.0f ms of it before the first key); scaled to %zu characters (the keys' time\n"
      "  x%.0f): %.0f ms\n",
      kTypedChars, Median(typed_ms), setup, kPasteChars, scale, typed_whole);
  std::printf(
      "\npaste from the call until text and clipboard are both done: %.0f ms; ratio to the\n"
      "target of %.0f ms: %.2f (target at most 1.00)%s\n"
      "with the picture on the clipboard: %.0f ms, ratio %.2f%s\n"
      "paste against typing the same text: %.0f times as fast\n",
      paste_ms, kTargetMs, paste_ms / kTargetMs, paste_ms <= kTargetMs ? "" : "  MISSED",
      picture_ms, picture_ms / kTargetMs, picture_ms <= kTargetMs ? "" : "  MISSED",
      typed_whole / paste_ms);
  return 0;
}
