// Watches the user's keys, one event at a time, for an abbreviation typed as a whole word,
// and says what to do about it; the keyboard hook feeds it and carries out its answers.
#include "quillet/abbrev/detector.h"

#include "text/utf.h"

namespace qm {
namespace {

// Enough for the longest abbreviation even in surrogate pairs, with its word end before it.
constexpr std::size_t kKeptUnits = 2 * kMaxAbbreviationLength + 2;

std::vector<char32_t> CodePoints(std::u16string_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    out.push_back(cp);
  }
  return out;
}

int CharacterCount(std::u16string_view text) {
  return static_cast<int>(CodePoints(text).size());
}

// Control characters other than Enter and Tab come from Ctrl combinations and Esc, which
// edit or leave the text rather than type into it.
bool IsControl(char32_t cp) {
  return (cp < 0x20 && cp != U'\r' && cp != U'\t') || cp == 0x7F;
}

}  // namespace

void AbbreviationDetector::Load(const std::vector<Abbreviation>& all) {
  at_word_end_.clear();
  at_once_.clear();
  spelled_.clear();
  for (const Abbreviation& a : all) {
    if (a.text.empty() || !CheckAbbreviation(a.text)) continue;
    // The stand-in for what the hook could not read ("\uFFFF") never matches.
    if (a.text.find("\xEF\xBF\xBF") != std::string::npos) continue;
    auto& map = a.at_once ? at_once_ : at_word_end_;
    auto [it, added] = map.try_emplace(AbbreviationKey(a.text), a.number);
    if (!added && a.number < it->second) it->second = a.number;
    spelled_[a.number] = a.text;
  }
  Forget(true);
}

void AbbreviationDetector::Forget(bool start_known) {
  typed_.clear();
  start_known_ = start_known;
  last_.reset();
}

void AbbreviationDetector::Append(char32_t cp) {
  AppendUtf16(typed_, cp);
  if (typed_.size() > 2 * kKeptUnits) {
    std::size_t cut = typed_.size() - kKeptUnits;
    if (typed_[cut] >= 0xDC00 && typed_[cut] < 0xE000) ++cut;  // not between a pair's halves
    typed_.erase(0, cut);
    start_known_ = false;
  }
}

std::optional<std::u16string_view> AbbreviationDetector::WordBack(bool to_gap) const {
  // Every word end is a single UTF-16 unit, which never occurs inside a surrogate pair.
  std::size_t start = typed_.size();
  while (start > 0 && !(to_gap ? IsWordGap(typed_[start - 1]) : IsWordEnd(typed_[start - 1]))) {
    --start;
  }
  if (start == 0 && !start_known_) return std::nullopt;
  return std::u16string_view(typed_).substr(start);
}

std::optional<std::u16string_view> AbbreviationDetector::Match(
    const std::unordered_map<std::string, int>& map, int* entry) const {
  // From the last gap first: ":mfg" there is meant whole, and wins over "mfg" after the colon.
  const std::optional<std::u16string_view> wide = WordBack(true), narrow = WordBack(false);
  if (wide && (!narrow || wide->size() != narrow->size())) {
    if ((*entry = Lookup(map, *wide)) != 0) return wide;
  }
  if (narrow && (*entry = Lookup(map, *narrow)) != 0) return narrow;
  *entry = 0;
  return std::nullopt;
}

int AbbreviationDetector::Lookup(const std::unordered_map<std::string, int>& map,
                                 std::u16string_view word) const {
  if (map.empty() || word.empty() || word.size() > 2 * kMaxAbbreviationLength) return 0;
  const auto it = map.find(AbbreviationKey(Utf16ToUtf8(word)));
  return it == map.end() ? 0 : it->second;
}

AbbrevAction AbbreviationDetector::OnKey(const KeyInput& key) {
  if (key.injected) return {};
  if (key.ignored_window) {
    Forget(true);
    return {};
  }
  switch (key.kind) {
    case KeyInput::Kind::kText:
      return OnText(key.text);
    case KeyInput::Kind::kBackspace:
      return OnBackspace(key.place);
    case KeyInput::Kind::kDeadKey:
    case KeyInput::Kind::kModifier:
      return {};
    case KeyInput::Kind::kOtherKey:
      Forget(false);
      return {};
    case KeyInput::Kind::kReset:
      Forget(true);
      return {};
  }
  return {};
}

AbbrevAction AbbreviationDetector::OnText(const std::u16string& text) {
  last_.reset();
  const std::vector<char32_t> cps = CodePoints(text);
  if (cps.empty()) return {};
  for (char32_t cp : cps) {
    if (IsControl(cp)) {
      Forget(false);
      return {};
    }
  }
  // Only the key's last character can end the word; the ones before it (a dead key's
  // accent that did not combine) are typed into it.
  for (std::size_t i = 0; i + 1 < cps.size(); ++i) Append(cps[i]);
  const char32_t last = cps.back();
  const int held_in_word = static_cast<int>(cps.size()) - 1;  // of this key, before `last`
  int entry = 0;
  if (IsWordEnd(last)) {
    if (const std::optional<std::u16string_view> word = Match(at_word_end_, &entry)) {
      AbbrevAction act{
          AbbrevAction::Kind::kExpand, entry, CharacterCount(*word) - held_in_word, {}};
      AppendUtf16(act.type, last);
      act.typed = std::u16string(*word);
      act.stored = spelled_[entry];
      Expansion done{std::u16string(*word), act.type, -1, {}, FromGap(*word)};
      // After a gap a new word starts; after a mark only the part behind it is known: the
      // snippet's last word stands before it.
      const bool gap = IsWordGap(last);
      Forget(gap);
      if (!gap) Append(last);
      last_ = std::move(done);
      return act;
    }
  }
  Append(last);
  // A punctuation mark may end one expanded at once ("z.B."); a gap never does.
  if (IsWordGap(last)) return {};
  const std::optional<std::u16string_view> word = Match(at_once_, &entry);
  if (!word) return {};
  AbbrevAction act{
      AbbrevAction::Kind::kExpand, entry, CharacterCount(*word) - held_in_word - 1, {}};
  act.typed = std::u16string(*word);
  act.stored = spelled_[entry];
  Expansion done{std::u16string(*word), {}, -1, {}, FromGap(*word)};
  // The snippet's last word runs on into whatever is typed next.
  Forget(false);
  last_ = std::move(done);
  return act;
}

AbbrevAction AbbreviationDetector::OnBackspace(const CaretPlace& place) {
  if (last_ && last_->typed >= 0 && last_->place.known() && last_->place == place) {
    const Expansion undo = *last_;
    TypedAgain(undo);
    return {AbbrevAction::Kind::kUndo, 0, undo.typed + CharacterCount(undo.word_end),
            undo.abbreviation + undo.word_end, undo.left};
  }
  last_.reset();
  if (typed_.empty()) {
    start_known_ = false;  // into text typed before we looked
    return {};
  }
  const bool pair = typed_.size() >= 2 && typed_.back() >= 0xDC00 && typed_.back() < 0xE000 &&
                    typed_[typed_.size() - 2] >= 0xD800 && typed_[typed_.size() - 2] < 0xDC00;
  typed_.resize(typed_.size() - (pair ? 2 : 1));
  return {};
}

void AbbreviationDetector::ExpansionDone(int typed_characters, const CaretPlace& place,
                                         int left) {
  if (last_ && last_->typed < 0) {
    last_->typed = typed_characters < 0 ? 0 : typed_characters;
    last_->place = place;
    last_->left = left < 0 ? 0 : left;
  }
}

void AbbreviationDetector::TakeAbbreviations(AbbreviationDetector&& loaded) {
  at_word_end_ = std::move(loaded.at_word_end_);
  at_once_ = std::move(loaded.at_once_);
  spelled_ = std::move(loaded.spelled_);
}

void AbbreviationDetector::ExpansionFailed() {
  Forget(false);
}

void AbbreviationDetector::ExpansionRefused() {
  if (!last_) return Forget(false);
  const Expansion refused = *last_;
  TypedAgain(refused);
}

void AbbreviationDetector::TypedAgain(const Expansion& e) {
  Forget(e.from_gap);
  typed_ = e.abbreviation + e.word_end;
}

bool AbbreviationDetector::FromGap(std::u16string_view word) const {
  const std::optional<std::u16string_view> wide = WordBack(true);
  return wide && wide->size() == word.size();
}

CaretPlace PlaceAfterWordEnd(const CaretPlace& snippet_end, const CaretPlace& after,
                             bool word_end) {
  if (!SameField(snippet_end, after)) return {};
  if (!word_end) return after == snippet_end ? after : CaretPlace{};
  const bool went_on = after.top > snippet_end.top ||
                       (after.top == snippet_end.top && after.left > snippet_end.left);
  return went_on ? after : CaretPlace{};
}

bool SameField(const CaretPlace& a, const CaretPlace& b) {
  return a.known() && b.known() && a.focus == b.focus && a.caret == b.caret;
}

}  // namespace qm
