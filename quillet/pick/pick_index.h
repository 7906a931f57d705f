// The picker's search: an index of one snapshot of the library, in which every keystroke only
// scans strings folded in advance, and the ranking of what it finds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quillet/pick/use_record.h"

namespace qm {

class IniDocument;

// An entry as the picker shows and sends it.
struct PickEntry {
  int number = 0;    // in the snapshot the index was built from
  std::string name;  // as the file gives it; the send checks it against the file as it is then
  std::string abbreviation = {};  // shown beside the name
};

// What the index is built from, for entries 1, 2, ... in number order.
struct PickSource {
  std::string name;
  std::string text;  // unescaped; empty where the text is not searched
  std::string abbreviation = {};
};

// The names and abbreviations of entries 1, 2, ... of `doc` up to the first empty one (a null
// `doc`, no file, is an empty library) and, with `with_text`, their unescaped texts. An enciphered text is left
// out: a search that finds it by its content would tell what the cipher hides.
std::vector<PickSource> PickSourcesOf(const IniDocument* doc, bool with_text);

// Which pairs of neighbouring bytes a text holds, hashed into 512 bits. A word whose pairs are
// not all among a text's cannot occur in it, so most texts need no scan at all.
using BytePairs = std::array<std::uint64_t, 8>;
void AddBytePairs(BytePairs& pairs, std::string_view text);

class PickIndex {
 public:
  // `sources[i]` is entry number i + 1. The use scores are taken at `now`.
  PickIndex(std::vector<PickSource> sources, const UseRecord& uses, UseTime now);
  // Takes the use scores afresh, for an index that is kept from one opening of the picker to
  // the next while the data file stays as it was: folding the texts of a large library costs
  // more than the opening may take.
  void Rank(const UseRecord& uses, UseTime now);

  // Indices into entries(), the best match first. Every word of the query must occur in the
  // name or the abbreviation, or, where the text was indexed, in the text; letter case,
  // accents and "ß" against "ss" do not count. Entries whose abbreviation is the query come
  // first, then those whose name holds every word at the start of one of its words, then the
  // other matches; within each, the most used entries
  // first (UseRecord::Score), then by name. An empty query lists every entry in that order.
  // A query that extends the previous one, as the next keystroke does, is looked for only
  // among the previous one's matches.
  std::vector<std::size_t> Search(std::string_view query);

  const std::vector<PickEntry>& entries() const { return entries_; }

 private:
  enum class Match { kNone, kInside, kAtWordStarts, kAbbreviation };
  struct Word {
    std::string text;
    BytePairs pairs{};
  };
  Match MatchOf(std::size_t entry, const std::vector<Word>& words) const;
  std::string_view NameForm(std::size_t entry) const;
  std::string_view TextForm(std::size_t entry) const;
  std::string_view AbbreviationForm(std::size_t entry) const;

  std::vector<PickEntry> entries_;
  // The search forms of the names, and of the texts, one after the other, each ending at
  // its `*_ends_`: one block each rather than a string per entry.
  std::string name_forms_, text_forms_, abbreviation_forms_;
  std::vector<std::size_t> name_ends_, text_ends_, abbreviation_ends_;
  std::vector<BytePairs> text_pairs_;
  // The order of an empty query: each search walks the entries in it, so that its result
  // needs no sort.
  std::vector<std::size_t> ranked_;
  // The previous query's search form and the entries it matched, in rank order, while it
  // had words.
  std::string last_query_;
  std::vector<std::size_t> last_matches_;
};

}  // namespace qm
