// The sender: prepares a snippet entry's text and types it into the window it is meant for,
// and into no other.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/keyboard.h"
#include "platform/keyboard_layouts.h"
#include "platform/program_restart.h"
#include "platform/typing_pace.h"
#include "platform/window_processes.h"
#include "quillet/send/delivery_rules.h"
#include "quillet/send/keystroke_text.h"
#include "quillet/send/target_chooser.h"
#include "quillet/send/targets.h"
#include "quillet/send/field_asker.h"
#include "quillet/send/formatted_send.h"
#include "quillet/send/send_watch.h"
#include "store/entries.h"

namespace qm {

struct SenderServices {
  EntryStore& entries;
  FileSystem& fs;
  const CodePage& ansi;
  Clock& clock;
  Desktop& desktop;
  Keyboard& keyboard;
  KeyboardLayouts& layouts;
  Clipboard& clipboard;
  Dialogs& dialogs;
  WindowProcesses& processes;
  TypingPace& pace;
  TargetChooser& chooser;
};

// Above this many characters after expansion, typing asks first; pasting never does.
inline constexpr std::size_t kLongTextChars = 10'000;
// Events per batch: after each one the target catches up and is checked again.
inline constexpr std::size_t kBatchEvents = 64;
// How long a target may take to come to the front, and how often it is asked meanwhile.
inline constexpr int kForegroundPatienceMs = 1000;
inline constexpr int kForegroundRetryMs = 50;
// How long a target may take to read the text it was told to paste, and how often the
// clipboard is asked meanwhile.
inline constexpr int kPastePatienceMs = 2000;
inline constexpr int kPasteRetryMs = 50;

// `typed` and `total` count characters (one per Enter, Tab or Alt combination too);
// `done` once at the end, whether everything was typed or typing stopped.
using TypingProgressFunction = std::function<void(std::size_t typed, std::size_t total, bool done)>;

// A snippet asked for in the window it is meant for (from the picker, or by an abbreviation
// typed there): it goes into that window and no other, whatever target title the entry names.
struct SendInto {
  WindowHandle window = 0;
  int erase = 0;          // Backspaces before the snippet: the abbreviation it replaces
  std::string then_type;  // plain text typed after it: the word end the user typed
  // Called once before the send tells the user anything: the keys held back for it go back
  // to their window while it is still in front, before a message box takes the front.
  std::function<void()> before_notice;
  // Called once the snippet's keys have arrived, before `then_type`: where the caret stands
  // between the two. Not for a paste.
  std::function<void()> at_snippet_end;
  // Called once `then_type` has arrived too, before the caret goes back to the snippet's
  // %cursor%. Not for a paste.
  std::function<void()> at_word_end = {};
  // Right keys before the Backspaces: a caret left inside what they erase goes to its end.
  int right = 0;
  // The abbreviation as typed and as its entry spells it, for the snippet to take on its
  // capitals (CarryCapitals); empty: the snippet as it stands.
  std::string typed_as = {}, spelled_as = {};
};

class Sender {
 public:
  // `data_file` is the program's data file, which may change while the sender lives; a
  // relative file placeholder is looked for in its folder.
  Sender(const SenderServices& services, const std::string& data_file);

  // The title of the message boxes: the program's caption prefix.
  void SetAppTitle(std::string title) { app_title_ = std::move(title); }
  // Called after each batch while typing, e.g. for the icon's tooltip on long texts.
  void SetProgress(TypingProgressFunction progress) { progress_ = std::move(progress); }

  // Reads ahead, at a quiet moment, what the first send would otherwise wait for: the
  // entries' names for the snippets that include others.
  void ReadAhead();

  // Where the rich-text controls around skip an RTF field with its text (Wine's), a formatted
  // snippet's links are pasted into them as underlined text.
  void SetRtfLinkFields(bool fields) { rtf_link_fields_ = fields; }
  // Told of each entry's send that reaches its window: before the first key and at the end.
  void SetWatch(SendWatch* watch) { watch_ = watch; }

  // Asks the fields of a snippet that has some before it is sent; without it they are empty.
  void SetFieldAsker(FieldAsker* asker) { asker_ = asker; }

  // Offered where a target may run with higher rights than the program; without it the
  // refusal only advises to start the program as administrator.
  void SetRestart(ProgramRestart* restart) { restart_ = restart; }

  // The window the user last worked in (0: none known), kept by the program's tracking.
  void SetLastUsedWindow(WindowHandle window) { last_used_window_ = window; }
  WindowHandle last_used_window() const { return last_used_window_; }

  // Reads the entry under the data file's lock, found by the number and name the menu knew
  // (moved: under its new number; gone, or one of several of that name that nothing tells
  // apart: nothing is typed and the user is told), undoes the stored escapes and expands the
  // placeholders. Then the target: the windows whose title contains the entry's target title
  // (one is taken, several are offered for choice), or, without a target title, the
  // last-used window. The delivery is chosen for that window (see ChooseDelivery): the
  // entry's own, its DOS-box flag, the rules of the data file, the paste threshold. A text
  // that is to be typed and is very long is asked about first.
  SendOutcome SendEntry(int entry_number, const std::string& entry_name);
  // The same for a snippet asked for in `into.window`, with the keys around it.
  SendOutcome SendEntry(int entry_number, const std::string& entry_name, const SendInto& into);
  // Types a plain text (no placeholders; its command characters left out) into
  // `into.window` with the keys around it: what undoing an abbreviation puts back.
  SendOutcome SendText(const std::string& plain, const SendInto& into);

  // How many characters of the snippet itself (one per Enter and Tab too, without the keys
  // around it) the last send typed; 0 when it pasted or stopped short.
  std::size_t snippet_characters() const { return snippet_characters_; }
  // How many keystrokes the last send put into a window, the Backspaces before the snippet
  // included: 0 where the window's text is as it was.
  std::size_t strokes_out() const { return strokes_out_; }
  // The Left keys with which the last send left the caret at its snippet's %cursor%, back
  // over the end of the snippet and `then_type`; 0 where it stayed at the end or pasted.
  std::size_t caret_left_keys() const { return caret_left_keys_; }

  // What the last send prepared: the text's keystrokes, or for a paste the paste key.
  const std::string& keystroke_text() const { return keystroke_text_; }
  // How the last send that reached a window went there.
  Delivery last_delivery() const { return delivery_; }
  bool busy() const { return busy_; }
  // Whether keys could go into `window` at all, as far as can be told without a message to it:
  // it exists, is visible, may be a target and its process takes our input.
  bool MayTypeInto(WindowHandle window);
  // Tells the user why keys cannot go into `window`, where they cannot; true where it told.
  bool TellWhyNot(WindowHandle window);

 private:
  enum class Stop { kNone, kClosed, kSwitched, kEscape, kHung, kBlocked };
  struct Typing {
    Stop stop = Stop::kNone;
    std::size_t typed = 0;  // strokes
  };
  struct Refusal {
    std::string why, advice;
    bool rights = false;  // the target may run with higher rights than the program
  };
  class BusyScope;
  class EscapeWatch;

  // Reads and prepares the entry's keys; nullopt when they are ready to go.
  // `came_from`: the window the user asked in, where the snippet's form opens.
  std::optional<SendOutcome> PrepareEntry(int entry_number, const std::string& entry_name,
                                          WindowHandle came_from, SnippetEntry* entry);
  void Prepare(const std::string& text, const DeliveryWish& wish, const SendInto& around);
  // The delivery the window gets, by the rules and threshold the data file holds now.
  Delivery DeliveryFor(WindowHandle window);
  // The keys that deliver the prepared text into `window` as `delivery_` says: Backspaces
  // before the snippet's keys or paste key, and `then_type` after them.
  void BuildKeys(WindowHandle window);
  SendOutcome SendToTitledWindow(const std::string& target_title);
  SendOutcome SendToLastWindow();
  // Types the keystrokes the last SendEntry prepared into `window`, but only when the window
  // exists, is visible, may be a target at all, is known not to run with higher rights and
  // has come to the front; modifier keys the user still holds are released first. Typing
  // goes in batches and stops at once when another window comes to the front, the target
  // closes or hangs, or the user presses Esc. A paste puts the text on the clipboard only
  // then, and what the clipboard held before is put back once the target has read it.
  SendOutcome TypeIntoWindow(WindowHandle window);
  // The keys of the send, typed or pasted, into the window in front.
  SendOutcome KeysInto(WindowHandle window, const std::string& title);
  // What the watcher is told when the send's keys went out.
  SendEnd EndOf(WindowHandle window, SendOutcome outcome) const;
  // Why nothing may be typed into the window; `why` is empty when it may.
  Refusal Unfit(WindowHandle window);
  Typing TypeKeys(WindowHandle window);
  SendOutcome Paste(WindowHandle window, const std::string& title);
  // What became of a paste, the keys after it typed where it was taken.
  SendOutcome AfterPaste(WindowHandle window, const std::string& title, Stop stop, bool taken);
  void ReleaseUsersKeys();
  bool ComeToFront(WindowHandle window);
  // Asks `done` until it holds or `patience_ms` have passed, while the program's events run.
  bool Patiently(int patience_ms, int retry_ms, const std::function<bool()>& done);
  Stop CheckStillTarget(WindowHandle window);
  // How many strokes from `stroke` on typed something when only `events_sent` events of the
  // whole sequence went out.
  std::size_t StrokesArrived(std::size_t stroke, std::size_t events_sent) const;
  void ReleaseHeld(const std::vector<KeyEvent>& batch, std::size_t accepted);
  bool ConfirmLongText(std::size_t chars);
  SendOutcome NoTarget();
  // Tells why nothing was typed, and what the user can do about it; where it is a matter of
  // `rights`, offers to start the program again as administrator.
  SendOutcome Refuse(const std::string& why, const std::string& advice = "", bool rights = false);
  // Starts the program again as administrator, where the user said yes to it.
  void RestartAsAdministrator();
  // Tells why typing stopped, then `how_much` of the text arrived.
  SendOutcome Stopped(Stop why, const std::string& how_much);
  SendOutcome ClipboardBusy();
  void Progress(std::size_t typed, std::size_t total, bool done);
  void BeforeNotice();

  SenderServices s_;
  const std::string& data_file_;
  std::string app_title_ = "Quillet";
  TypingProgressFunction progress_;
  WindowHandle last_used_window_ = 0;
  FieldAsker* asker_ = nullptr;
  SendWatch* watch_ = nullptr;
  ProgramRestart* restart_ = nullptr;
  std::string entry_name_;  // of the entry being sent; empty for a plain text
  std::string keystroke_text_;
  KeySequence keys_;
  std::string plain_;  // the snippet's text, its placeholders expanded
  SendInto around_;    // the keys around it (its window is not used)
  DeliveryWish wish_;
  Delivery delivery_ = Delivery::kType;
  std::optional<std::string> paste_text_;  // what goes on the clipboard for a paste
  std::optional<RichDocument> formatted_;  // a formatted entry's version, filled
  PasteFormats paste_formats_;             // and what a paste offers of it
  bool rtf_link_fields_ = true;
  KeySequence after_paste_;                // typed once the target has taken the paste
  std::size_t snippet_characters_ = 0;
  std::size_t caret_left_ = 0;  // Left keys from the snippet's end back to its %cursor%
  std::size_t caret_left_keys_ = 0;
  std::size_t strokes_out_ = 0;
  std::size_t snippet_strokes_ = 0;  // of keys_, after the Backspaces: the snippet's
  std::size_t erase_strokes_ = 0;    // the Backspaces before it
  static constexpr std::size_t kNoPause = static_cast<std::size_t>(-1);
  // The strokes after which at_snippet_end and at_word_end are called.
  std::size_t pause_after_ = kNoPause, word_end_pause_ = kNoPause;
  std::function<void()> before_notice_;
  bool busy_ = false;
};

// The folder of a file path with its trailing separator; empty when the path has none.
std::string FolderOf(const std::string& path);
// "12.345": thousands grouped as German texts write them.
std::string GroupedNumber(std::size_t n);
// "2 Minuten", "1 Stunde und 5 Minuten": how long typing `chars` characters may take.
std::string TypingDuration(std::size_t chars);

}  // namespace qm
