// Formatting in the snippet editor: what a formatted entry shows in the rich edit control, and
// what the control holds, read back, as the entry's plain text and its formatted version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rich/rich_html.h"

namespace qm {

// Links and pictures are nothing a rich edit control keeps reliably: Wine's drops a field
// with its text, and a PNG or JPEG picture altogether (one it keeps ends what it writes out).
// So the editor keeps their addresses and data beside its text, and the control only a
// colour: link i is text in LinkColour(i), picture i a mark (a symbol-font glyph, like Enter
// and Tab) in PictureColour(i). Colours are red + 256 * green + 65536 * blue.
inline constexpr std::size_t kMaxEditorLinks = 64;
inline constexpr std::size_t kMaxEditorPictures = 128;
inline constexpr char32_t kPictureMark = 0xF03A;
inline constexpr const char* kPictureMarkUtf8 = "\xEF\x80\xBA";
// A picture's mark is this large, in points: the editor shows the picture in its place, at
// most as high.
inline constexpr int kPictureMarkPoints = 32;
std::uint32_t LinkColour(std::size_t index);
std::uint32_t PictureColour(std::size_t index);
// Whether `colour` is one of the links' colours, whichever link it stands for.
bool IsLinkColour(std::uint32_t colour);

// What the editor keeps beside the text of the entry it shows. Nothing is ever taken out
// while the entry is shown, so that an undone deletion finds its link or picture again.
struct EditorAttachments {
  std::vector<std::string> links;  // addresses
  std::vector<RichNode> pictures;  // kPicture nodes
  // The index of `address`, added where it is new; nullopt where the list is full.
  std::optional<std::size_t> AddLink(const std::string& address);
  std::optional<std::size_t> AddPicture(RichNode picture);
};

struct EditorShowing {
  std::string glyph_text;  // with a kPictureMark where each picture stands
  std::string rtf;         // the whole editor content, as GlyphTextToRtf writes it
  EditorAttachments attachments;
  // The formatted version as the editor gives it back unchanged.
  std::string html;
  // What of the formatted version the editor cannot show, in German, one sentence each.
  std::vector<std::string> problems;
};

// What an entry whose text is `glyph_text` and whose formatted version is `html` (not empty,
// not escaped) shows: its formatting on the characters it belongs to, found by the text's
// characters with blanks and line breaks aside. Where the two no longer match, the formatting
// stays on the characters before and after the difference, and a problem says so.
EditorShowing ShowFormatted(std::string_view glyph_text, std::string_view html);

struct EditorContent {
  std::string stored;  // the plain text in its stored form, as EditorToStored gives it
  std::string html;    // the formatted version, not escaped; empty where nothing is formatted
};

// The editor's content: its text as the control reports it (a paragraph ends in "\r") and the
// RTF the control writes out, or "" where it cannot hold any formatting. Picture marks leave
// the plain text; list paragraphs become <ul> or <ol> items, an Enter glyph <br> (one that
// ends an item or comes right before a list is the block's edge), a Tab glyph a blank.
EditorContent ReadEditor(std::string_view editor_text, std::string_view rtf,
                         const EditorAttachments& attachments);

// Whether `address` may be a link's: a web, mail, FTP or telephone address, as the formatted
// version keeps them.
bool LinkAddressAllowed(std::string_view address);

// A PNG or JPEG file's bytes as a picture of the formatted version; nullopt where they are
// neither.
std::optional<RichNode> PictureFromFile(const std::string& bytes);

// `text` without the marks of pictures, for the clipboard.
std::string WithoutPictureMarks(std::string_view text);

// The problem line's sentences for a formatted version that no longer matches the text.
inline constexpr const char* kFormatMismatch =
    "Die formatierte Fassung passt nicht mehr zum Text; gesendet wird der Text.";

namespace editor_format_detail {

// One character's look in the editor.
struct CharLook {
  bool bold = false, italic = false, underline = false;
  int link = -1;  // index into the attachments' links
  bool operator==(const CharLook& o) const {
    return bold == o.bold && italic == o.italic && underline == o.underline && link == o.link;
  }
  bool operator!=(const CharLook& o) const { return !(*this == o); }
};

// Characters that the formatted version's text and the plain text may differ in: blanks,
// line breaks, and the glyphs of Enter and Tab.
bool IsBlankOrGlyph(char32_t c);

}  // namespace editor_format_detail

}  // namespace qm
