// UTF-8 and UTF-16 conversions and the case folding used to compare names.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Decodes one character at `pos`, advancing it; 0xFFFD and one byte for a malformed one.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos, bool* malformed = nullptr);
void AppendUtf8(std::string& out, char32_t cp);
// One UTF-16 unit, or a surrogate pair past U+FFFF, to a std::u16string or Windows' std::wstring.
template <typename Utf16String>
void AppendUtf16(Utf16String& out, char32_t cp) {
  using Unit = typename Utf16String::value_type;
  if (cp >= 0x10000) {
    out += static_cast<Unit>(0xD800 + ((cp - 0x10000) >> 10));
    out += static_cast<Unit>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  } else {
    out += static_cast<Unit>(cp);
  }
}
bool IsValidUtf8(std::string_view utf8);
// Counts characters, not bytes.
std::size_t CountCodePoints(std::string_view utf8);

// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
// False for malformed UTF-8; `out` then holds what was converted so far.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);

// Simple one-to-one case folding of Latin, Greek and Cyrillic letters, so that names
// match without regard to letter case as Windows matches them.
char32_t FoldCase(char32_t cp);
std::string FoldCase(std::string_view utf8);

// The other way over the same letters: each small letter that FoldCase reaches to its capital,
// one character for one, so that a text keeps its length in characters. "ß" stays "ß": "SS"
// would lengthen the text, and the capital "ẞ" is hardly ever written.
char32_t UpperCase(char32_t cp);
std::string UpperCase(std::string_view utf8);

// "U+20AC" for a code point.
std::string CodePointName(char32_t cp);

}  // namespace qm
