// Reading the editor back: the control's text with the looks of what it writes out as RTF,
// as the entry's plain text and the formatted version's HTML.
#include <utility>

#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "rich/rtf_reader.h"
#include "text/utf.h"

namespace qm {

using editor_format_detail::CharLook;

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr char32_t kObject = 0xFFFC;  // what the control's text holds for an embedded object

// What the RTF says of one character of the control's text.
struct Unit {
  char32_t c = 0;
  CharLook look;
  std::uint32_t colour = kRtfAutoColour;
  RtfList list = RtfList::kNone;  // of a paragraph's end
  const RtfRun* picture = nullptr;
};

int IndexOf(std::uint32_t colour, std::uint32_t base, std::size_t count) {
  if (colour == kRtfAutoColour || (colour & 0xFFFF) != (base & 0xFFFF)) return -1;
  const std::uint32_t blue = colour >> 16, first = base >> 16;
  return blue >= first && blue - first < count ? static_cast<int>(blue - first) : -1;
}

std::vector<Unit> Units(const std::vector<RtfRun>& runs, const EditorAttachments& a) {
  std::vector<Unit> units;
  for (const RtfRun& run : runs) {
    if (run.kind == RtfRun::Kind::kParagraphEnd) {
      units.push_back({'\r', {}, kRtfAutoColour, run.list, nullptr});
    } else if (run.kind == RtfRun::Kind::kPicture) {
      units.push_back({kObject, {}, kRtfAutoColour, RtfList::kNone, &run});
    } else {
      const CharLook look{run.bold, run.italic, run.underline,
                          IndexOf(run.colour, LinkColour(0), a.links.size())};
      for (std::size_t pos = 0; pos < run.text.size();) {
        units.push_back({NextCodePoint(run.text, pos), look, run.colour, RtfList::kNone, nullptr});
      }
    }
  }
  return units;
}

// Which unit describes each character. Where the two count alike they go one to one (a
// writer may put a character it cannot name in its code page as its nearest letter); else
// they are matched from the start and from the end, a unit it could not decode matching any.
std::vector<std::size_t> Align(const std::vector<char32_t>& t, const std::vector<Unit>& u) {
  std::vector<std::size_t> unit_of(t.size(), kNone);
  if (u.size() == t.size() || u.size() == t.size() + 1) {
    for (std::size_t i = 0; i < t.size(); ++i) unit_of[i] = i;
    return unit_of;
  }
  const auto fits = [](char32_t c, const Unit& unit) {
    return c == unit.c || unit.c == 0xFFFD || (unit.picture && c == kPictureMark);
  };
  const std::size_t most = std::min(t.size(), u.size());
  std::size_t prefix = 0, suffix = 0;
  for (; prefix < most && fits(t[prefix], u[prefix]); ++prefix) unit_of[prefix] = prefix;
  // A last paragraph's end that the text leaves out stands behind the last character.
  const std::size_t u_end = !u.empty() && u.back().c == '\r' && (t.empty() || t.back() != '\r')
                                ? u.size() - 1
                                : u.size();
  for (; suffix < std::min(t.size(), u_end) - prefix &&
         fits(t[t.size() - 1 - suffix], u[u_end - 1 - suffix]);
       ++suffix) {
    unit_of[t.size() - 1 - suffix] = u_end - 1 - suffix;
  }
  return unit_of;
}

// Builds the formatted version's document, inline tags opened and closed as the looks change.
class HtmlBuilder {
 public:
  explicit HtmlBuilder(const EditorAttachments& a) : a_(a) {}

  void Line(RtfList list) {
    if (list != list_) {
      CloseInline();
      if (list_ != RtfList::kNone) Node(RichNode::Kind::kClose, ListTag(list_));
      if (list != RtfList::kNone) Node(RichNode::Kind::kOpen, ListTag(list));
      list_ = list;
    }
    if (list != RtfList::kNone) {
      Node(RichNode::Kind::kOpen, RichTag::kItem);
      formatted_ = true;
    }
    blank_before_ = true;
  }
  void LineEnds() {
    if (list_ == RtfList::kNone) return;
    CloseInline();
    Node(RichNode::Kind::kClose, RichTag::kItem);
  }
  void Char(char32_t c, const CharLook& look) {
    Reconcile(look);
    formatted_ = formatted_ || look != CharLook{};
    Text(c);
  }
  // A Tab glyph: a blank inside whatever is open.
  void Blank() { Text(' '); }
  void Break() {
    CloseInline();
    Node(RichNode::Kind::kBreak, RichTag::kBold);
    blank_before_ = true;
  }
  void Picture(RichNode picture) {
    doc_.nodes.push_back(std::move(picture));
    formatted_ = true;
    blank_before_ = false;
  }
  std::string Html() {
    CloseInline();
    if (list_ != RtfList::kNone) Node(RichNode::Kind::kClose, ListTag(list_));
    return formatted_ ? WriteRichHtml(doc_) : std::string();
  }

 private:
  static RichTag ListTag(RtfList list) {
    return list == RtfList::kBullet ? RichTag::kBulletList : RichTag::kNumberList;
  }
  void Node(RichNode::Kind kind, RichTag tag, std::string value = {}) {
    doc_.nodes.push_back({kind, tag, std::move(value), {}, 0, 0});
  }
  void Text(char32_t c) {
    // Blanks in a row, or where a line starts, stay blanks only as no-break spaces.
    const bool blank = c == ' ' || c == 0xA0;
    if (c == ' ' && blank_before_) c = 0xA0;
    blank_before_ = blank;
    if (doc_.nodes.empty() || doc_.nodes.back().kind != RichNode::Kind::kText) {
      Node(RichNode::Kind::kText, RichTag::kBold);
    }
    AppendUtf8(doc_.nodes.back().value, c);
  }
  void Reconcile(const CharLook& look) {
    std::vector<std::pair<RichTag, int>> want;
    if (look.link >= 0) want.emplace_back(RichTag::kLink, look.link);
    if (look.bold) want.emplace_back(RichTag::kBold, 0);
    if (look.italic) want.emplace_back(RichTag::kItalic, 0);
    if (look.underline && look.link < 0) want.emplace_back(RichTag::kUnderline, 0);
    std::size_t keep = 0;
    while (keep < open_.size() && keep < want.size() && open_[keep] == want[keep]) ++keep;
    while (open_.size() > keep) {
      Node(RichNode::Kind::kClose, open_.back().first);
      open_.pop_back();
    }
    for (std::size_t i = keep; i < want.size(); ++i) {
      Node(RichNode::Kind::kOpen, want[i].first,
           want[i].first == RichTag::kLink ? a_.links[static_cast<std::size_t>(want[i].second)]
                                           : std::string());
      open_.push_back(want[i]);
    }
  }
  void CloseInline() { Reconcile({}); }

  const EditorAttachments& a_;
  RichDocument doc_;
  std::vector<std::pair<RichTag, int>> open_;
  RtfList list_ = RtfList::kNone;
  bool formatted_ = false, blank_before_ = true;
};

}  // namespace

EditorContent ReadEditor(std::string_view editor_text, std::string_view rtf,
                         const EditorAttachments& attachments) {
  if (rtf.empty()) return {EditorToStored(editor_text), ""};
  std::vector<char32_t> t;
  t.reserve(editor_text.size());
  for (std::size_t pos = 0; pos < editor_text.size();) {
    const char32_t c = NextCodePoint(editor_text, pos);
    if (c != '\n' || t.empty() || t.back() != '\r') t.push_back(c);
  }
  const std::vector<RtfRun> runs = ReadRtf(rtf);
  const std::vector<Unit> units = Units(runs, attachments);
  const std::vector<std::size_t> unit_of = Align(t, units);
  std::vector<RtfList> paragraph_lists;
  for (const Unit& u : units) {
    if (u.c == '\r') paragraph_lists.push_back(u.list);
  }
  // The pictures among the characters: marks in a picture's colour, and objects the control
  // holds itself.
  std::vector<const RichNode*> pictures(t.size(), nullptr);
  std::vector<RichNode> own_pictures;
  own_pictures.reserve(t.size());
  std::string plain;
  plain.reserve(editor_text.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const Unit* u = unit_of[i] != kNone ? &units[unit_of[i]] : nullptr;
    if (u && t[i] == kPictureMark) {
      const int index = IndexOf(u->colour, PictureColour(0), attachments.pictures.size());
      if (index >= 0) pictures[i] = &attachments.pictures[static_cast<std::size_t>(index)];
    } else if (u && u->picture && t[i] == kObject && !u->picture->text.empty()) {
      RichNode node{RichNode::Kind::kPicture, RichTag::kBold,
                    DataAddress(u->picture->mime, u->picture->text), {}, 0, 0};
      node.width = u->picture->width_twips / 15;
      node.height = u->picture->height_twips / 15;
      own_pictures.push_back(std::move(node));
      pictures[i] = &own_pictures.back();
    }
    if (!pictures[i] && t[i] != kObject) AppendUtf8(plain, t[i]);
  }
  HtmlBuilder html(attachments);
  std::size_t paragraph = 0;
  bool line_starts = true;
  RtfList list = RtfList::kNone;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char32_t c = t[i];
    if (c == '\r') {
      ++paragraph;
      continue;
    }
    if (line_starts) {
      list = paragraph < paragraph_lists.size() ? paragraph_lists[paragraph] : RtfList::kNone;
      html.Line(list);
      line_starts = false;
    }
    if (pictures[i]) {
      html.Picture(*pictures[i]);
    } else if (c == kEnterGlyph) {
      // The Enter that ends a list item is the item's end, the one before a list its start.
      const RtfList next =
          paragraph + 1 < paragraph_lists.size() ? paragraph_lists[paragraph + 1] : RtfList::kNone;
      if (list == RtfList::kNone && next == RtfList::kNone) html.Break();
      html.LineEnds();
      line_starts = true;
    } else if (c == kTabGlyph) {
      html.Blank();
    } else if (c != kObject) {
      html.Char(c, unit_of[i] != kNone ? units[unit_of[i]].look : CharLook{});
    }
  }
  if (!line_starts) html.LineEnds();
  return {EditorToStored(plain), html.Html()};
}

}  // namespace qm
