// What happens around an abbreviation typed in another program's window: the keys held back
// from the moment it is typed until its snippet has gone out, the send itself, and the keys
// given back where nothing went out.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/typing_pace.h"
#include "quillet/abbrev/detector.h"
#include "quillet/abbrev/key_translation.h"
#include "quillet/send/sender.h"

namespace qm {

// The little the expansion needs of the system beyond the sender.
class ExpansionSystem {
 public:
  virtual ~ExpansionSystem() = default;
  // CarryOut is to run later, once the hook has returned: nothing may be sent from inside
  // it. False where it cannot be asked for.
  virtual bool AskCarryOut() = 0;
  // Whether `window`, which the hook named with a key, is in front indeed and not one to pass
  // over; where not, the window in front is asked again at the next key.
  virtual bool StillInFront(WindowHandle window) = 0;
  virtual WindowHandle Foreground() = 0;
  // Where one of our windows is in front (a question of ours, or none since it closed),
  // `window` gets the front back, waited for briefly; a window the user went to keeps it.
  // Whether `window` is in front now.
  virtual bool FrontBackTo(WindowHandle window) = 0;
  // A key held back, sent again as it came (its code and scan code), so that the window's
  // layout reads it as it would have read the user's key (dead keys and AltGr included).
  virtual void SendAgain(const RawKey& key) = 0;
  // Where the typing into `window` goes now.
  virtual CaretPlace CaretPlaceOf(WindowHandle window) = 0;
  // A key held back could not be given back.
  virtual void Beep() = 0;
};

struct ExpansionServices {
  AbbreviationDetector& detector;
  const std::vector<std::string>& names;  // the entries' names, by number from 1
  Sender& sender;
  TypingPace& pace;
  ExpansionSystem& system;
  std::function<void()> before_send;  // the program readies the sender (its message title)
  // Whether an abbreviation's capitals carry over to its snippet; none: they do not.
  std::function<bool()> carry_capitals = nullptr;
};

class AbbreviationExpansion {
 public:
  explicit AbbreviationExpansion(ExpansionServices services);

  // A key as the hook saw it, up or down, in front of `window`; `input` for a key going down.
  // True keeps the key from the window.
  bool OnKey(const RawKey& raw, const std::optional<KeyInput>& input, WindowHandle window);
  // What the detector answered, sent, with the keys held back meanwhile after it. False where
  // a carry-out further up the stack is at work and finishes it.
  bool CarryOut();

  // Keys are held back from the time an action is decided until it and the keys typed
  // meanwhile have gone out; the detector belongs to them until then.
  bool Holding() const { return pending_ || carrying_out_ || !held_.empty(); }

 private:
  struct Pending {
    AbbrevAction action;
    WindowHandle window;
    RawKey key;  // the key that brought it
    bool held;   // and kept from the window
  };
  struct Held {
    RawKey raw;
    std::optional<KeyInput> input;
    WindowHandle window;
  };

  // Whether a key typed with `window` in front waits for the send under way.
  bool HoldsKeysOf(WindowHandle window);
  void Start(const AbbrevAction& action, WindowHandle window, const RawKey& key, bool hold);
  void Send(const Pending& p);
  // After a send that typed nothing: the key held back for it goes to the window after all,
  // and the keys typed meanwhile after it.
  void GiveBack(const Pending& p, bool none_out);
  bool NoneOut(SendOutcome outcome) const;
  // The keys held back, in order, through the detector again; stops at one that brings an
  // action, which becomes pending.
  void Replay();

  ExpansionServices s_;
  AbbreviationDetector& detector_;
  std::optional<Pending> pending_;
  bool carrying_out_ = false;
  std::deque<Held> held_;
  std::uint32_t drop_up_ = 0;  // the key whose press brought the action: its release too
  WindowHandle holding_for_ = 0;
};

}  // namespace qm
