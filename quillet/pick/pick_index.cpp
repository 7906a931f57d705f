// The picker's index and its matching and ranking.
#include "quillet/pick/pick_index.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>

#include "quillet/pick/search_form.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"
#include "text/text_lists.h"

namespace qm {
namespace {

std::string_view Piece(const std::string& block, const std::vector<std::size_t>& ends,
                       std::size_t i) {
  const std::size_t begin = i == 0 ? 0 : ends[i - 1];
  return std::string_view(block).substr(begin, ends[i] - begin);
}

bool MayHold(const BytePairs& text, const BytePairs& word) {
  for (std::size_t i = 0; i < word.size(); ++i) {
    if ((text[i] & word[i]) != word[i]) return false;
  }
  return true;
}

// Looks for the word's first and last byte at their distance, eight places at a time, and
// compares the whole word only where both are there: a text's common letters would stop a
// scan for the first byte alone every few places.
bool Holds(std::string_view text, std::string_view word) {
  const std::size_t n = word.size();
  if (n > text.size()) return false;
  if (n < 2) return n == 0 || text.find(word[0]) != std::string_view::npos;
  const auto at = [&](std::size_t i) {
    return text[i] == word[0] && text[i + n - 1] == word[n - 1] &&
           std::memcmp(text.data() + i + 1, word.data() + 1, n - 2) == 0;
  };
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHigh = 0x8080808080808080;
  const std::uint64_t first = kOnes * static_cast<unsigned char>(word[0]);
  const std::uint64_t last = kOnes * static_cast<unsigned char>(word[n - 1]);
  const std::size_t starts = text.size() - n + 1;
  std::size_t i = 0;
  for (; i + 8 <= starts; i += 8) {
    std::uint64_t a, b;
    std::memcpy(&a, text.data() + i, 8);
    std::memcpy(&b, text.data() + i + n - 1, 8);
    const std::uint64_t x = (a ^ first) | (b ^ last);  // a zero byte where both match
    if (((x - kOnes) & ~x & kHigh) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (at(k)) return true;
    }
  }
  for (; i < starts; ++i) {
    if (at(i)) return true;
  }
  return false;
}

}  // namespace

void AddBytePairs(BytePairs& pairs, std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    const unsigned bit =
        (static_cast<unsigned char>(text[i - 1]) * 31u + static_cast<unsigned char>(text[i])) &
        511u;
    pairs[bit >> 6] |= std::uint64_t{1} << (bit & 63);
  }
}

std::vector<PickSource> PickSourcesOf(const IniDocument* doc, bool with_text) {
  std::vector<PickSource> sources;
  if (!doc) return sources;
  std::vector<std::string> names = ReadNumberedList(*doc, "Name");
  sources.reserve(names.size());
  for (std::string& name : names) {
    PickSource source{std::move(name), {}};
    const std::string key = std::to_string(sources.size() + 1);
    source.abbreviation = TrimBlanks(doc->Find(kAbbreviationSection, key).value_or(""));
    if (with_text && NumericValue(doc->Find("Crypt", key).value_or("")) == 0) {
      source.text = UnescapeStoredText(doc->Find("Text", key).value_or(""));
    }
    sources.push_back(std::move(source));
  }
  return sources;
}

PickIndex::PickIndex(std::vector<PickSource> sources, const UseRecord& uses, UseTime now) {
  const std::size_t n = sources.size();
  std::size_t name_bytes = 0, text_bytes = 0;
  for (const PickSource& source : sources) {
    name_bytes += source.name.size();
    text_bytes += source.text.size();
  }
  // Folding keeps the length but for a few "ß" and ligatures.
  name_forms_.reserve(name_bytes + name_bytes / 16);
  text_forms_.reserve(text_bytes + text_bytes / 16);
  name_ends_.reserve(n);
  text_ends_.reserve(n);
  text_pairs_.resize(n);
  entries_.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    AppendSearchForm(name_forms_, sources[i].name);
    name_ends_.push_back(name_forms_.size());
    AppendSearchForm(text_forms_, sources[i].text);
    text_ends_.push_back(text_forms_.size());
    AddBytePairs(text_pairs_[i], TextForm(i));
    AppendSearchForm(abbreviation_forms_, sources[i].abbreviation);
    abbreviation_ends_.push_back(abbreviation_forms_.size());
    entries_.push_back({static_cast<int>(i + 1), std::move(sources[i].name),
                        std::move(sources[i].abbreviation)});
  }
  Rank(uses, now);
}

void PickIndex::Rank(const UseRecord& uses, UseTime now) {
  std::vector<double> scores(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) scores[i] = uses.Score(entries_[i].name, now);
  ranked_.resize(entries_.size());
  std::iota(ranked_.begin(), ranked_.end(), std::size_t{0});
  // By name means by the search form first, so that "Äpfel" sorts among the "A"s as the
  // main list (the system's case-blind order) puts it; then as the bytes go, then by number.
  std::sort(ranked_.begin(), ranked_.end(), [&](std::size_t a, std::size_t b) {
    const std::string_view form_a = NameForm(a), form_b = NameForm(b);
    return std::tie(scores[b], form_a, entries_[a].name, a) <
           std::tie(scores[a], form_b, entries_[b].name, b);
  });
  last_query_.clear();
}

std::string_view PickIndex::NameForm(std::size_t entry) const {
  return Piece(name_forms_, name_ends_, entry);
}

std::string_view PickIndex::TextForm(std::size_t entry) const {
  return Piece(text_forms_, text_ends_, entry);
}

std::string_view PickIndex::AbbreviationForm(std::size_t entry) const {
  return Piece(abbreviation_forms_, abbreviation_ends_, entry);
}

PickIndex::Match PickIndex::MatchOf(std::size_t entry, const std::vector<Word>& words) const {
  const std::string_view name = NameForm(entry);
  const std::string_view abbreviation = AbbreviationForm(entry);
  if (words.size() == 1 && !abbreviation.empty() && abbreviation == words[0].text) {
    return Match::kAbbreviation;
  }
  Match match = Match::kAtWordStarts;
  for (const Word& word : words) {
    bool in_name = false, at_start = false;
    for (std::size_t pos = name.find(word.text); pos != std::string_view::npos && !at_start;
         pos = name.find(word.text, pos + 1)) {
      in_name = true;
      at_start = IsWordStart(name, pos);
    }
    if (!in_name && abbreviation.find(word.text) != std::string_view::npos) {
      in_name = true;
      at_start = abbreviation.compare(0, word.text.size(), word.text) == 0;
    }
    if (!in_name &&
        (!MayHold(text_pairs_[entry], word.pairs) || !Holds(TextForm(entry), word.text))) {
      return Match::kNone;
    }
    if (!at_start) match = Match::kInside;
  }
  return match;
}

std::vector<std::size_t> PickIndex::Search(std::string_view query) {
  std::string folded = SearchForm(query);
  std::vector<Word> words;
  for (std::string& text : SearchWords(folded)) {
    words.push_back({std::move(text), {}});
    AddBytePairs(words.back().pairs, words.back().text);
  }
  if (words.empty()) {
    last_query_.clear();
    return ranked_;
  }
  // Every word of the previous query is a word of this one or the start of its last word,
  // so whatever this one matches, the previous one matched too.
  const bool narrowing =
      !last_query_.empty() && folded.compare(0, last_query_.size(), last_query_) == 0;
  std::vector<std::size_t> candidates;
  candidates.swap(last_matches_);
  const std::vector<std::size_t>& walk = narrowing ? candidates : ranked_;
  std::vector<std::size_t> abbreviated, found, inside;
  for (const std::size_t entry : walk) {
    const Match match = MatchOf(entry, words);
    if (match == Match::kNone) continue;
    last_matches_.push_back(entry);
    (match == Match::kAbbreviation   ? abbreviated
     : match == Match::kAtWordStarts ? found
                                     : inside)
        .push_back(entry);
  }
  last_query_ = std::move(folded);
  abbreviated.insert(abbreviated.end(), found.begin(), found.end());
  abbreviated.insert(abbreviated.end(), inside.begin(), inside.end());
  return abbreviated;
}

}  // namespace qm
