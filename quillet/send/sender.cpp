// The sender: prepares a snippet entry's text and types it into the window it is meant for.
#include "quillet/send/sender.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "quillet/send/layout_keys.h"
#include "quillet/send/placeholders.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

// What a slow target (a plain editor under Wine) takes in; most take it in faster, so the
// question about a long text names the longest it may take.
constexpr std::size_t kAssumedCharsPerSecond = 100;

const char* const kNothingSent = "Es wurde nichts übertragen.";

// "Das Zielfenster „Editor“" or, without a title, "Das Zielfenster".
std::string TargetName(const std::string& title) {
  return title.empty() ? "Das Zielfenster" : "Das Zielfenster „" + title + "“";
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Virtual keys of the paste keys.
constexpr std::uint16_t kVkShift = 0x10;
constexpr std::uint16_t kVkControl = 0x11;
constexpr std::uint16_t kVkInsert = 0x2D;
constexpr std::uint16_t kVkV = 0x56;

// The paste key of a paste delivery as one stroke (the console's system menu as three), and
// its name in the paste key's notation or as the user knows it.
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

// What a paste puts on the clipboard: the text without its command characters, each line
// break (CR, LF, or the pair) as CR LF, as every program pastes it.
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

std::string FolderOf(const std::string& path) {
  const std::size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string GroupedNumber(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ".");
  return digits;
}

std::string TypingDuration(std::size_t chars) {
  const std::size_t seconds = (chars + kAssumedCharsPerSecond - 1) / kAssumedCharsPerSecond;
  if (seconds < 60) return Plural(seconds, "Sekunde", "Sekunden");
  const std::size_t minutes = (seconds + 30) / 60;
  if (minutes < 60) return Plural(minutes, "Minute", "Minuten");
  std::string text = Plural(minutes / 60, "Stunde", "Stunden");
  if (minutes % 60) text += " und " + Plural(minutes % 60, "Minute", "Minuten");
  return text;
}

// Icon clicks and timers run while the sender waits for a window or a dialog; a second send
// then must not replace the text that the first one is typing.
// The send's notice lives as long as the send: it may refer to the caller's state.
class Sender::BusyScope {
 public:
  BusyScope(Sender& sender, std::function<void()> before_notice) : sender_(sender) {
    sender_.busy_ = true;
    sender_.before_notice_ = std::move(before_notice);
  }
  ~BusyScope() {
    sender_.busy_ = false;
    sender_.before_notice_ = nullptr;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Sender& sender_;
};

Sender::Sender(const SenderServices& services, const std::string& data_file)
    : s_(services), data_file_(data_file) {}

SendOutcome Sender::SendEntry(int entry_number, const std::string& entry_name) {
  if (busy_) return SendOutcome::kBusy;
  BusyScope busy(*this, nullptr);
  SnippetEntry entry;
  if (const std::optional<SendOutcome> failed = PrepareEntry(entry_number, entry_name, &entry)) {
    return *failed;
  }
  const std::string target_title = TrimBlanks(entry.title);
  return target_title.empty() ? SendToLastWindow() : SendToTitledWindow(target_title);
}

SendOutcome Sender::SendEntry(int entry_number, const std::string& entry_name,
                              const SendInto& into) {
  if (busy_) return SendOutcome::kBusy;
  BusyScope busy(*this, into.before_notice);
  SnippetEntry entry;
  if (const std::optional<SendOutcome> failed = PrepareEntry(entry_number, entry_name, &entry)) {
    return *failed;
  }
  around_ = into;
  return into.window == 0 ? NoTarget() : TypeIntoWindow(into.window);
}

SendOutcome Sender::SendText(const std::string& plain, const SendInto& into) {
  if (busy_) return SendOutcome::kBusy;
  BusyScope busy(*this, into.before_notice);
  snippet_characters_ = 0;
  strokes_out_ = 0;
  Prepare(plain, DeliveryWish{"", false, CountCodePoints(plain)}, into);
  return into.window == 0 ? NoTarget() : TypeIntoWindow(into.window);
}

std::optional<SendOutcome> Sender::PrepareEntry(int entry_number, const std::string& entry_name,
                                                SnippetEntry* entry) {
  snippet_characters_ = 0;
  strokes_out_ = 0;
  // Another program may have deleted or moved entries since the menu was built: whatever now
  // has that number may be another entry, an enciphered one even.
  EntryLocation where;
  const Status read =
      s_.entries.ReadKnownEntry({entry_number, entry_name, {}}, data_file_, entry, &where);
  if (!read || where.number == 0) {
    const std::string entry_text = "Der Eintrag \xE2\x80\x9E" + entry_name + "\xE2\x80\x9C ";
    if (!read) {
      Refuse(entry_text + "kann nicht gelesen werden. " + read.message);
    } else if (where.place == EntryPlace::kGone) {
      Refuse(entry_text + "existiert nicht mehr in der Datendatei.");
    } else {
      Refuse(entry_text +
             "steht nicht mehr unter seiner Nummer in der Datendatei, und mehrere "
             "Einträge tragen diesen Namen.");
    }
    return SendOutcome::kNoEntry;
  }
  const std::string text = ExpandPlaceholders(UnescapeStoredText(entry->text), s_.clock, s_.fs,
                                              s_.ansi, FolderOf(data_file_));
  Prepare(text, DeliveryWish{entry->delivery, entry->dosbox != 0, CountCodePoints(text)}, {});
  return std::nullopt;
}

void Sender::Prepare(const std::string& text, const DeliveryWish& wish, const SendInto& around) {
  plain_ = text;
  wish_ = wish;
  around_ = around;
  delivery_ = Delivery::kType;
  // The clipboard is written only once a target has passed its checks: a refused send must
  // leave the user's clipboard as it was.
  paste_text_.reset();
  keystroke_text_ = KeystrokeTextFor(text, false);
}

Delivery Sender::DeliveryFor(WindowHandle window) {
  const std::shared_ptr<const IniDocument> doc = s_.entries.Snapshot(data_file_);
  DeliveryWish wish = wish_;
  wish.paste_from = PasteFrom(doc.get());
  return ChooseDelivery(ReadDeliveryRules(doc.get()), s_.processes.ProgramFile(window),
                        s_.desktop.ClassName(window), wish);
}

void Sender::BuildKeys(WindowHandle window) {
  KeySequence snippet;
  if (Pastes(delivery_)) {
    paste_text_ = PasteText(plain_);
    snippet = PasteKeys(delivery_, &keystroke_text_);
  } else {
    keystroke_text_ = KeystrokeTextFor(plain_, false);
    snippet = ParseKeystrokes(keystroke_text_);
  }
  KeySequence keys;
  for (int i = 0; i < around_.erase; ++i) {
    keys.events.push_back({KeyEvent::Kind::kVirtualKey, kVkBack, false});
    keys.events.push_back({KeyEvent::Kind::kVirtualKey, kVkBack, true});
    keys.stroke_ends.push_back(keys.events.size());
  }
  erase_strokes_ = keys.strokes();
  snippet_strokes_ = snippet.strokes();
  pause_after_ = Pastes(delivery_) ? kNoPause : erase_strokes_ + snippet_strokes_;
  KeySequence after = ParseKeystrokes(KeystrokeTextFor(around_.then_type, false));
  after_paste_ = KeySequence();
  // What follows a paste waits until the target has the text: a terminal pastes in its own
  // time, and an Enter typed at once could run the command line before the text is in it.
  if (Pastes(delivery_)) std::swap(after, after_paste_);
  for (const KeySequence* part :
       {static_cast<const KeySequence*>(&snippet), static_cast<const KeySequence*>(&after)}) {
    const std::size_t base = keys.events.size();
    keys.events.insert(keys.events.end(), part->events.begin(), part->events.end());
    for (const std::size_t end : part->stroke_ends) keys.stroke_ends.push_back(base + end);
  }
  // Strokes stay strokes, so the counts above hold for the layout's keys as well.
  if (delivery_ == Delivery::kKeys) {
    keys = WithLayoutKeys(keys, s_.layouts, s_.layouts.LayoutOf(window));
  }
  keys_ = std::move(keys);
}

bool Sender::ConfirmLongText(std::size_t chars) {
  if (chars <= kLongTextChars) return true;
  const std::string question =
      "Der Text ist nach dem Einsetzen der Platzhalter " + GroupedNumber(chars) +
      " Zeichen lang. Das Tippen kann bis zu etwa " + TypingDuration(chars) +
      " dauern.\r\n\r\nSoll er trotzdem übertragen werden?";
  return s_.dialogs.ShowMessage(question, app_title_, MessageIcon::kQuestion,
                                MessageButtons::kYesNoDefaultNo) == MessageAnswer::kYes;
}

SendOutcome Sender::SendToTitledWindow(const std::string& target_title) {
  std::vector<TargetCandidate> candidates = FindTitledWindows(s_.desktop, target_title);
  if (candidates.empty()) return NoTarget();
  if (candidates.size() == 1) return TypeIntoWindow(candidates.front().window);
  SortForChoice(candidates);
  const std::optional<std::size_t> chosen = s_.chooser.Choose(candidates);
  if (!chosen || *chosen >= candidates.size()) return SendOutcome::kChoiceCancelled;
  return TypeIntoWindow(candidates[*chosen].window);
}

SendOutcome Sender::SendToLastWindow() {
  if (last_used_window_ == 0) return NoTarget();
  return TypeIntoWindow(last_used_window_);
}

SendOutcome Sender::NoTarget() {
  BeforeNotice();
  s_.dialogs.ShowMessage(
      "Es wurde kein passendes Zielfenster identifiziert.\rDie Übertragung wird daher "
      "abgebrochen.",
      app_title_, MessageIcon::kStop, MessageButtons::kOk);
  return SendOutcome::kNoTarget;
}

SendOutcome Sender::TypeIntoWindow(WindowHandle window) {
  if (const Refusal unfit = Unfit(window); !unfit.why.empty()) {
    return Refuse(unfit.why, unfit.advice);
  }
  const std::string title = WindowTitle(s_.desktop, window);
  delivery_ = DeliveryFor(window);
  // Pasting is quick however long the text; only typing can take hours.
  if (!Pastes(delivery_) && !ConfirmLongText(wish_.chars)) return SendOutcome::kDeclined;
  BuildKeys(window);
  if (!ComeToFront(window)) {
    if (!s_.desktop.Exists(window)) return Refuse("Das Zielfenster ist nicht mehr geöffnet.");
    return Refuse(TargetName(title) + " ließ sich nicht in den Vordergrund holen.",
                  "So gelangt der Text nicht versehentlich in ein anderes Fenster.");
  }
  // Whatever the program still has to do (a menu or dialog closing) is done before the
  // first key, and no key the user still holds is mixed into the text.
  s_.pace.Wait(0);
  ReleaseUsersKeys();
  if (paste_text_) return Paste(window, title);
  const Typing typing = TypeKeys(window);
  if (typing.stop == Stop::kNone) {
    snippet_characters_ = snippet_strokes_;
    return SendOutcome::kTyped;
  }
  return Stopped(typing.stop, "Bis dahin wurden " + GroupedNumber(typing.typed) + " von " +
                                  GroupedNumber(keys_.strokes()) + " Zeichen übertragen.");
}

Sender::Refusal Sender::Unfit(WindowHandle window) {
  if (window == 0 || !s_.desktop.Exists(window)) {
    return {"Das Zielfenster ist nicht mehr geöffnet.", ""};
  }
  const std::string target = TargetName(WindowTitle(s_.desktop, window));
  if (!s_.desktop.IsVisible(window)) {
    return {target + " ist nicht sichtbar und kann keine Eingaben empfangen.", ""};
  }
  switch (s_.desktop.WhyNeverTarget(window)) {
    case NeverTarget::kOwnProcess:
      return {target + " gehört zu Quillet selbst.", ""};
    case NeverTarget::kShell:
      return {target + " ist der Desktop oder die Taskleiste von Windows.", ""};
    case NeverTarget::kCloaked:
      return {target +
                  " ist von Windows verborgen (etwa auf einem anderen virtuellen "
                  "Desktop) und kann keine Eingaben empfangen.",
              ""};
    case NeverTarget::kNo:
      break;
  }
  switch (s_.processes.DeliveryTo(window)) {
    case KeyDelivery::kDropped:
      return {target +
                  " gehört zu einem Programm, das mit höheren Rechten läuft (als "
                  "Administrator). Windows verwirft Tastatureingaben an solche Programme ohne "
                  "jede Rückmeldung.",
              "Um in dieses Fenster zu schreiben, starten Sie Quillet ebenfalls als "
              "Administrator."};
    case KeyDelivery::kUnknown:
      return {target +
                  " gehört zu einem Programm, dessen Rechte Quillet nicht feststellen kann, "
                  "und so lässt sich nicht sagen, ob Tastatureingaben dort ankommen: Windows "
                  "verwirft sie ohne jede Rückmeldung, wenn es mit höheren Rechten läuft.",
              "Falls das Programm als Administrator läuft, starten Sie Quillet ebenfalls als "
              "Administrator."};
    case KeyDelivery::kDelivered:
      break;
  }
  return {};
}

void Sender::ReleaseUsersKeys() {
  std::vector<KeyEvent> held;
  for (const std::uint16_t vk : s_.keyboard.HeldModifiers()) {
    held.push_back({KeyEvent::Kind::kVirtualKey, vk, false});
  }
  if (!held.empty()) s_.keyboard.Send(ReleasingEvents(std::move(held)));
}

bool Sender::Patiently(int patience_ms, int retry_ms, const std::function<bool()>& done) {
  for (int waited = 0;; waited += retry_ms) {
    if (done()) return true;
    if (waited >= patience_ms) return false;
    s_.pace.Wait(retry_ms);
  }
}

bool Sender::ComeToFront(WindowHandle window) {
  // The system may hand over the foreground a moment late, or only at a second request, and
  // a minimised window restores itself in its own time.
  bool gone = false;
  const bool done = Patiently(kForegroundPatienceMs, kForegroundRetryMs, [&] {
    gone = !s_.desktop.Exists(window);
    // Being the foreground window is not enough: a minimised one may be, and takes no keys.
    return gone || s_.desktop.BringToFront(window);
  });
  return done && !gone;
}

Sender::Stop Sender::CheckStillTarget(WindowHandle window) {
  if (!s_.desktop.Exists(window)) return Stop::kClosed;
  if (s_.desktop.Foreground() != window) return Stop::kSwitched;
  if (s_.pace.EscapePressed()) return Stop::kEscape;
  return Stop::kNone;
}

// Esc is watched while the keys go out, and only then: a message box afterwards must close
// with it as usual.
class Sender::EscapeWatch {
 public:
  explicit EscapeWatch(TypingPace& pace) : pace_(pace) { pace_.StartEscapeWatch(); }
  ~EscapeWatch() { pace_.StopEscapeWatch(); }
  EscapeWatch(const EscapeWatch&) = delete;
  EscapeWatch& operator=(const EscapeWatch&) = delete;

 private:
  TypingPace& pace_;
};

Sender::Typing Sender::TypeKeys(WindowHandle window) {
  EscapeWatch watch(s_.pace);
  const std::size_t total = keys_.strokes();
  Typing result;
  std::size_t& stroke = result.typed;  // strokes typed so far
  std::size_t event = 0;               // their events
  std::vector<KeyEvent> batch;
  batch.reserve(kBatchEvents);
  while (stroke < total) {
    if (const Stop why = CheckStillTarget(window); why != Stop::kNone) {
      result.stop = why;
      break;
    }
    // Whole strokes only, so that a stop between batches never leaves a key down.
    std::size_t end = stroke + 1;
    while (end < total && end != pause_after_ && keys_.stroke_ends[end] - event <= kBatchEvents) {
      ++end;
    }
    const std::size_t end_event = keys_.stroke_ends[end - 1];
    batch.assign(keys_.events.begin() + static_cast<std::ptrdiff_t>(event),
                 keys_.events.begin() + static_cast<std::ptrdiff_t>(end_event));
    const std::size_t accepted = s_.keyboard.Send(batch);
    if (accepted < batch.size()) {
      ReleaseHeld(batch, accepted);
      result.stop = Stop::kBlocked;
      stroke = StrokesArrived(stroke, event + accepted);
      break;
    }
    stroke = end;
    event = end_event;
    if (stroke < total) Progress(stroke, total, false);
    // Without the catch-up a slow target would lose or reorder input; after the last batch
    // it keeps the send from ending before the text has arrived.
    if (!s_.pace.CatchUp(window, InputMessages(batch)) && stroke < total) {
      // The catch-up fails for a target that has closed as well as for one that hangs.
      result.stop = s_.desktop.Exists(window) ? Stop::kHung : Stop::kClosed;
      break;
    }
    if (stroke == pause_after_ && around_.at_snippet_end) around_.at_snippet_end();
  }
  Progress(stroke, total, true);
  strokes_out_ = result.typed;
  return result;
}

SendOutcome Sender::Paste(WindowHandle window, const std::string& title) {
  const std::unique_ptr<ClipboardContents> saved = s_.clipboard.Save();
  if (!saved) return ClipboardBusy();
  if (!s_.clipboard.OfferForPaste(*paste_text_)) {
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

std::size_t Sender::StrokesArrived(std::size_t stroke, std::size_t events_sent) const {
  // A character arrives with its key going down, so a stroke cut short after that counts;
  // one cut short after Alt alone does not.
  for (; stroke < keys_.strokes(); ++stroke) {
    std::size_t i = stroke == 0 ? 0 : keys_.stroke_ends[stroke - 1];
    while (i < events_sent && keys_.events[i].kind == KeyEvent::Kind::kVirtualKey &&
           keys_.events[i].code == kVkMenu) {
      ++i;
    }
    if (i >= events_sent) break;
  }
  return stroke;
}

void Sender::ReleaseHeld(const std::vector<KeyEvent>& batch, std::size_t accepted) {
  std::vector<KeyEvent> held;
  for (std::size_t i = 0; i < accepted && i < batch.size(); ++i) {
    const KeyEvent& e = batch[i];
    if (!e.key_up) {
      held.push_back(e);
      continue;
    }
    const auto it = std::find_if(held.rbegin(), held.rend(), [&](const KeyEvent& h) {
      return h.kind == e.kind && h.code == e.code;
    });
    if (it != held.rend()) held.erase(std::next(it).base());
  }
  if (!held.empty()) s_.keyboard.Send(ReleasingEvents(std::move(held)));
}

SendOutcome Sender::Refuse(const std::string& why, const std::string& advice) {
  std::string text = why + "\r\n" + kNothingSent;
  if (!advice.empty()) text += "\r\n\r\n" + advice;
  BeforeNotice();
  s_.dialogs.ShowMessage(text, app_title_, MessageIcon::kExclamation, MessageButtons::kOk);
  return SendOutcome::kRefused;
}

SendOutcome Sender::Stopped(Stop why, const std::string& how_much) {
  const std::string stopped = "Die Übertragung wurde abgebrochen, weil ";
  std::string text;
  switch (why) {
    case Stop::kEscape:
      text = "Die Übertragung wurde mit Esc abgebrochen.";
      break;
    case Stop::kClosed:
      text = stopped + "das Zielfenster geschlossen wurde.";
      break;
    case Stop::kSwitched:
      text = stopped + "ein anderes Fenster in den Vordergrund kam.";
      break;
    case Stop::kHung:
      text = stopped + "das Zielfenster nicht mehr reagiert.";
      break;
    case Stop::kBlocked:
      text = stopped + "Windows die Tastatureingaben nicht annahm.";
      break;
    case Stop::kNone:
      break;
  }
  BeforeNotice();
  s_.dialogs.ShowMessage(text + "\r\n" + how_much, app_title_, MessageIcon::kExclamation,
                         MessageButtons::kOk);
  return SendOutcome::kStopped;
}

void Sender::Progress(std::size_t typed, std::size_t total, bool done) {
  if (progress_) progress_(typed, total, done);
}

void Sender::BeforeNotice() {
  if (const std::function<void()> notice = std::exchange(before_notice_, nullptr)) notice();
}

bool Sender::MayTypeInto(WindowHandle window) {
  return Unfit(window).why.empty();
}

bool Sender::TellWhyNot(WindowHandle window) {
  const Refusal unfit = Unfit(window);
  if (!unfit.why.empty()) Refuse(unfit.why, unfit.advice);
  return !unfit.why.empty();
}

}  // namespace qm
