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
#include "platform/typing_pace.h"
#include "platform/window_processes.h"
#include "send/keystroke_text.h"
#include "send/target_chooser.h"
#include "send/targets.h"
#include "store/entries.h"

namespace qm {

struct SenderServices {
  EntryStore& entries;
  FileSystem& fs;
  const CodePage& ansi;
  Clock& clock;
  Desktop& desktop;
  Keyboard& keyboard;
  Clipboard& clipboard;
  Dialogs& dialogs;
  WindowProcesses& processes;
  TypingPace& pace;
  TargetChooser& chooser;
};

// How a send ended. Every outcome but kTyped, kDeclined, kChoiceCancelled and kBusy has
// told the user why.
enum class SendOutcome {
  kTyped,            // all of it (an empty text types nothing)
  kNoTarget,         // no window to type into
  kChoiceCancelled,  // the user cancelled the choice among several windows
  kDeclined,         // the user declined to type a very long text
  kClipboardFailed,  // DOS-box mode: the text could not be put on the clipboard
  kRefused,          // the target is gone, hidden, elevated or would not come to the front
  kStopped,          // typing stopped part-way; the message says how much was typed
  kBusy,             // another send is under way; nothing was done
  kNoEntry,          // the entry is no longer in the data file, or cannot be told apart
};

// Above this many characters after expansion, typing asks first.
inline constexpr std::size_t kLongTextChars = 10'000;
// Events per batch: after each one the target catches up and is checked again.
inline constexpr std::size_t kBatchEvents = 64;
// How long a target may take to come to the front, and how often it is asked meanwhile.
inline constexpr int kForegroundPatienceMs = 1000;
inline constexpr int kForegroundRetryMs = 50;

// `typed` and `total` count characters (one per Enter, Tab or Alt combination too);
// `done` once at the end, whether everything was typed or typing stopped.
using TypingProgressFunction = std::function<void(std::size_t typed, std::size_t total, bool done)>;

class Sender {
 public:
  // `data_file` is the program's data file, which may change while the sender lives; a
  // relative file placeholder is looked for in its folder.
  Sender(const SenderServices& services, const std::string& data_file);

  // The title of the message boxes: the program's caption prefix.
  void SetAppTitle(std::string title) { app_title_ = std::move(title); }
  // The sort key of the program's sorted lists, so that the choice lists the windows as
  // every other list of the program would.
  void SetSortKey(SortKeyFunction key) { sort_key_ = std::move(key); }
  // Called after each batch while typing, e.g. for the icon's tooltip on long texts.
  void SetProgress(TypingProgressFunction progress) { progress_ = std::move(progress); }

  // The window the user last worked in (0: none known), kept by the program's tracking.
  void SetLastUsedWindow(WindowHandle window) { last_used_window_ = window; }
  WindowHandle last_used_window() const { return last_used_window_; }

  // Reads the entry under the data file's lock, found by the number and name the menu knew
  // (moved: under its new number; gone, or one of several of that name that nothing tells
  // apart: nothing is typed and the user is told), undoes the stored escapes, expands the
  // placeholders, asks before a very long text is typed, and prepares the keystrokes: in
  // DOS-box mode the text goes on the clipboard and the keystrokes paste it through the
  // target's system menu. Then the target: the windows whose title contains the entry's
  // target title (one is taken, several are offered for choice), or, without a target title,
  // the last-used window.
  SendOutcome SendEntry(int entry_number, const std::string& entry_name);

  // Types the keystrokes the last SendEntry prepared into `window`, but only when the window
  // exists, is visible, does not run with higher rights and has come to the front; modifier
  // keys the user still holds are released first. Typing goes in batches and stops at once
  // when another window comes to the front, the target closes or hangs, or the user
  // presses Esc.
  SendOutcome TypeIntoWindow(WindowHandle window);

  // What the last SendEntry prepared.
  const std::string& keystroke_text() const { return keystroke_text_; }
  bool busy() const { return busy_; }

 private:
  enum class Stop { kNone, kClosed, kSwitched, kEscape, kHung, kBlocked };
  class BusyScope;

  SendOutcome SendToTitledWindow(const std::string& target_title);
  SendOutcome SendToLastWindow();
  SendOutcome TypeChecked(WindowHandle window);
  SendOutcome TypeKeys(WindowHandle window);
  bool ComeToFront(WindowHandle window);
  Stop CheckStillTarget(WindowHandle window);
  // How many strokes from `stroke` on typed something when only `events_sent` events of the
  // whole sequence went out.
  std::size_t StrokesArrived(std::size_t stroke, std::size_t events_sent) const;
  void ReleaseHeld(const std::vector<KeyEvent>& batch, std::size_t accepted);
  bool ConfirmLongText(std::size_t chars);
  SendOutcome NoTarget();
  // Tells why nothing was typed, and what the user can do about it.
  SendOutcome Refuse(const std::string& why, const std::string& advice = "");
  SendOutcome Stopped(Stop why, std::size_t typed, std::size_t total);
  void Progress(std::size_t typed, std::size_t total, bool done);

  SenderServices s_;
  const std::string& data_file_;
  std::string app_title_ = "Quillet";
  SortKeyFunction sort_key_ = ApproximateListSortKey;
  TypingProgressFunction progress_;
  WindowHandle last_used_window_ = 0;
  std::string keystroke_text_;
  KeySequence keys_;
  bool busy_ = false;
};

// The folder of a file path with its trailing separator; empty when the path has none.
std::string FolderOf(const std::string& path);
// "12.345": thousands grouped as German texts write them.
std::string GroupedNumber(std::size_t n);
// "2 Minuten", "1 Stunde und 5 Minuten": how long typing `chars` characters may take.
std::string TypingDuration(std::size_t chars);

}  // namespace qm
