// The sender: prepares a snippet entry's text and types it into the window it is meant for.
// Here the course of a send, from the entry to its keys and the notices; the guards of the
// target, the typing and the paste are in the sender_*.cpp files beside it.
#include "quillet/send/sender.h"

#include <algorithm>
#include <utility>

#include "quillet/send/entry_lookup.h"
#include "quillet/send/layout_keys.h"
#include "quillet/send/placeholders.h"
#include "rich/rich_output.h"
#include "quillet/send/sender_shared.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

// What a slow target (a plain editor under Wine) takes in; most take it in faster, so the
// question about a long text names the longest it may take.
constexpr std::size_t kAssumedCharsPerSecond = 100;

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string TargetName(const std::string& title) {
  return title.empty() ? "Das Zielfenster" : "Das Zielfenster „" + title + "“";
}

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
  if (const std::optional<SendOutcome> failed =
          PrepareEntry(entry_number, entry_name, last_used_window_, &entry)) {
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
  if (const std::optional<SendOutcome> failed =
          PrepareEntry(entry_number, entry_name, into.window, &entry)) {
    return *failed;
  }
  around_ = into;
  if (!into.typed_as.empty()) plain_ = CarryCapitals(plain_, into.typed_as, into.spelled_as);
  return into.window == 0 ? NoTarget() : TypeIntoWindow(into.window);
}

void Sender::ReadAhead() {
  FoldNamesAhead(s_.entries.Snapshot(data_file_));
}

SendOutcome Sender::SendText(const std::string& plain, const SendInto& into) {
  if (busy_) return SendOutcome::kBusy;
  BusyScope busy(*this, into.before_notice);
  snippet_characters_ = 0;
  caret_left_keys_ = 0;
  strokes_out_ = 0;
  entry_name_.clear();
  Prepare(plain, DeliveryWish{"", false, CountCodePoints(plain)}, into);
  return into.window == 0 ? NoTarget() : TypeIntoWindow(into.window);
}

std::optional<SendOutcome> Sender::PrepareEntry(int entry_number, const std::string& entry_name,
                                                WindowHandle came_from, SnippetEntry* entry) {
  snippet_characters_ = 0;
  caret_left_keys_ = 0;
  strokes_out_ = 0;
  entry_name_.clear();
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
  entry_name_ = entry->name;
  // The entries it includes are read from one look at the file, taken only for a snippet that
  // includes one: a plain snippet goes out as fast as before there were fields.
  EntryLookup from_file;
  const EntryLookup lookup = [&](const std::string& name) {
    if (!from_file) from_file = LookupEntriesIn(s_.entries.Snapshot(data_file_), s_.entries);
    return from_file(name);
  };
  const SnippetTemplate snippet =
      ParseSnippet(UnescapeStoredText(entry->text), lookup, entry->name);
  FieldValues values;
  if (snippet.HasFields() && asker_) {
    FieldRequest request;
    request.entry_name = entry->name;
    request.fields = snippet.fields;
    request.came_from = came_from;
    request.enciphered = entry->crypt != 0;
    std::optional<FieldValues> answered = asker_->Ask(request);
    if (!answered) return SendOutcome::kCancelled;
    values = std::move(*answered);
  }
  // The clipboard as it is when the send begins, before a paste puts the snippet there.
  const std::string clipboard =
      snippet.uses_clipboard ? s_.clipboard.ReadText().value_or(std::string()) : std::string();
  const std::string folder = FolderOf(data_file_);
  const FilledSnippet filled =
      FillSnippet(snippet, values, clipboard, s_.clock, s_.fs, s_.ansi, folder);
  Prepare(filled.text,
          DeliveryWish{entry->delivery, entry->dosbox != 0, CountCodePoints(filled.text)}, {});
  caret_left_ = filled.caret_left;
  formatted_ = FilledFormattedVersion(
      *entry, UnescapeStoredText(entry->text), snippet, values, lookup,
      [&](const SnippetTemplate& part, const FieldValues& part_values) {
        return FillSnippet(part, part_values, clipboard, s_.clock, s_.fs, s_.ansi, folder).text;
      });
  wish_.formatted = formatted_.has_value();
  return std::nullopt;
}

void Sender::Prepare(const std::string& text, const DeliveryWish& wish, const SendInto& around) {
  plain_ = text;
  caret_left_ = 0;
  wish_ = wish;
  around_ = around;
  delivery_ = Delivery::kType;
  // The clipboard is written only once a target has passed its checks: a refused send must
  // leave the user's clipboard as it was.
  paste_text_.reset();
  formatted_.reset();
  paste_formats_ = PasteFormats();
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
  paste_formats_ = PasteFormats();
  if (Pastes(delivery_)) {
    paste_text_ = PasteText(plain_);
    // The console takes text only.
    if (formatted_ && delivery_ != Delivery::kConsole) {
      paste_formats_.html = ClipboardHtml(WriteRichHtml(*formatted_));
      paste_formats_.rtf = RichToRtf(*formatted_, rtf_link_fields_);
    }
    snippet = PasteKeys(delivery_, &keystroke_text_);
  } else {
    keystroke_text_ = KeystrokeTextFor(plain_, false);
    snippet = ParseKeystrokes(keystroke_text_);
  }
  KeySequence keys;
  const auto add_key = [](KeySequence& to, std::uint16_t vk, std::size_t times) {
    // The arrows are the cursor block's, not the number pad's.
    const bool arrow = vk == kVkLeft || vk == kVkRight;
    for (std::size_t i = 0; i < times; ++i) {
      to.events.push_back({KeyEvent::Kind::kVirtualKey, vk, false, 0, arrow});
      to.events.push_back({KeyEvent::Kind::kVirtualKey, vk, true, 0, arrow});
      to.stroke_ends.push_back(to.events.size());
    }
  };
  add_key(keys, kVkRight, static_cast<std::size_t>(std::max(around_.right, 0)));
  add_key(keys, kVkBack, static_cast<std::size_t>(std::max(around_.erase, 0)));
  erase_strokes_ = keys.strokes();
  snippet_strokes_ = snippet.strokes();
  pause_after_ = Pastes(delivery_) ? kNoPause : erase_strokes_ + snippet_strokes_;
  KeySequence after = ParseKeystrokes(KeystrokeTextFor(around_.then_type, false));
  word_end_pause_ = Pastes(delivery_) ? kNoPause : pause_after_ + after.strokes();
  // The caret goes back to the snippet's %cursor%, past what follows the snippet too.
  caret_left_keys_ = caret_left_ > 0 ? caret_left_ + CountCodePoints(around_.then_type) : 0;
  add_key(after, kVkLeft, caret_left_keys_);
  if (Pastes(delivery_)) caret_left_keys_ = 0;
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
    return Refuse(unfit.why, unfit.advice, unfit.rights);
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
  // Only an entry's send gets a receipt: what undoing an abbreviation puts back is no send.
  SendWatch* const watch = entry_name_.empty() ? nullptr : watch_;
  if (watch) watch->BeforeKeys(window);
  const SendOutcome outcome = KeysInto(window, title);
  if (watch) watch->AfterSend(EndOf(window, outcome));
  return outcome;
}

SendOutcome Sender::KeysInto(WindowHandle window, const std::string& title) {
  if (paste_text_) return Paste(window, title);
  const Typing typing = TypeKeys(window);
  if (typing.stop == Stop::kNone) {
    snippet_characters_ = snippet_strokes_;
    return SendOutcome::kTyped;
  }
  return Stopped(typing.stop, "Bis dahin wurden " + GroupedNumber(typing.typed) + " von " +
                                  GroupedNumber(keys_.strokes()) + " Zeichen übertragen.");
}

SendEnd Sender::EndOf(WindowHandle window, SendOutcome outcome) const {
  SendEnd end;
  end.window = window;
  end.entry_name = entry_name_;
  end.delivery = delivery_;
  end.outcome = outcome;
  end.sent = WithoutCommandCharacters(plain_) + around_.then_type;
  end.characters = CountCodePoints(WithoutCommandCharacters(plain_));
  if (formatted_) {
    const bool offered = !paste_formats_.html.empty();
    end.formats = offered ? SendEnd::Formats::kOffered : SendEnd::Formats::kLeftOut;
    // What a rich-text target shows; one that took the text gets the same, its blank lines
    // between paragraphs aside, which count as characters of its own.
    if (offered) end.sent = RichPlainText(*formatted_) + around_.then_type;
  }
  end.right = std::max(around_.right, 0);
  end.erase = std::max(around_.erase, 0);
  return end;
}

SendOutcome Sender::Refuse(const std::string& why, const std::string& advice, bool rights) {
  std::string text = why + "\r\n" + kNothingSent;
  if (!advice.empty()) text += "\r\n\r\n" + advice;
  BeforeNotice();
  if (rights && restart_ && restart_->Available()) {
    text += "\r\n\r\nSoll Quillet jetzt als Administrator neu gestartet werden?";
    if (s_.dialogs.ShowMessage(text, app_title_, MessageIcon::kExclamation,
                               MessageButtons::kYesNoDefaultNo) == MessageAnswer::kYes) {
      RestartAsAdministrator();
    }
    return SendOutcome::kRefused;
  }
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

}  // namespace qm
