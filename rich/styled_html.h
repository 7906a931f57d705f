// HTML whose formatting lies in style attributes, as rich-text widgets write a whole page of
// it, made into the HTML subset of formatted snippets.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Whether `html` is such a page: a rich-text widget's document rather than a fragment.
bool IsStyledHtmlPage(std::string_view html);

// The page's body as the subset: a span's bold weight, italic style and underline become
// b, i and u; each paragraph becomes a line of its own; blanks stay as they were typed, as
// the page keeps them (several in a row, at a line's start, line breaks inside a paragraph);
// links, lists and pictures pass as they are. What the subset does not know (fonts, colours,
// other styles) is left out without a word.
std::string StyledHtmlAsSubset(std::string_view html);

}  // namespace qm
