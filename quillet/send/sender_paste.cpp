// The sender's paste: the paste key and the text as the clipboard offers it, the user's
// clipboard saved around the paste and put back, and what follows the paste typed after it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quillet/send/sender.h"
#include "quillet/send/sender_shared.h"

namespace qm {
namespace {

// Virtual keys of the paste keys.
constexpr std::uint16_t kVkShift = 0x10;
constexpr std::uint16_t kVkControl = 0x11;
constexpr std::uint16_t kVkInsert = 0x2D;
constexpr std::uint16_t kVkV = 0x56;

// What the user can do when a target does not take a paste.
std::string PasteAdvice(Delivery d, const std::string& key) {
  if (d == Delivery::kConsole) {
    return "Die Konsole erhält den Text über ihr Systemmenü (Alt+Leertaste, B, E).";
  }
  return "Der Text wurde mit " + key +
         " eingefügt. Fügt das Programm mit einer anderen Taste ein, legen Sie in den Optionen "
         "eine Regel dafür an; oder stellen Sie die Zustellung des Eintrags auf „Tippen“.";
}

}  // namespace

KeySequence PasteKeys(Delivery d, std::string* name) {
  if (d == Delivery::kConsole) {
    *name = kDosBoxKeystrokes;
    return ParseKeystrokes(kDosBoxKeystrokes);
  }
  std::vector<std::uint16_t> held = {kVkControl};
  std::uint16_t key = kVkV;
  *name = "Strg+V";
  if (d == Delivery::kPasteCtrlShiftV) {
    held.push_back(kVkShift);
    *name = "Strg+Umschalt+V";
  } else if (d == Delivery::kPasteShiftInsert) {
    held = {kVkShift};
    key = kVkInsert;
    *name = "Umschalt+Einfg";
  }
  KeySequence keys;
  for (const std::uint16_t vk : held)
    keys.events.push_back({KeyEvent::Kind::kVirtualKey, vk, false});
  // Insert beside the letters is the extended one; scan code 0 takes the system's own.
  keys.events.push_back({KeyEvent::Kind::kVirtualKey, key, false, 0, key == kVkInsert});
  keys.events.push_back({KeyEvent::Kind::kVirtualKey, key, true, 0, key == kVkInsert});
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    keys.events.push_back({KeyEvent::Kind::kVirtualKey, *it, true});
  }
  keys.stroke_ends.push_back(keys.events.size());
  return keys;
}

std::string PasteText(const std::string& plain) {
  const std::string text = WithoutCommandCharacters(plain);
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

SendOutcome Sender::Paste(WindowHandle window, const std::string& title) {
  const std::unique_ptr<ClipboardContents> saved = s_.clipboard.Save();
  if (!saved) return ClipboardBusy();
  if (!s_.clipboard.OfferForPaste(*paste_text_, paste_formats_)) {
    s_.clipboard.Restore(*saved);
    return ClipboardBusy();
  }
  const Typing typing = TypeKeys(window);
  const bool taken =
      typing.stop == Stop::kNone &&
      Patiently(kPastePatienceMs, kPasteRetryMs, [this] { return s_.clipboard.PasteTaken(); });
  // Put back before any message, so that the text is not there while a box waits.
  const bool restored = s_.clipboard.Restore(*saved);
  const SendOutcome outcome = AfterPaste(window, title, typing.stop, taken);
  // Told last: a box in front would take the keys that were still to follow the paste.
  if (!restored) {
    BeforeNotice();
    s_.dialogs.ShowMessage(
        "Der vorherige Inhalt der Zwischenablage konnte noch nicht wiederhergestellt werden, weil "
        "sie gerade von einem anderen Programm benutzt wird. Quillet legt ihn zurück, sobald sie "
        "frei ist, es sei denn, bis dahin wird etwas Neues kopiert.",
        app_title_, MessageIcon::kExclamation, MessageButtons::kOk);
  }
  return outcome;
}

SendOutcome Sender::AfterPaste(WindowHandle window, const std::string& title, Stop stop,
                               bool taken) {
  if (stop != Stop::kNone) return Stopped(stop, kNothingSent);
  if (!taken) {
    Refuse(TargetName(title) + " hat den Text nicht aus der Zwischenablage übernommen.",
           PasteAdvice(delivery_, keystroke_text_));
    return SendOutcome::kNotPasted;
  }
  if (!after_paste_.events.empty()) {
    const std::size_t pasted = strokes_out_;
    keys_ = std::move(after_paste_);
    const Typing after = TypeKeys(window);
    strokes_out_ += pasted;
    if (after.stop != Stop::kNone) {
      return Stopped(after.stop, "Der Text wurde eingefügt, was danach folgen sollte, nicht.");
    }
  }
  return SendOutcome::kTyped;
}

SendOutcome Sender::ClipboardBusy() {
  BeforeNotice();
  // The paste keys would otherwise paste whatever the clipboard held before.
  s_.dialogs.ShowMessage(
      "Der Text konnte nicht in die Zwischenablage gelegt werden; vermutlich wird sie "
      "gerade von einem anderen Programm benutzt.\r\n" +
          std::string(kNothingSent),
      app_title_, MessageIcon::kExclamation, MessageButtons::kOk);
  return SendOutcome::kClipboardFailed;
}

}  // namespace qm
