// Showing a formatted entry in the editor: its formatted version laid onto the glyph text,
// and both written as the RTF the editor takes in one step.
#include <algorithm>
#include <utility>

#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "rich/rich_markup.h"
#include "rich/rtf_reader.h"
#include "text/utf.h"

namespace qm {

using editor_format_detail::CharLook;
using editor_format_detail::IsBlankOrGlyph;

std::uint32_t LinkColour(std::size_t index) {
  return static_cast<std::uint32_t>(5 + 256 * 99 + 65536 * (192 + index));
}

bool IsLinkColour(std::uint32_t colour) {
  return (colour & 0xFFFF) == (LinkColour(0) & 0xFFFF) && (colour >> 16) >= (LinkColour(0) >> 16);
}

std::uint32_t PictureColour(std::size_t index) {
  return static_cast<std::uint32_t>(256 * 128 + 65536 * index);
}

std::optional<std::size_t> EditorAttachments::AddLink(const std::string& address) {
  const auto it = std::find(links.begin(), links.end(), address);
  if (it != links.end()) return static_cast<std::size_t>(it - links.begin());
  if (links.size() >= kMaxEditorLinks) return std::nullopt;
  links.push_back(address);
  return links.size() - 1;
}

std::optional<std::size_t> EditorAttachments::AddPicture(RichNode picture) {
  if (pictures.size() >= kMaxEditorPictures) return std::nullopt;
  pictures.push_back(std::move(picture));
  return pictures.size() - 1;
}

bool editor_format_detail::IsBlankOrGlyph(char32_t c) {
  return c <= 0x20 || c == 0xA0 || c == kEnterGlyph || c == kTabGlyph;
}

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A character of the formatted version with its look; a line's end (a <br>, the edge of a
// block) or a picture.
struct DocChar {
  char32_t c = 0;
  CharLook look;
  RtfList list = RtfList::kNone;
  bool line_end = false;
  int picture = -1;
};

struct Flat {
  std::vector<DocChar> chars;
  bool links_full = false, pictures_full = false;
};

Flat Flatten(const RichDocument& doc, EditorAttachments& attachments) {
  Flat flat;
  int bold = 0, italic = 0, underline = 0, items = 0;
  std::vector<int> links;
  std::vector<RtfList> lists;
  const auto edge = [&] { flat.chars.push_back({'\n', {}, RtfList::kNone, true, -1}); };
  for (const RichNode& n : doc.nodes) {
    const int step = n.kind == RichNode::Kind::kOpen ? 1 : -1;
    switch (n.kind) {
      case RichNode::Kind::kText: {
        const CharLook look{bold > 0, italic > 0, underline > 0, links.empty() ? -1 : links.back()};
        const RtfList list = items > 0 && !lists.empty() ? lists.back() : RtfList::kNone;
        for (std::size_t pos = 0; pos < n.value.size();) {
          flat.chars.push_back({NextCodePoint(n.value, pos), look, list, false, -1});
        }
        break;
      }
      case RichNode::Kind::kBreak:
        edge();
        break;
      case RichNode::Kind::kPicture:
        if (const auto index = attachments.AddPicture(n)) {
          flat.chars.push_back({0, {}, RtfList::kNone, false, static_cast<int>(*index)});
        } else {
          flat.pictures_full = true;
        }
        break;
      case RichNode::Kind::kOpen:
      case RichNode::Kind::kClose:
        switch (n.tag) {
          case RichTag::kBold: bold += step; break;
          case RichTag::kItalic: italic += step; break;
          case RichTag::kUnderline: underline += step; break;
          case RichTag::kLink:
            if (step > 0) {
              const auto index = attachments.AddLink(n.value);
              flat.links_full = flat.links_full || !index;
              links.push_back(index ? static_cast<int>(*index) : -1);
            } else if (!links.empty()) {
              links.pop_back();
            }
            break;
          case RichTag::kBulletList:
          case RichTag::kNumberList:
            if (step > 0) {
              lists.push_back(n.tag == RichTag::kBulletList ? RtfList::kBullet : RtfList::kNumber);
            } else if (!lists.empty()) {
              lists.pop_back();
            }
            edge();
            break;
          case RichTag::kItem: items += step; edge(); break;
          case RichTag::kParagraph: edge(); break;
        }
        break;
    }
  }
  return flat;
}

CharLook Common(const CharLook& a, const CharLook& b) {
  return {a.bold && b.bold, a.italic && b.italic, a.underline && b.underline,
          a.link == b.link ? a.link : -1};
}

// A character of the editor's text with its look; a picture's mark names its picture.
struct Cell {
  char32_t c = 0;
  CharLook look;
  int picture = -1;
};

struct Laid {
  std::vector<Cell> cells;
  std::vector<RtfList> line_lists;  // per line; a line ends with an Enter glyph
  bool matches = true;
};

// Lays the flattened formatted version onto the glyph text: their characters, blanks and
// glyphs aside, are matched from the start and from the end.
Laid LayOnto(const std::vector<char32_t>& g, const std::vector<DocChar>& d) {
  std::vector<std::size_t> g_shown, d_shown;
  for (std::size_t i = 0; i < g.size(); ++i) {
    if (!IsBlankOrGlyph(g[i])) g_shown.push_back(i);
  }
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (d[i].picture < 0 && !d[i].line_end && !IsBlankOrGlyph(d[i].c)) d_shown.push_back(i);
  }
  const std::size_t most = std::min(g_shown.size(), d_shown.size());
  std::size_t prefix = 0, suffix = 0;
  while (prefix < most && g[g_shown[prefix]] == d[d_shown[prefix]].c) ++prefix;
  while (suffix < most - prefix && g[g_shown[g_shown.size() - 1 - suffix]] ==
                                       d[d_shown[d_shown.size() - 1 - suffix]].c) {
    ++suffix;
  }
  Laid laid;
  laid.matches = prefix == g_shown.size() && prefix == d_shown.size();
  std::vector<std::size_t> doc_of(g.size(), kNone);
  for (std::size_t k = 0; k < prefix; ++k) doc_of[g_shown[k]] = d_shown[k];
  for (std::size_t k = 0; k < suffix; ++k) {
    doc_of[g_shown[g_shown.size() - 1 - k]] = d_shown[d_shown.size() - 1 - k];
  }
  // Each character's look; a blank takes what its neighbours share, a glyph none.
  std::vector<CharLook> looks(g.size());
  for (std::size_t i = 0; i < g.size(); ++i) {
    if (doc_of[i] != kNone) looks[i] = d[doc_of[i]].look;
  }
  const CharLook* before = nullptr;
  for (std::size_t k = 0, i = 0; i < g.size(); ++i) {
    while (k < g_shown.size() && g_shown[k] < i) ++k;
    if (!IsBlankOrGlyph(g[i])) {
      before = &looks[i];
    } else if (g[i] != kEnterGlyph && g[i] != kTabGlyph && before && k < g_shown.size()) {
      looks[i] = Common(*before, looks[g_shown[k]]);
    }
  }
  // Each line's list: that of its first character the formatted version has.
  bool line_has_list = false;
  laid.line_lists.push_back(RtfList::kNone);
  for (std::size_t i = 0; i < g.size(); ++i) {
    if (!line_has_list && doc_of[i] != kNone) {
      laid.line_lists.back() = d[doc_of[i]].list;
      line_has_list = true;
    }
    if (g[i] == kEnterGlyph) {
      laid.line_lists.push_back(RtfList::kNone);
      line_has_list = false;
    }
  }
  // Where each picture goes: behind the character it follows, past the line break or blank
  // that stands between them.
  std::vector<std::pair<std::size_t, int>> marks;
  std::size_t shown_before = 0;
  bool had_break = false, had_blank = false;
  for (const DocChar& c : d) {
    if (c.picture < 0) {
      const bool shown = !c.line_end && !IsBlankOrGlyph(c.c);
      if (shown) ++shown_before;
      had_break = !shown && (had_break || c.line_end);
      had_blank = !shown && (had_blank || !c.line_end);
      continue;
    }
    const std::size_t k = shown_before;
    const std::size_t kk = k <= prefix ? k
                           : k >= d_shown.size() - suffix ? g_shown.size() - (d_shown.size() - k)
                                                         : prefix;
    std::size_t p = kk == 0 ? 0 : g_shown[kk - 1] + 1;
    for (std::size_t q = p; (had_break || had_blank) && q < g.size() && IsBlankOrGlyph(g[q]); ++q) {
      if (had_break ? g[q] == kEnterGlyph : g[q] != kEnterGlyph) {
        p = q + 1;
        break;
      }
    }
    marks.emplace_back(p, c.picture);
  }
  laid.cells.reserve(g.size() + marks.size());
  std::size_t m = 0;
  for (std::size_t i = 0; i <= g.size(); ++i) {
    for (; m < marks.size() && marks[m].first == i; ++m) {
      laid.cells.push_back({kPictureMark, {}, marks[m].second});
    }
    if (i < g.size()) laid.cells.push_back({g[i], looks[i], -1});
  }
  return laid;
}

// The editor's content as RTF: Arial, the glyphs and marks in Wingdings, links and pictures
// in their colours, list paragraphs with their bullet or number.
class EditorRtfWriter {
 public:
  EditorRtfWriter(const EditorAttachments& a) : links_(a.links.size()) {
    out_ =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset2 Wingdings;}{\\f2\\fnil\\fcharset2 Symbol;}}"
        "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;";
    for (std::size_t i = 0; i < a.links.size(); ++i) Colour(LinkColour(i));
    for (std::size_t i = 0; i < a.pictures.size(); ++i) Colour(PictureColour(i));
    out_ += "}\\uc1\\pard\\plain\\f0\\fs20\\cf1 ";
  }

  std::string Write(const Laid& laid) {
    std::size_t line = 0;
    int number = 0;
    bool first_of_line = true, formatted_paragraph = false;
    RtfList previous = RtfList::kNone;
    for (std::size_t i = 0; i < laid.cells.size(); ++i) {
      if (paragraph_starts_) {
        const RtfList list = laid.line_lists[std::min(line, laid.line_lists.size() - 1)];
        if (first_of_line) number = list == RtfList::kNumber && previous == list ? number + 1 : 1;
        if (first_of_line) previous = list;
        if (list != RtfList::kNone && first_of_line) {
          out_ += list == RtfList::kBullet
                      ? "\\pard{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360{\\pntxtb\\'B7}}\\fi-360\\li360 "
                      : "\\pard{\\*\\pn\\pnlvlbody\\pnf0\\pnindent360\\pnstart" +
                            std::to_string(number) + "\\pndec{\\pntxta.}}\\fi-360\\li360 ";
        } else if (list != RtfList::kNone) {
          out_ += "\\pard\\li360 ";
        } else if (formatted_paragraph) {
          out_ += "\\pard ";
        }
        formatted_paragraph = list != RtfList::kNone;
        paragraph_starts_ = false;
      }
      const Cell& cell = laid.cells[i];
      if (cell.c == kEnterGlyph || cell.c == kTabGlyph) {
        Want({}, cell.c == kEnterGlyph ? 2 : 3, 1);
        Char(cell.c);
        out_ += "\\par ";
        paragraph_starts_ = true;
        first_of_line = cell.c == kEnterGlyph;
        if (first_of_line) ++line;
      } else if (cell.picture >= 0) {
        Want({}, 4 + static_cast<int>(links_) + cell.picture, 1);
        out_ += "\\fs" + std::to_string(2 * kPictureMarkPoints) + " ";
        Char(cell.c);
        out_ += "\\fs20 ";
      } else {
        Want(cell.look, cell.look.link >= 0 ? 4 + cell.look.link : 1, 0);
        Char(cell.c);
      }
    }
    out_ += "}";
    return std::move(out_);
  }

 private:
  void Colour(std::uint32_t rgb) {
    out_ += "\\red" + std::to_string(rgb & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) +
            "\\blue" + std::to_string(rgb >> 16) + ";";
  }
  void Want(const CharLook& look, int colour, int font) {
    const std::size_t before = out_.size();
    if (look.bold != bold_) out_ += look.bold ? "\\b" : "\\b0";
    if (look.italic != italic_) out_ += look.italic ? "\\i" : "\\i0";
    const bool underline = look.underline || look.link >= 0;
    if (underline != underline_) out_ += underline ? "\\ul" : "\\ulnone";
    if (colour != colour_) out_ += "\\cf" + std::to_string(colour);
    if (font != font_) out_ += "\\f" + std::to_string(font);
    if (out_.size() != before) out_ += ' ';
    bold_ = look.bold;
    italic_ = look.italic;
    underline_ = underline;
    colour_ = colour;
    font_ = font;
  }
  void Char(char32_t c) {
    std::string one;
    AppendUtf8(one, c);
    AppendRtfChars(out_, one);
  }

  std::size_t links_;
  std::string out_;
  bool bold_ = false, italic_ = false, underline_ = false, paragraph_starts_ = true;
  int colour_ = 1, font_ = 0;
};

}  // namespace

EditorShowing ShowFormatted(std::string_view glyph_text, std::string_view html) {
  EditorShowing show;
  const RichDocument doc = ReadRichHtml(html);
  show.problems = doc.problems;
  const Flat flat = Flatten(doc, show.attachments);
  std::vector<char32_t> g;
  g.reserve(glyph_text.size());
  for (std::size_t pos = 0; pos < glyph_text.size();) g.push_back(NextCodePoint(glyph_text, pos));
  const Laid laid = LayOnto(g, flat.chars);
  if (!laid.matches && !doc.nodes.empty()) show.problems.push_back(kFormatMismatch);
  if (flat.links_full) {
    show.problems.push_back("Der Editor zeigt nur die ersten " + std::to_string(kMaxEditorLinks) +
                            " Links; die übrigen bleiben Text.");
  }
  if (flat.pictures_full) {
    show.problems.push_back("Der Editor zeigt nur die ersten " +
                            std::to_string(kMaxEditorPictures) + " Bilder.");
  }
  for (const Cell& cell : laid.cells) AppendUtf8(show.glyph_text, cell.c);
  show.rtf = EditorRtfWriter(show.attachments).Write(laid);
  show.html = ReadEditor(GlyphTextAsEditorText(show.glyph_text), show.rtf, show.attachments).html;
  return show;
}

bool LinkAddressAllowed(std::string_view address) {
  // The reader of the formatted version decides, so that what is accepted here stays.
  std::string html = "<a href=\"";
  AppendHtmlEscaped(html, address, true);
  html += "\">x</a>";
  const RichDocument doc = ReadRichHtml(html);
  return !doc.nodes.empty() && doc.nodes.front().kind == RichNode::Kind::kOpen &&
         doc.nodes.front().value == address;
}

std::string WithoutPictureMarks(std::string_view text) {
  std::string out(text);
  for (std::size_t at = 0; (at = out.find(kPictureMarkUtf8, at)) != std::string::npos;) {
    out.erase(at, std::char_traits<char>::length(kPictureMarkUtf8));
  }
  return out;
}

std::optional<RichNode> PictureFromFile(const std::string& bytes) {
  int width = 0, height = 0;
  if (!PictureSize(bytes, &width, &height)) return std::nullopt;
  const bool png = bytes.compare(0, 4, "\x89PNG") == 0;
  RichNode node;
  node.kind = RichNode::Kind::kPicture;
  node.value = DataAddress(png ? "image/png" : "image/jpeg", bytes);
  return node;
}

}  // namespace qm
