// UTF-8 and UTF-16 conversions and the case folding used to compare names.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Decodes one character at `pos`, advancing it; 0xFFFD and one byte for a malformed one.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos, bool* malformed = nullptr);
void AppendUtf8(std::string& out, char32_t cp);
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

// "U+20AC" for a code point.
std::string CodePointName(char32_t cp);

}  // namespace qm
