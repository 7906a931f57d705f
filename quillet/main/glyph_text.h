// The editor's display form of a snippet: Enter and Tab as coloured symbol-font glyphs, the
// conversions to and from the stored form, and the caret rules around the glyphs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A symbol font's characters live at U+F020..U+F0FF, so the glyphs are characters that no
// keyboard produces: a typed or pasted letter "Ã" or "ð" stays that letter.
inline constexpr char32_t kEnterGlyph = 0xF0C3;
inline constexpr char32_t kTabGlyph = 0xF0F0;
inline constexpr const char* kEnterGlyphUtf8 = "\xEF\x83\x83";
inline constexpr const char* kTabGlyphUtf8 = "\xEF\x83\xB0";
inline constexpr const char* kGlyphFont = "Wingdings";
inline constexpr const char* kTextFont = "Arial";
// Colours as red + 256 * green + 65536 * blue.
inline constexpr unsigned kEnterColour = 0x0000FF;
inline constexpr unsigned kTabColour = 0xFF0000;
inline constexpr unsigned kTextColour = 0x000000;

// Stored form (escaped, already deciphered) to glyph text: carriage returns and tabs become
// their glyphs; there are no line breaks in a glyph text.
std::string StoredToGlyphs(std::string_view stored);
// The editor's text to the stored form: its line breaks only lay the text out and go, the
// glyphs become carriage return and tab again, then the text is escaped. A line break is CR LF
// or the lone CR with which a rich edit control ends a paragraph.
std::string EditorToStored(std::string_view editor_text);

// Text from the clipboard as the editor takes it: every line break (CR LF, LF or CR) becomes
// an Enter glyph and every tab a Tab glyph, each followed by the line break that lays the
// glyph out, so that what the editor shows is what is typed. A line break directly behind a
// glyph is that glyph's own (a copy of the editor's text) and stays a mere line break.
std::string PastedTextToEditorText(std::string_view pasted);

enum class RunKind { kText, kEnter, kTab };
struct DisplayRun {
  RunKind kind = RunKind::kText;
  std::string text;  // for a glyph: the glyph alone; its line break follows in the editor
};
// The glyph text in the pieces the editor shows with their own format.
std::vector<DisplayRun> DisplayRuns(std::string_view glyph_text);
// The whole display form as rich text, so that the editor takes a snippet in one step:
// text in Arial and black, the Enter glyph red and the Tab glyph blue in Wingdings, each
// glyph followed by a line break. `half_points` is the font size.
std::string GlyphTextToRtf(std::string_view glyph_text, int half_points = 20);

// `utf8` as RTF text: braces and backslashes escaped, every character beyond ASCII as \uN.
void AppendRtfChars(std::string& rtf, std::string_view utf8);

// The text a rich edit control holds once it has taken GlyphTextToRtf(glyph_text): each
// glyph followed by the CR that ends its paragraph, except a glyph at the very end.
std::string GlyphTextAsEditorText(std::string_view glyph_text);

// Positions in the editor count UTF-16 units; our text is UTF-8.
std::size_t Utf16Length(std::string_view utf8);

// Where the caret goes before a key is recorded or a character typed: directly behind a
// glyph it moves past the glyph's line break, so that nothing lands between the two.
// `text` is the editor's text as the control counts positions.
std::size_t SkipControlGlyph(std::u16string_view text, std::size_t caret);

// The next occurrence of `needle` at or after `start` (UTF-16 units), letter case ignored;
// nullopt when there is none. The search does not wrap around.
std::optional<std::size_t> FindInEditorText(std::string_view text, std::string_view needle,
                                            std::size_t start);

}  // namespace qm
