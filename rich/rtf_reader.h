// What a rich edit control writes when it streams its content out as RTF, read back as far as
// formatted snippets need it: text runs with bold, italic, underline and colour, the ends of
// paragraphs with their list, and pictures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class RtfList : unsigned char { kNone, kBullet, kNumber };

// A colour as red + 256 * green + 65536 * blue; kRtfAutoColour where the text has none of
// its own (the colour table's empty entry, or no \cf at all).
inline constexpr std::uint32_t kRtfAutoColour = 0xFFFFFFFF;

struct RtfRun {
  enum class Kind : unsigned char { kText, kParagraphEnd, kPicture };
  Kind kind = Kind::kText;
  // kText: the characters, UTF-8 (a symbol font's characters at U+F020..U+F0FF, what the
  // reader cannot decode as U+FFFD, one per character); kPicture: the picture's bytes.
  std::string text;
  bool bold = false, italic = false, underline = false;
  std::uint32_t colour = kRtfAutoColour;
  RtfList list = RtfList::kNone;  // kParagraphEnd: the list of the paragraph it ends
  // kPicture: "image/png" or "image/jpeg", empty for any other kind; the size it is shown
  // at, in twips (0: its own).
  std::string mime;
  int width_twips = 0, height_twips = 0;
};

// Each character stands in a run of its own only where its look changes; every paragraph
// ends in a kParagraphEnd, the last one too where the RTF ends it without \par. What the
// control keeps beside its text (list marks in \pntext, fonts, colours, styles, every
// ignorable destination) is no text here.
std::vector<RtfRun> ReadRtf(std::string_view rtf);

}  // namespace qm
