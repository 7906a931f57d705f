// Abbreviations of entries: their stored form beside the entries, what one may hold, and
// which of them get in each other's way.
#include "store/abbreviations.h"

#include <algorithm>

#include "store/ini_document.h"
#include "text/numbers.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

constexpr const char* kTexts = kAbbreviationSection;
constexpr const char* kAtOnce = "KuerzelSofort";

bool FlagSet(const IniDocument& doc, const std::string& key) {
  return NumericValue(doc.Find(kAtOnce, key).value_or("")) != 0;
}

// A punctuation mark inside an abbreviation ends the word typed so far: another abbreviation
// that equals the word between it and the mark before expands there first, and so does one
// expanded at once that equals that word's start, so the longer one is never typed whole.
void FindConflictsInside(const std::vector<Abbreviation>& all,
                         std::map<int, std::vector<AbbreviationConflict>>& conflicts) {
  std::multimap<std::string, const Abbreviation*> by_key;
  for (const Abbreviation& a : all) {
    if (CheckAbbreviation(a.text)) by_key.emplace(AbbreviationKey(a.text), &a);
  }
  for (const Abbreviation& b : all) {
    if (!CheckAbbreviation(b.text)) continue;
    const std::string key = AbbreviationKey(b.text);
    const auto report = [&](std::size_t from, std::size_t to, bool at_once_only) {
      const auto [first, last] = by_key.equal_range(key.substr(from, to - from));
      for (auto it = first; it != last; ++it) {
        const Abbreviation& a = *it->second;
        if (a.number == b.number || (at_once_only && !a.at_once)) continue;
        conflicts[a.number].push_back({ConflictKind::kInsideOther, b.number});
        conflicts[b.number].push_back({ConflictKind::kHoldsOther, a.number});
      }
    };
    // The start of the word after the last mark; npos before the first (the abbreviation's
    // own start is the other conflicts' business).
    std::size_t word = std::string::npos;
    for (std::size_t pos = 0; pos < key.size();) {
      const std::size_t at = pos;
      if (IsWordEnd(NextCodePoint(key, pos))) {
        if (word != std::string::npos && at > word) report(word, at, false);
        word = pos;
      } else if (word != std::string::npos && !(pos == key.size() && b.at_once)) {
        // At its last character one expanded at once is looked up from the gap first, and wins.
        report(word, pos, true);
      }
    }
  }
}

}  // namespace

bool IsWordEnd(char32_t cp) {
  // clang-format off
  switch (cp) {
    case U' ': case U'\t': case U'\r': case U'\n': case U'\v': case U'\f':
    case U'.': case U',': case U';': case U':': case U'!': case U'?':
    case U'(': case U')': case U'[': case U']': case U'{': case U'}': case U'<': case U'>':
    case U'"': case U'\'': case U'/': case U'\\':
    case U'\u00A0': case U'\u202F':                                   // no-break spaces
    case U'\u00AB': case U'\u00BB': case U'\u2039': case U'\u203A':   // guillemets
    case U'\u201E': case U'\u201C': case U'\u201D':                   // double quotes
    case U'\u201A': case U'\u2018': case U'\u2019':                   // single quotes
    case U'\u2013': case U'\u2014': case U'\u2026':                   // dashes, ellipsis
    case U'\u00A1': case U'\u00BF':
      return true;
    default:
      return false;
  }
  // clang-format on
}

bool IsWordGap(char32_t cp) {
  // clang-format off
  switch (cp) {
    case U' ': case U'\t': case U'\r': case U'\n': case U'\v': case U'\f':
    case U'\u00A0': case U'\u202F':
      return true;
    default:
      return false;
  }
  // clang-format on
}

bool AbbreviationsOn(const IniDocument* doc) {
  return !doc || NumericValue(doc->Find("Common", kTexts).value_or("1")) != 0;
}

IniWrite AbbreviationsSwitch(bool on) {
  return {"Common", kTexts, on ? "1" : "0"};
}

std::vector<Abbreviation> ReadAbbreviations(const IniDocument& doc) {
  std::vector<Abbreviation> all;
  const std::size_t entries = ReadNumberedList(doc, "Name").size();
  for (std::size_t n = 1; n <= entries; ++n) {
    const std::string key = std::to_string(n);
    std::string text = doc.Find(kTexts, key).value_or("");
    if (text.empty()) continue;
    all.push_back({static_cast<int>(n), std::move(text), FlagSet(doc, key)});
  }
  return all;
}

Status CheckAbbreviation(std::string_view text) {
  std::size_t pos = 0;
  int count = 0;
  while (pos < text.size()) {
    if (IsWordGap(NextCodePoint(text, pos))) {
      return Status::Refuse(
          "Ein Kürzel darf keine Leerzeichen, Tabulatoren und Zeilenumbrüche enthalten, denn sie "
          "trennen Wörter.");
    }
    ++count;
  }
  if (count > kMaxAbbreviationLength) {
    return Status::Refuse("Ein Kürzel hat höchstens " + std::to_string(kMaxAbbreviationLength) +
                          " Zeichen.");
  }
  return Status::Ok();
}

Status WriteAbbreviation(EntryStore& entries, const EntryKey& key, std::string_view text,
                         bool at_once, const SnippetEntry& whole, const std::string& data_file,
                         EntryLocation* where) {
  const std::string trimmed = TrimBlanks(text);
  if (Status s = CheckAbbreviation(trimmed); !s) return s;
  // A flag without an abbreviation would wake up with the next one typed in.
  const bool flag = at_once && !trimmed.empty();
  return entries.UpdateEntry(key, {{kTexts, TextFieldValue(trimmed)}, {kAtOnce, flag ? "1" : ""}},
                             whole, data_file, where, nullptr);
}

void RenumberAbbreviation(const IniDocument& doc, int number, int highest,
                          std::vector<IniWrite>& writes) {
  const std::string to = std::to_string(number), from = std::to_string(highest);
  for (const char* section : {kTexts, kAtOnce, kDeliverySection, kFormatSection}) {
    const std::string moving = doc.Find(section, from).value_or("");
    if (number != highest && doc.Find(section, to).value_or("") != moving) {
      writes.push_back({section, to, TextFieldValue(moving)});
    }
    if (!moving.empty()) writes.push_back({section, from, ""});
  }
}

void ClearLeftoverAbbreviation(const IniDocument& doc, int number, std::vector<IniWrite>& writes) {
  RenumberAbbreviation(doc, number, number, writes);
}

std::string AbbreviationKey(std::string_view text) {
  return FoldCase(text);
}

std::map<int, std::vector<AbbreviationConflict>> FindConflicts(
    const std::vector<Abbreviation>& all) {
  std::map<int, std::vector<AbbreviationConflict>> conflicts;
  std::vector<std::pair<std::string, int>> keys;
  for (const Abbreviation& a : all) {
    if (!CheckAbbreviation(a.text)) {
      conflicts[a.number].push_back({ConflictKind::kUntypable, 0});
    } else {
      keys.emplace_back(AbbreviationKey(a.text), a.number);
    }
  }
  std::sort(keys.begin(), keys.end());
  // Sorted, every key that another one begins follows that one directly.
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& key = keys[i].first;
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      const std::string& other = keys[j].first;
      if (other.compare(0, key.size(), key) != 0) break;
      const bool same = other.size() == key.size();
      const int a = keys[i].second, b = keys[j].second;
      conflicts[a].push_back({same ? ConflictKind::kSame : ConflictKind::kBeginsOther, b});
      conflicts[b].push_back({same ? ConflictKind::kSame : ConflictKind::kBeginsWithOther, a});
    }
  }
  FindConflictsInside(all, conflicts);
  for (auto& [number, list] : conflicts) {
    std::sort(list.begin(), list.end(), [](const auto& x, const auto& y) {
      return x.other != y.other ? x.other < y.other : x.kind < y.kind;
    });
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return conflicts;
}

}  // namespace qm
