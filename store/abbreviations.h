// Abbreviations of entries: their stored form beside the entries, what one may hold, and
// which of them get in each other's way.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "store/entries.h"
#include "store/ini_store.h"

namespace qm {

// Abbreviations typed in other programs pause this long, from the snippet menu.
inline constexpr int kAbbreviationPauseMinutes = 15;

class IniDocument;

// Typing one of these ends a word: blanks, line breaks and tabs, and the punctuation that
// closes or separates words (. , ; : ! ? ( ) [ ] { } < > " ' / \ and the typographic quotes
// and dashes). "-", "_", "#", "@", "+", "&" and the like are word characters, so that an
// abbreviation such as "#adr" or "m-f-g" can hold them.
bool IsWordEnd(char32_t cp);
// The word ends that are gaps between words: blanks (no-break ones too), tabs and line
// breaks. An abbreviation may hold any other word end (":mfg", "//sig", "z.B."); it then counts
// from the last gap, so that ":mfg" expands after a blank or at a line's start, and "x:mfg"
// does not.
bool IsWordGap(char32_t cp);

// Longer ones are refused: the typed word is kept only this far back.
inline constexpr int kMaxAbbreviationLength = 32;  // characters

// The section of the entries' abbreviations, keyed by entry number.
inline constexpr const char* kAbbreviationSection = "Kuerzel";

struct Abbreviation {
  int number = 0;    // the entry's
  std::string text;  // as the file reads it
  bool at_once = false;
};

// The switch for the whole feature, section "Common", key "Kuerzel": on unless it reads 0.
// A null document (no file) is the default.
bool AbbreviationsOn(const IniDocument* doc);
IniWrite AbbreviationsSwitch(bool on);

// The abbreviations of the entries 1..N, as far as the names run, from one look at the file;
// entries without one are left out. A value beyond the last entry (left there by an older
// version that deleted an entry) belongs to no one.
std::vector<Abbreviation> ReadAbbreviations(const IniDocument& doc);

// Refuses, with a message, an abbreviation that could never be typed as a whole word (one
// that holds a gap) or that is too long. The empty text means "none" and is fine.
Status CheckAbbreviation(std::string_view text);

// Stores the abbreviation (blanks around it trimmed) and its flag in the entry `key` names,
// where it stands now, in one update under the lock, as EntryStore::UpdateEntry does; where
// the entry is gone, `whole` with the abbreviation becomes a new entry. Nothing is written
// for a refused abbreviation.
Status WriteAbbreviation(EntryStore& entries, const EntryKey& key, std::string_view text,
                         bool at_once, const SnippetEntry& whole, const std::string& data_file,
                         EntryLocation* where);

// What moves along when the entry `highest` takes the place of the deleted entry `number`
// (the same number when the highest one itself goes): its abbreviation, flag, delivery and
// formatted version move, and the highest number's are blanked. Writes only what changes.
void RenumberAbbreviation(const IniDocument& doc, int number, int highest,
                          std::vector<IniWrite>& writes);
// Blanks an abbreviation that an older version left under the number a new entry takes.
void ClearLeftoverAbbreviation(const IniDocument& doc, int number, std::vector<IniWrite>& writes);

// Abbreviations compare as the user types them, without regard to letter case: "mfg",
// "MfG" and "MFG" are one abbreviation. This is the form they are compared in.
std::string AbbreviationKey(std::string_view text);

enum class ConflictKind {
  kSame,             // another entry has the same abbreviation
  kBeginsOther,      // this one is the beginning of the other's
  kBeginsWithOther,  // the other's is the beginning of this one
  kInsideOther,      // this one follows a punctuation mark inside the other's, and comes first
  kHoldsOther,       // the other's follows a punctuation mark inside this one, and comes first
  kUntypable,        // refused by CheckAbbreviation (a hand edit); never expands
};
struct AbbreviationConflict {
  ConflictKind kind = ConflictKind::kSame;
  int other = 0;  // the other entry's number; 0 for kUntypable
  friend bool operator==(const AbbreviationConflict& a, const AbbreviationConflict& b) {
    return a.kind == b.kind && a.other == b.other;
  }
};
// The conflicts of every entry that has any, by entry number, each list by the other's
// number. Sorts once; costs no more than the conflicts there are.
std::map<int, std::vector<AbbreviationConflict>> FindConflicts(
    const std::vector<Abbreviation>& all);

}  // namespace qm
