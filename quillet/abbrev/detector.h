// Watches the user's keys, one event at a time, for an abbreviation typed as a whole word,
// and says what to do about it; the keyboard hook feeds it and carries out its answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/abbreviations.h"

namespace qm {

// Where the typing goes in the window in front: the control with the keyboard focus and the
// caret's window and rectangle, as the system tells them; `caret` 0 where it tells none.
struct CaretPlace {
  std::uintptr_t focus = 0, caret = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool known() const { return caret != 0; }
  friend bool operator==(const CaretPlace& a, const CaretPlace& b) {
    return a.focus == b.focus && a.caret == b.caret && a.left == b.left && a.top == b.top &&
           a.right == b.right && a.bottom == b.bottom;
  }
};

// The place an expansion left the caret in, from where it stood once the snippet was in and
// once its word end had followed: only a caret that the word end moved on counts (a chat box
// that sent its message on the Enter starts empty, a Tab may have moved the focus); else the
// place is unknown, and a Backspace undoes nothing.
CaretPlace PlaceAfterWordEnd(const CaretPlace& snippet_end, const CaretPlace& after, bool word_end);
// Whether both places are known and in the same field of the same window.
bool SameField(const CaretPlace& a, const CaretPlace& b);

// One key press as the hook saw it.
struct KeyInput {
  enum class Kind {
    kText,      // a key that produced `text` (UTF-16, as the keyboard layout gave it)
    kDeadKey,   // a key that produced no character yet; the next one brings it
    kModifier,  // Shift, Ctrl, Alt, AltGr, Win or Caps Lock alone: changes nothing
    kBackspace,
    kOtherKey,  // a key without text that may move the caret: arrows, Home, Del, Ctrl+key
    kReset,     // a click, a window switch, a focus change
  };
  Kind kind = Kind::kOtherKey;
  std::u16string text;
  bool injected = false;        // sent by a program (ours or another): ignored entirely
  bool ignored_window = false;  // one of ours or an ignored window in front, or a password field
  CaretPlace place;             // kBackspace: where it goes

  static KeyInput Text(std::u16string t) {
    KeyInput k;
    k.kind = Kind::kText;
    k.text = std::move(t);
    return k;
  }
  static KeyInput Of(Kind kind) {
    KeyInput k;
    k.kind = kind;
    return k;
  }
};

// What the hook does about a key. For kExpand and kUndo the key itself is held back from
// the window; then `right` Right keys, `erase` Backspaces (characters, not UTF-16 units),
// then for kExpand the entry's snippet through the sender, then `type` as typed ("\r" is
// Enter, "\t" Tab).
struct AbbrevAction {
  enum class Kind { kNone, kExpand, kUndo };
  Kind kind = Kind::kNone;
  int entry = 0;  // kExpand: the entry whose snippet to send
  int erase = 0;
  std::u16string type;  // kExpand: the word end; kUndo: the abbreviation and its word end
  int right = 0;        // kUndo: from a caret the snippet left inside it to the word end
  std::u16string typed = {};  // kExpand: the abbreviation as typed
  std::string stored = {};    // kExpand: as the entry spells it
};

// Whole words only: what was typed since the last word end must equal an abbreviation
// (without regard to letter case); inside, at the start or at the end of a longer word
// nothing happens. After a click, a window switch or a focus change a new word starts with
// the next key (the caret that just arrived stands at a word's edge as a rule, and an
// expansion is undone by one Backspace); after a key that moves the caret inside the text,
// or a Backspace beyond what was seen, nothing expands before the next word end.
class AbbreviationDetector {
 public:
  // Abbreviations that CheckAbbreviation refuses are left out; of entries that share one,
  // the lowest number expands.
  void Load(const std::vector<Abbreviation>& all);
  std::size_t Size() const { return at_word_end_.size() + at_once_.size(); }

  AbbrevAction OnKey(const KeyInput& key);
  // After a kExpand was carried out: how many characters the snippet put into the window,
  // and where the caret was left. Only then does a Backspace right after it undo it, and only
  // in that place: a chat box that sent its message on the Enter, or another field of the same
  // window, has nothing of it to undo. `left`: the Left keys that brought the caret back
  // from the word end to the snippet's %cursor%.
  void ExpansionDone(int typed_characters, const CaretPlace& place, int left = 0);
  // The keys went on without us (the hook was let go): what was typed is no longer known.
  void Unseen() { Forget(false); }
  // The abbreviations `loaded` has, with the typing seen so far kept: a reload in the middle
  // of a word must not make its rest look like a word of its own.
  void TakeAbbreviations(AbbreviationDetector&& loaded);
  // A kExpand that could not be carried out: the window's text is no longer known.
  void ExpansionFailed();
  // A kExpand that typed nothing, whose key went on to the window as the user typed it: the
  // window holds what was typed, and the next word counts.
  void ExpansionRefused();

 private:
  struct Expansion {
    std::u16string abbreviation;  // as typed
    std::u16string word_end;      // empty for one expanded at once
    int typed = -1;               // characters of the snippet; -1 until done
    CaretPlace place;             // where it left the caret
    int left = 0;                 // that many characters before the word end's end
    bool from_gap = true;         // the abbreviation began at a gap (its start was known)
  };
  // The typing as the user left it: the abbreviation and its word end.
  void TypedAgain(const Expansion& e);
  void Forget(bool start_known);
  void Append(char32_t cp);
  // The word typed since the last word end (or gap); nullopt where its start was not seen.
  std::optional<std::u16string_view> WordBack(bool to_gap) const;
  // The typed word `map` knows, from the last gap or else from the last word end; sets `entry`.
  std::optional<std::u16string_view> Match(const std::unordered_map<std::string, int>& map,
                                           int* entry) const;
  int Lookup(const std::unordered_map<std::string, int>& map, std::u16string_view word) const;
  AbbrevAction OnText(const std::u16string& text);
  AbbrevAction OnBackspace(const CaretPlace& place);
  // Whether `word`, just matched, starts where the word from the last gap does.
  bool FromGap(std::u16string_view word) const;

  // By AbbreviationKey.
  std::unordered_map<std::string, int> at_word_end_, at_once_;
  std::unordered_map<int, std::string> spelled_;  // by entry number
  std::u16string typed_;     // the latest keys' text, bounded
  bool start_known_ = true;  // typed_ starts at a word's edge
  std::optional<Expansion> last_;
};

}  // namespace qm
