// What AutoHotkey's escapes and the keys of its Send syntax type: the text of a hotstring.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The text after the escape character's sequences: `n, `r, `t, `s, `` and the escaped
// punctuation. `b, `a, `f and `v type nothing Quillet can carry and are listed in `dropped`.
std::string Unescape(std::string_view s, std::vector<std::string>* dropped);

// What the keys of Send's syntax type as text: {Enter}, {Tab}, {Space}, {x} for a single
// character and {U+hhhh}, with a repeat count; the others (arrows, Backspace, ^v) stay as
// they are and are listed in `kept`.
std::string TypedText(std::string_view s, std::vector<std::string>* kept);

}  // namespace qm
