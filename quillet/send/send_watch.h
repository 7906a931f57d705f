// How a send ended, and who may watch the sends that reach their window: a receipt that
// reads the target's text before the first key and after the last.
#pragma once

#include <cstddef>
#include <string>

#include "platform/desktop.h"
#include "quillet/send/delivery_rules.h"

namespace qm {

// How a send ended. Every outcome but kTyped, kDeclined, kChoiceCancelled, kCancelled and kBusy has
// told the user why.
enum class SendOutcome {
  kTyped,            // all of it (an empty text types nothing), or pasted
  kNoTarget,         // no window to type into
  kChoiceCancelled,  // the user cancelled the choice among several windows
  kDeclined,         // the user declined to type a very long text
  kClipboardFailed,  // pasting: the text could not be put on the clipboard
  kNotPasted,        // pasting: the target did not take the text from the clipboard
  kRefused,          // the target is gone, hidden, never a target, elevated or would not come
                     // to the front
  kStopped,          // typing stopped part-way; the message says how much was typed
  kBusy,             // another send is under way; nothing was done
  kNoEntry,          // the entry is no longer in the data file, or cannot be told apart
  kCancelled,        // the user cancelled the snippet's form; nothing was typed
};
// A send whose keys went into their window, as the sender tells its watcher.
struct SendEnd {
  WindowHandle window = 0;
  std::string entry_name;
  Delivery delivery = Delivery::kType;
  SendOutcome outcome = SendOutcome::kTyped;
  // What should now stand where the caret stood: the snippet (its command characters left
  // out, each Enter a line break) and the word end typed after it.
  std::string sent;
  std::size_t characters = 0;  // the snippet's, one per Enter and Tab too
  // The keys before it: Right keys to the end of the abbreviation, then Backspaces over it.
  int right = 0, erase = 0;
  // A formatted entry: pasted with its formats, or sent as its plain text only, where the
  // window got typing, keys or the console's paste.
  enum class Formats { kNone, kOffered, kLeftOut };
  Formats formats = Formats::kNone;
};

class SendWatch {
 public:
  virtual ~SendWatch() = default;
  // The target is in front and nothing of the send has reached it yet.
  virtual void BeforeKeys(WindowHandle window) = 0;
  // The send is over, its keys taken in; called after any notice of the send was closed.
  virtual void AfterSend(const SendEnd& end) = 0;
};

}  // namespace qm
