// The search form of a text: what the picker compares, with letter case, accents and "ß"
// folded away, and where its words start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Lower case and without diacritics over the Latin letters a European user meets (Latin-1
// Supplement and Latin Extended-A): "Ä", "á" and "å" become "a", "ß" and "ẞ" "ss", "æ" "ae",
// "œ" "oe", "ø" "o", "þ" "th". Other letters are only case-folded; combining accents are
// dropped, so that a name in decomposed form reads as the composed one. Tabs, line breaks and
// no-break spaces become blanks. Bytes that are no UTF-8 stay as they are.
std::string SearchForm(std::string_view utf8);
// The same, appended to `out`: an index builds its forms into one block.
void AppendSearchForm(std::string& out, std::string_view utf8);

// Whether a word of the search form `folded` starts at byte `pos`: at the start, after any
// character that is neither letter nor digit (blank, "-", "_", ".", "/", "(", ...), and where
// letters and digits meet, so that "A4" and "4a" hold two words. A change of letter case is
// no word start ("GrussFormel" is one word): the search form has no case left, and names
// seldom rely on it. Letters of other scripts count as letters.
bool IsWordStart(std::string_view folded, std::size_t pos);

// The words of a query in search form, split at blanks; none for a blank query.
std::vector<std::string> SearchWords(std::string_view query);

}  // namespace qm
