// What AutoHotkey's escapes and the keys of its Send syntax type: the text of a hotstring,
// and the commands that do no more than paste the clipboard.
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
// character and {U+hhhh}, with a repeat count, and the keys that paste as the clipboard's
// "%zwischenablage%"; the others (arrows, Backspace, ^c) stay as they are and are listed in
// `kept`.
std::string TypedText(std::string_view s, std::vector<std::string>* kept);

// The length of the keys at `s[at]` that paste ("^v", "^{v}", "{Ctrl down}v{Ctrl up}"); 0 for
// none.
std::size_t PasteKeysAt(std::string_view s, std::size_t at);

// Whether a line of a script does no more than type the clipboard's text: a Send of the keys
// that paste ("Send ^v", v2's Send "^v"), or a Send of the clipboard ("SendRaw %Clipboard%",
// v2's SendText A_Clipboard).
bool PastesClipboard(std::string_view command);

}  // namespace qm
