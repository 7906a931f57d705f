// Watches the user's keys, one event at a time, for an abbreviation typed as a whole word,
// and says what to do about it; the keyboard hook feeds it and carries out its answers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/abbreviations.h"

namespace qm {

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
  bool ignored_window = false;  // one of our windows or one on the ignore list is in front

  static KeyInput Text(std::u16string t) { return {Kind::kText, std::move(t)}; }
  static KeyInput Of(Kind k) { return {k, {}}; }
};

// What the hook does about a key. For kExpand and kUndo the key itself is held back from
// the window; then `erase` Backspaces (characters, not UTF-16 units), then for kExpand the
// entry's snippet through the sender, then `type` as typed ("\r" is Enter, "\t" Tab).
struct AbbrevAction {
  enum class Kind { kNone, kExpand, kUndo };
  Kind kind = Kind::kNone;
  int entry = 0;  // kExpand: the entry whose snippet to send
  int erase = 0;
  std::u16string type;  // kExpand: the word end; kUndo: the abbreviation and its word end
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
  // After a kExpand was carried out: how many characters the snippet put into the window.
  // Only then does a Backspace right after it undo it.
  void ExpansionDone(int typed_characters);
  // A kExpand that could not be carried out: the window's text is no longer known.
  void ExpansionFailed();

 private:
  struct Expansion {
    std::u16string abbreviation;  // as typed
    std::u16string word_end;      // empty for one expanded at once
    int typed = -1;               // characters of the snippet; -1 until done
  };
  void Forget(bool start_known);
  void Append(char32_t cp);
  // The word typed since the last word end; nullopt where its start was not seen.
  std::optional<std::u16string_view> CurrentWord() const;
  int Lookup(const std::unordered_map<std::string, int>& map, std::u16string_view word) const;
  AbbrevAction OnText(const std::u16string& text);
  AbbrevAction OnBackspace();

  // By AbbreviationKey.
  std::unordered_map<std::string, int> at_word_end_, at_once_;
  std::u16string typed_;     // the latest keys' text, bounded
  bool start_known_ = true;  // typed_ starts at a word's edge
  std::optional<Expansion> last_;
};

}  // namespace qm
