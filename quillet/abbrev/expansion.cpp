// What happens around an abbreviation typed in another program's window: the keys held back
// from the moment it is typed until its snippet has gone out, the send itself, and the keys
// given back where nothing went out.
#include "quillet/abbrev/expansion.h"

#include <utility>

#include "text/utf.h"

namespace qm {
namespace {

// The system's code of a key without a name: under Wine, a composed character.
constexpr std::uint32_t kVkNoName = 0xFC;

}  // namespace

AbbreviationExpansion::AbbreviationExpansion(ExpansionServices services)
    : s_(std::move(services)), detector_(s_.detector) {}

bool AbbreviationExpansion::OnKey(const RawKey& raw, const std::optional<KeyInput>& input,
                                  WindowHandle window) {
  // Ours while we type, and every other program's: no one's typing.
  if (raw.injected) return false;
  if (raw.up) {
    if (drop_up_ == raw.vk) {
      drop_up_ = 0;
      return true;
    }
    if (HoldsKeysOf(window)) {
      held_.push_back({raw, std::nullopt, window});
      return true;
    }
    return false;
  }
  if (!input) return false;
  if (Holding()) {
    // Only what was typed into the window the send goes to waits for it; a key in a message
    // box or form of ours, or in a window that came to the front, goes where it was typed.
    if (!HoldsKeysOf(window)) return false;
    // Wine hands a composed character over without its text, so it could not be sent again.
    if (raw.vk == kVkNoName && raw.scan == 0) return false;
    if (drop_up_ == raw.vk) drop_up_ = 0;  // its release belongs to this press now
    held_.push_back({raw, input, window});
    return true;
  }
  // A snippet from the menu is being typed: what the user types into it is no word of theirs.
  if (s_.sender.busy()) {
    detector_.OnKey(KeyInput::Of(KeyInput::Kind::kReset));
    return false;
  }
  const AbbrevAction action = detector_.OnKey(*input);
  if (action.kind == AbbrevAction::Kind::kNone) return false;
  if (!s_.system.StillInFront(window)) {
    detector_.ExpansionFailed();
    return false;
  }
  // A window that cannot take our keys (elevated, hidden) gets its key as typed; the send
  // still tells why nothing was replaced.
  const bool hold = s_.sender.MayTypeInto(window);
  Start(action, window, raw, hold);
  if (s_.system.AskCarryOut()) return hold;
  // The key goes on as typed rather than be lost.
  pending_.reset();
  drop_up_ = 0;
  detector_.ExpansionFailed();
  return false;
}

bool AbbreviationExpansion::HoldsKeysOf(WindowHandle window) {
  // The hook's idea of the window in front may be older than a form of ours that opened
  // meanwhile: the system is asked, for the keys held only.
  return Holding() && holding_for_ && window == holding_for_ &&
         s_.system.StillInFront(holding_for_);
}

void AbbreviationExpansion::Start(const AbbrevAction& action, WindowHandle window,
                                  const RawKey& key, bool hold) {
  pending_ = Pending{action, window, key, hold};
  holding_for_ = hold ? window : 0;
  drop_up_ = hold ? key.vk : 0;
}

bool AbbreviationExpansion::CarryOut() {
  // The sender waits with the program's events running; a second message finds this one
  // at work.
  if (carrying_out_) return false;
  while (pending_) {
    const Pending p = *pending_;
    pending_.reset();
    carrying_out_ = true;
    Send(p);
    carrying_out_ = false;
    // Unless keys given back before a message brought the next action, which comes first.
    if (!pending_) Replay();
  }
  holding_for_ = 0;
  return true;
}

void AbbreviationExpansion::Send(const Pending& p) {
  if (s_.before_send) s_.before_send();
  // Its key went on as typed: nothing may follow it, whatever the window says now.
  if (!p.held) {
    detector_.ExpansionRefused();
    s_.sender.TellWhyNot(p.window);
    return;
  }
  bool given_back = false;
  // Before any message box of the send takes the front, the keys held for it go back to the
  // window they were typed into, while it is still there to take them.
  const auto give_back = [&](bool none_out) {
    if (!std::exchange(given_back, true)) GiveBack(p, none_out);
  };
  CaretPlace snippet_end, word_end;
  SendInto into{p.window,
                p.action.erase,
                {},
                [&] { give_back(s_.sender.strokes_out() == 0); },
                [&] { snippet_end = s_.system.CaretPlaceOf(p.window); },
                [&] { word_end = s_.system.CaretPlaceOf(p.window); }};
  if (p.action.kind == AbbrevAction::Kind::kUndo) {
    into.right = p.action.right;
    const SendOutcome outcome = s_.sender.SendText(Utf16ToUtf8(p.action.type), into);
    if (outcome != SendOutcome::kTyped) give_back(NoneOut(outcome));
    return;
  }
  const int entry = p.action.entry;
  const std::string name =
      entry >= 1 && entry <= static_cast<int>(s_.names.size()) ? s_.names[entry - 1] : "";
  into.then_type = Utf16ToUtf8(p.action.type);
  if (s_.carry_capitals && s_.carry_capitals()) {
    into.typed_as = Utf16ToUtf8(p.action.typed);
    into.spelled_as = p.action.stored;
  }
  const SendOutcome outcome = s_.sender.SendEntry(entry, name, into);
  const std::size_t typed = s_.sender.snippet_characters();
  // A pasted snippet counts no characters: what a Backspace would have to erase is unknown.
  if (!given_back && outcome == SendOutcome::kTyped &&
      (typed > 0 || s_.sender.keystroke_text().empty())) {
    const std::size_t left = s_.sender.caret_left_keys();
    const CaretPlace now = s_.system.CaretPlaceOf(p.window);
    CaretPlace place = PlaceAfterWordEnd(snippet_end, left > 0 ? word_end : now,
                                         !p.action.type.empty());
    // The caret went back to the snippet's %cursor% in the same field: a Backspace there
    // first goes forward to the word end, then undoes as from there.
    if (left > 0) place = SameField(place, now) ? now : CaretPlace{};
    detector_.ExpansionDone(static_cast<int>(typed), place, static_cast<int>(left));
  } else {
    give_back(NoneOut(outcome));
  }
}

bool AbbreviationExpansion::NoneOut(SendOutcome outcome) const {
  return outcome == SendOutcome::kBusy || s_.sender.strokes_out() == 0;
}

void AbbreviationExpansion::GiveBack(const Pending& p, bool none_out) {
  // Where no key went out (the send was refused, the clipboard was busy, Esc came before the
  // first key), the key that was held back for the send (the word end, the Backspace) does
  // what it would have done without us; after a send stopped part-way the text is no longer
  // known, and the user is told. A question of ours may have taken the front meanwhile: the
  // window gets it back from us, but not from a window the user went to.
  bool typed_as_is = false;
  if (none_out) {
    if (s_.system.FrontBackTo(p.window)) {
      s_.system.SendAgain(p.key);
      RawKey up = p.key;
      up.up = true;
      s_.system.SendAgain(up);
      typed_as_is = true;
    }
  }
  // The window holds what the user typed, where its key arrived after all and was no undo's.
  if (typed_as_is && p.action.kind == AbbrevAction::Kind::kExpand) {
    detector_.ExpansionRefused();
  } else {
    detector_.ExpansionFailed();
  }
  // The keys typed meanwhile follow it, and all are in the window before a message box of
  // ours can take the front, and the keys with it.
  const std::size_t keys = 1 + held_.size();
  Replay();
  s_.pace.CatchUp(p.window, 3 * keys);
}

void AbbreviationExpansion::Replay() {
  bool lost = false;
  while (!held_.empty()) {
    const Held k = held_.front();
    held_.pop_front();
    // No key goes down in another window than the one it was typed into.
    const HeldKeyFate fate = FateOfHeldKey(k.raw, s_.system.Foreground() == k.window, drop_up_);
    if (fate == HeldKeyFate::kDrop) drop_up_ = 0;
    if (fate == HeldKeyFate::kLost) lost = true;
    if (fate != HeldKeyFate::kSend) continue;
    if (k.input) {
      const AbbrevAction action = detector_.OnKey(*k.input);
      if (action.kind != AbbrevAction::Kind::kNone) {
        Start(action, k.window, k.raw, true);
        break;
      }
    }
    s_.system.SendAgain(k.raw);
  }
  if (lost) s_.system.Beep();
}

}  // namespace qm
