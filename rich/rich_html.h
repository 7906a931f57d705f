// Formatted snippets: the small HTML subset they are stored in (b i u a ul ol li br p img,
// pictures as data: PNG or JPEG), read into a checked document and written back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The largest formatted version of an entry, and the largest picture in it (decoded).
inline constexpr std::size_t kMaxRichHtmlBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxRichPictureBytes = 1024 * 1024;

enum class RichTag : unsigned char {
  kBold,
  kItalic,
  kUnderline,
  kLink,
  kBulletList,
  kNumberList,
  kItem,
  kParagraph,
};

struct RichNode {
  enum class Kind : unsigned char { kText, kOpen, kClose, kBreak, kPicture };
  Kind kind = Kind::kText;
  RichTag tag = RichTag::kBold;  // kOpen, kClose
  // kText: the text (UTF-8, no markup, blanks as they show); kOpen of a link: its address;
  // kPicture: its data: address.
  std::string value;
  std::string alt;            // kPicture: its alternative text
  int width = 0, height = 0;  // kPicture: the size asked for in pixels; 0: its own
};

// Well nested: every kOpen has its kClose, lists hold items, and nothing else does.
struct RichDocument {
  std::vector<RichNode> nodes;
  // What of the HTML was left out or mended, in German, each named once; empty when all of
  // it was the subset.
  std::vector<std::string> problems;
  bool HasContent() const;
};

// Reads `html` as a browser would read it within the subset: blanks collapse, character
// references are decoded, what is unknown is left out (script and style with their content,
// other tags without, every attribute but a link's address and a picture's source, size and
// alternative text), a link that is no web or mail address and a picture that is not a PNG
// or JPEG of at most kMaxRichPictureBytes inside the HTML are left out, and broken nesting
// is closed where it breaks. HTML over kMaxRichHtmlBytes gives an empty document.
RichDocument ReadRichHtml(std::string_view html);

// The document as the subset's HTML, on one line: what ReadRichHtml reads back as the same.
std::string WriteRichHtml(const RichDocument& doc);

// The text the document shows: a line break after each paragraph, item and <br>. Lists carry
// no marks, as a rich-text editor keeps them beside the text.
std::string RichPlainText(const RichDocument& doc);

// Whether `html` may stand beside `plain` as its formatted version: both show the same
// characters, blanks and line breaks aside. An older version that edited the plain text
// leaves a formatted version that no longer matches, which then is not sent.
bool RichMatchesPlain(const RichDocument& doc, std::string_view plain);

// Every character beyond ASCII as a character reference, so that the HTML fits any code page.
std::string AsciiHtml(std::string_view html);

// The picture a data: address holds; false where it is no base64 PNG or JPEG.
bool DecodeDataPicture(std::string_view address, std::string* mime, std::string* bytes);
// "data:image/png;base64,..." for a picture's bytes; `mime` "image/png" or "image/jpeg".
std::string DataAddress(std::string_view mime, std::string_view bytes);
// The picture's size in pixels from its PNG or JPEG header; false where it has none.
bool PictureSize(std::string_view bytes, int* width, int* height);

}  // namespace qm
