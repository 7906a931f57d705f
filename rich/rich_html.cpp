// Reading and writing the HTML subset of formatted snippets.
#include "rich/rich_html.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "rich/rich_markup.h"
#include "text/utf.h"

namespace qm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsList(RichTag t) { return t == RichTag::kBulletList || t == RichTag::kNumberList; }

// Tags whose content is never shown, or is active: left out with all they hold.
bool DropsContent(const std::string& name) {
  static const std::set<std::string> kDropped = {
      "script", "style", "head", "title", "template", "svg", "math", "iframe",
      "object", "noscript", "select", "textarea", "frameset", "applet"};
  return kDropped.count(name) != 0;
}
bool IsActive(const std::string& name) {
  return name == "script" || name == "style" || name == "iframe" || name == "object" ||
         name == "embed" || name == "applet" || name == "frameset";
}
// Unknown tags that still end a line, where a browser starts a block.
bool IsBlockish(const std::string& name) {
  static const std::set<std::string> kBlocks = {
      "div", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "pre", "table", "tr",
      "section", "article", "header", "footer", "address", "dl", "dt", "dd", "hr",
      "center", "figure", "main", "nav", "aside", "form", "fieldset", "caption"};
  return kBlocks.count(name) != 0;
}
// Tags of a whole page around the content, passed over without a word.
bool IsFrame(const std::string& name) {
  return name == "html" || name == "body" || name == "meta" || name == "link" ||
         name == "base" || name == "tbody" || name == "thead";
}

bool KnownTag(const std::string& name, RichTag* tag) {
  static const std::pair<const char*, RichTag> kTags[] = {
      {"b", RichTag::kBold},        {"strong", RichTag::kBold},      {"i", RichTag::kItalic},
      {"em", RichTag::kItalic},     {"u", RichTag::kUnderline},      {"ins", RichTag::kUnderline},
      {"a", RichTag::kLink},        {"ul", RichTag::kBulletList},    {"ol", RichTag::kNumberList},
      {"li", RichTag::kItem},       {"p", RichTag::kParagraph}};
  for (const auto& [n, t] : kTags) {
    if (name == n) {
      *tag = t;
      return true;
    }
  }
  return false;
}

bool SafeAddress(std::string_view href) {
  const std::string folded = FoldCase(href);
  for (const char* scheme : {"http://", "https://", "mailto:", "ftp://", "tel:"}) {
    const std::string_view s(scheme);
    if (folded.size() > s.size() && folded.compare(0, s.size(), s) == 0) return true;
  }
  return false;
}

int PixelSize(const std::string& value) {
  int n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > 10000) return 0;
  }
  return n;
}

class Reader {
 public:
  RichDocument Read(std::string_view html) {
    if (html.size() > kMaxRichHtmlBytes) {
      doc_.problems.push_back("Die formatierte Fassung ist größer als 4 MB und wird nicht benutzt.");
      return std::move(doc_);
    }
    MarkupScanner scan(html);
    MarkupToken token;
    while (scan.Next(&token)) {
      if (token.kind == MarkupToken::Kind::kText) {
        Text(token.text);
      } else if (token.kind == MarkupToken::Kind::kStart) {
        Start(token);
        if (DropsContent(token.name) && !token.self_closing) scan.SkipElement(token.name);
      } else {
        End(token.name);
      }
    }
    while (!open_.empty()) Close();
    Report();
    return std::move(doc_);
  }

 private:
  void Text(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (IsBlank(text[i])) {
        if (!line_start_ && !last_blank_) blank_ = true;
        continue;
      }
      Content();
      if (blank_) Put(" ");
      blank_ = false;
      last_blank_ = false;
      line_start_ = false;
      std::size_t end = i + 1;
      while (end < text.size() && !IsBlank(text[end])) ++end;
      Put(text.substr(i, end - i));
      i = end - 1;
    }
  }

  void Put(std::string_view text) {
    if (text == " ") last_blank_ = true;
    if (!doc_.nodes.empty() && doc_.nodes.back().kind == RichNode::Kind::kText) {
      doc_.nodes.back().value += text;
    } else {
      doc_.nodes.push_back({RichNode::Kind::kText, RichTag::kBold, std::string(text), {}, 0, 0});
    }
  }

  // Content coming: a list takes it into an item, and a line ended by a block starts.
  void Content() {
    if (!open_.empty() && IsList(open_.back())) Open(RichTag::kItem, {});
    if (break_due_) {
      doc_.nodes.push_back({RichNode::Kind::kBreak, RichTag::kBold, {}, {}, 0, 0});
      break_due_ = false;
    }
  }

  void LineEnds() {
    blank_ = false;
    last_blank_ = false;
    line_start_ = true;
  }
  // An unknown block: the line ends here, where it had something.
  void BlockEdge() {
    if (!line_start_) break_due_ = true;
    LineEnds();
  }

  void Open(RichTag tag, std::string value) {
    doc_.nodes.push_back({RichNode::Kind::kOpen, tag, std::move(value), {}, 0, 0});
    open_.push_back(tag);
  }
  void Close() {
    const RichTag tag = open_.back();
    open_.pop_back();
    doc_.nodes.push_back({RichNode::Kind::kClose, tag, {}, {}, 0, 0});
    if (tag == RichTag::kItem || tag == RichTag::kParagraph || IsList(tag)) LineEnds();
  }
  // Closes the innermost `tag` and what was opened inside it; false where none is open.
  bool CloseTo(RichTag tag, bool report_inside) {
    const auto it = std::find(open_.rbegin(), open_.rend(), tag);
    if (it == open_.rend()) return false;
    const std::size_t inside = static_cast<std::size_t>(it - open_.rbegin());
    if (inside > 0 && report_inside) nested_badly_ = true;
    for (std::size_t i = 0; i <= inside; ++i) Close();
    return true;
  }
  bool IsOpen(RichTag tag) const { return std::find(open_.begin(), open_.end(), tag) != open_.end(); }

  void Start(const MarkupToken& t) {
    RichTag tag;
    if (t.name == "br") {
      Content();
      doc_.nodes.push_back({RichNode::Kind::kBreak, RichTag::kBold, {}, {}, 0, 0});
      LineEnds();
    } else if (t.name == "img") {
      Picture(t);
    } else if (KnownTag(t.name, &tag)) {
      StartKnown(tag, t);
    } else {
      if (IsActive(t.name)) {
        active_ = true;
      } else if (!IsFrame(t.name)) {
        unknown_.insert(t.name);
      }
      if (IsBlockish(t.name)) BlockEdge();
    }
    for (const auto& [name, value] : t.attributes) {
      const bool kept = (t.name == "a" && name == "href") ||
                        (t.name == "img" && (name == "src" || name == "alt" || name == "width" ||
                                             name == "height"));
      if (!kept && !DropsContent(t.name)) dropped_attributes_.insert(name);
    }
  }

  void StartKnown(RichTag tag, const MarkupToken& t) {
    if (tag == RichTag::kParagraph || IsList(tag)) {
      if (IsOpen(RichTag::kParagraph)) CloseTo(RichTag::kParagraph, true);
      if (!line_start_) break_due_ = true;
      if (IsList(tag) && !open_.empty() && IsList(open_.back())) Open(RichTag::kItem, {});
      break_due_ = false;
      Open(tag, {});
      LineEnds();
      return;
    }
    if (tag == RichTag::kItem) {
      const auto list = std::find_if(open_.rbegin(), open_.rend(), IsList);
      if (list == open_.rend()) {
        stray_item_ = true;
        BlockEdge();
        return;
      }
      const auto item = std::find(open_.rbegin(), list, RichTag::kItem);
      if (item != list) CloseTo(RichTag::kItem, true);
      break_due_ = false;
      Open(RichTag::kItem, {});
      LineEnds();
      return;
    }
    if (tag == RichTag::kLink) {
      if (IsOpen(RichTag::kLink)) CloseTo(RichTag::kLink, true);
      const std::string* href = t.Attribute("href");
      if (!href || !SafeAddress(*href)) {
        unsafe_link_ = true;
        return;
      }
      InlineStarts();
      Open(tag, *href);
      return;
    }
    InlineStarts();
    Open(tag, {});
  }

  // An inline tag starts: the blank before it stays outside it.
  void InlineStarts() {
    if (!open_.empty() && IsList(open_.back())) Open(RichTag::kItem, {});
    if (blank_) {
      Content();
      Put(" ");
      blank_ = false;
    }
  }

  void End(const std::string& name) {
    RichTag tag;
    if (IsBlockish(name)) {
      BlockEdge();
      return;
    }
    if (!KnownTag(name, &tag)) return;
    if (tag == RichTag::kItem && !IsOpen(RichTag::kItem)) {
      BlockEdge();
      return;
    }
    const bool block = tag == RichTag::kParagraph || tag == RichTag::kItem || IsList(tag);
    if (!CloseTo(tag, !block) && tag != RichTag::kParagraph && tag != RichTag::kLink) {
      nested_badly_ = true;
    }
  }

  void Picture(const MarkupToken& t) {
    const std::string* src = t.Attribute("src");
    std::string mime, bytes;
    if (!src || !DecodeDataPicture(*src, &mime, &bytes)) {
      bad_picture_ = true;
      return;
    }
    if (bytes.size() > kMaxRichPictureBytes) {
      big_picture_ = true;
      return;
    }
    Content();
    if (blank_) Put(" ");
    LineEndsInline();
    RichNode node{RichNode::Kind::kPicture, RichTag::kBold, DataAddress(mime, bytes), {}, 0, 0};
    if (const std::string* alt = t.Attribute("alt")) node.alt = *alt;
    if (const std::string* w = t.Attribute("width")) node.width = PixelSize(*w);
    if (const std::string* h = t.Attribute("height")) node.height = PixelSize(*h);
    doc_.nodes.push_back(std::move(node));
  }
  void LineEndsInline() {
    blank_ = false;
    last_blank_ = false;
    line_start_ = false;
  }

  void Report() {
    std::vector<std::string>& p = doc_.problems;
    if (active_) p.push_back("Aktive Inhalte (Skripte, Stile, eingebettete Objekte) wurden ausgelassen.");
    if (!unknown_.empty()) {
      std::string names;
      for (const std::string& n : unknown_) names += (names.empty() ? "<" : ", <") + n + ">";
      p.push_back("Unbekannte Auszeichnungen wurden übergangen: " + names + ".");
    }
    if (!dropped_attributes_.empty()) {
      std::string names;
      for (const std::string& n : dropped_attributes_) names += (names.empty() ? "" : ", ") + n;
      p.push_back("Attribute wurden ausgelassen: " + names + ".");
    }
    if (unsafe_link_) p.push_back("Ein Link ohne Web- oder Mailadresse wurde ausgelassen; sein Text bleibt.");
    if (bad_picture_) {
      p.push_back("Ein Bild, das kein eingebettetes PNG oder JPEG ist, wurde ausgelassen.");
    }
    if (big_picture_) p.push_back("Ein Bild ist größer als 1 MB und wurde ausgelassen.");
    if (nested_badly_) p.push_back("Die Auszeichnungen waren falsch verschachtelt.");
    if (stray_item_) p.push_back("Ein Listeneintrag stand außerhalb einer Liste.");
  }

  RichDocument doc_;
  std::vector<RichTag> open_;
  bool line_start_ = true, blank_ = false, last_blank_ = false, break_due_ = false;
  bool active_ = false, unsafe_link_ = false, bad_picture_ = false, big_picture_ = false;
  bool nested_badly_ = false, stray_item_ = false;
  std::set<std::string> unknown_, dropped_attributes_;
};

const char* TagName(RichTag tag) {
  switch (tag) {
    case RichTag::kBold: return "b";
    case RichTag::kItalic: return "i";
    case RichTag::kUnderline: return "u";
    case RichTag::kLink: return "a";
    case RichTag::kBulletList: return "ul";
    case RichTag::kNumberList: return "ol";
    case RichTag::kItem: return "li";
    case RichTag::kParagraph: return "p";
  }
  return "b";
}

}  // namespace

bool RichDocument::HasContent() const {
  return std::any_of(nodes.begin(), nodes.end(), [](const RichNode& n) {
    return n.kind == RichNode::Kind::kText || n.kind == RichNode::Kind::kPicture;
  });
}

RichDocument ReadRichHtml(std::string_view html) { return Reader().Read(html); }

std::string WriteRichHtml(const RichDocument& doc) {
  std::string out;
  for (const RichNode& n : doc.nodes) {
    switch (n.kind) {
      case RichNode::Kind::kText:
        AppendHtmlEscaped(out, n.value, false);
        break;
      case RichNode::Kind::kOpen:
        out += std::string("<") + TagName(n.tag);
        if (n.tag == RichTag::kLink) {
          out += " href=\"";
          AppendHtmlEscaped(out, n.value, true);
          out += '"';
        }
        out += '>';
        break;
      case RichNode::Kind::kClose:
        out += std::string("</") + TagName(n.tag) + ">";
        break;
      case RichNode::Kind::kBreak:
        out += "<br>";
        break;
      case RichNode::Kind::kPicture:
        out += "<img src=\"" + n.value + "\"";
        if (!n.alt.empty()) {
          out += " alt=\"";
          AppendHtmlEscaped(out, n.alt, true);
          out += '"';
        }
        if (n.width > 0) out += " width=\"" + std::to_string(n.width) + "\"";
        if (n.height > 0) out += " height=\"" + std::to_string(n.height) + "\"";
        out += '>';
        break;
    }
  }
  return out;
}

std::string RichPlainText(const RichDocument& doc) {
  std::string out;
  bool line_due = false;  // a block ended: the next content starts a line
  for (const RichNode& n : doc.nodes) {
    const bool block = n.tag == RichTag::kParagraph || n.tag == RichTag::kItem || IsList(n.tag);
    if ((n.kind == RichNode::Kind::kOpen || n.kind == RichNode::Kind::kClose) && block) {
      if (!out.empty() && out.back() != '\n') line_due = true;
      continue;
    }
    if (n.kind == RichNode::Kind::kText || n.kind == RichNode::Kind::kBreak) {
      if (line_due) out += '\n';
      line_due = false;
      out += n.kind == RichNode::Kind::kText ? n.value : std::string("\n");
    }
  }
  return out;
}

bool RichMatchesPlain(const RichDocument& doc, std::string_view plain) {
  const auto shown = [](std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const char32_t c = NextCodePoint(text, pos);
      if (c > 0x20 && c != 0xA0) AppendUtf8(out, c);
    }
    return out;
  };
  return shown(RichPlainText(doc)) == shown(plain);
}

std::string AsciiHtml(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  std::size_t pos = 0;
  while (pos < html.size()) {
    const std::size_t at = pos;
    const char32_t c = NextCodePoint(html, pos);
    if (c < 0x80) {
      out.append(html.substr(at, pos - at));
    } else {
      out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
    }
  }
  return out;
}

}  // namespace qm
