// Formatted snippets on their way out: filled, as RTF, and as the clipboard's HTML.
#include "rich/rich_output.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "rich/rich_markup.h"
#include "text/utf.h"

namespace qm {
namespace {

// Half an inch per list level, in twips; the mark hangs into it.
constexpr int kIndentTwips = 360;
// Twips per pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

void AppendRtfText(std::string& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = NextCodePoint(text, pos);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == 0xA0) {
      out += "\\~";
    } else if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      // Signed 16-bit units, each followed by one character for readers without Unicode.
      std::u16string units;
      AppendUtf16(units, c);
      for (const char16_t u : units) out += "\\u" + std::to_string(static_cast<std::int16_t>(u)) + "?";
    }
  }
}

class RtfWriter {
 public:
  explicit RtfWriter(bool link_fields) : link_fields_(link_fields) {}
  std::string Write(const RichDocument& doc) {
    out_ =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Calibri;}}"
        "{\\colortbl ;\\red5\\green99\\blue193;}\\f0\\fs22 ";
    for (const RichNode& n : doc.nodes) Node(n);
    out_ += "}";
    return std::move(out_);
  }

 private:
  void Node(const RichNode& n) {
    switch (n.kind) {
      case RichNode::Kind::kText:
        Content();
        AppendRtfText(out_, n.value);
        break;
      case RichNode::Kind::kBreak:
        Content();
        out_ += "\\par ";
        new_paragraph_ = true;
        break;
      case RichNode::Kind::kPicture:
        Picture(n);
        break;
      case RichNode::Kind::kOpen:
        Open(n);
        break;
      case RichNode::Kind::kClose:
        Close(n.tag);
        break;
    }
  }

  void Open(const RichNode& n) {
    const bool inline_tag = n.tag == RichTag::kBold || n.tag == RichTag::kItalic ||
                            n.tag == RichTag::kUnderline || n.tag == RichTag::kLink;
    if (inline_tag) Content();
    switch (n.tag) {
      case RichTag::kBold: out_ += "{\\b "; break;
      case RichTag::kItalic: out_ += "{\\i "; break;
      case RichTag::kUnderline: out_ += "{\\ul "; break;
      case RichTag::kLink: {
        std::string address;
        for (const char c : n.value) {
          if (c == '"') {
            address += "%22";
          } else if (c == '\\' || c == '{' || c == '}') {
            address += '\\';
            address += c;
          } else {
            address += c;
          }
        }
        out_ += link_fields_ ? "{\\field{\\*\\fldinst{HYPERLINK \"" + address + "\"}}{\\fldrslt{\\ul\\cf1 "
                             : std::string("{{{\\ul\\cf1 ");
        break;
      }
      case RichTag::kBulletList:
      case RichTag::kNumberList:
        Edge();
        lists_.push_back({n.tag == RichTag::kNumberList, 0});
        break;
      case RichTag::kItem:
        Edge();
        if (!lists_.empty()) ++lists_.back().second;
        mark_due_ = true;
        break;
      case RichTag::kParagraph:
        Edge();
        break;
    }
  }

  void Close(RichTag tag) {
    if (tag == RichTag::kLink) {
      out_ += "}}}";
    } else if (tag == RichTag::kBold || tag == RichTag::kItalic || tag == RichTag::kUnderline) {
      out_ += "}";
    } else {
      Edge();
      if (tag != RichTag::kItem && tag != RichTag::kParagraph && !lists_.empty()) lists_.pop_back();
      if (tag == RichTag::kItem) mark_due_ = false;
    }
  }

  // A block starts or ends: what follows starts a paragraph of its own.
  void Edge() {
    if (started_ && !new_paragraph_) paragraph_due_ = true;
  }

  void Content() {
    if (paragraph_due_) {
      out_ += "\\par ";
      new_paragraph_ = true;
      paragraph_due_ = false;
    }
    if (new_paragraph_ || !started_) {
      const int indent = kIndentTwips * static_cast<int>(lists_.size());
      out_ += "\\pard\\li" + std::to_string(indent);
      if (mark_due_ && !lists_.empty()) {
        out_ += "\\fi-" + std::to_string(kIndentTwips) + " ";
        if (lists_.back().first) {
          out_ += std::to_string(lists_.back().second) + ".\\tab ";
        } else {
          out_ += "\\u8226?\\tab ";
        }
      } else {
        out_ += ' ';
      }
      mark_due_ = false;
      new_paragraph_ = false;
    }
    started_ = true;
  }

  void Picture(const RichNode& n) {
    std::string mime, bytes;
    int width = 0, height = 0;
    if (!DecodeDataPicture(n.value, &mime, &bytes) || !PictureSize(bytes, &width, &height)) return;
    Content();
    const int shown_w = n.width > 0 ? n.width : width;
    const int shown_h = n.height > 0 ? n.height : height;
    out_ += std::string("{\\pict") + (mime == "image/png" ? "\\pngblip" : "\\jpegblip") +
            "\\picw" + std::to_string(width) + "\\pich" + std::to_string(height) + "\\picwgoal" +
            std::to_string(shown_w * kTwipsPerPixel) + "\\pichgoal" +
            std::to_string(shown_h * kTwipsPerPixel) + " ";
    static const char kHex[] = "0123456789abcdef";
    out_.reserve(out_.size() + bytes.size() * 2 + bytes.size() / 64 + 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(bytes[i]);
      out_ += kHex[b >> 4];
      out_ += kHex[b & 15];
      if (i % 64 == 63) out_ += "\r\n";
    }
    out_ += "}";
  }

  const bool link_fields_;
  std::string out_;
  std::vector<std::pair<bool, int>> lists_;  // numbered, items so far
  bool started_ = false, new_paragraph_ = true, paragraph_due_ = false, mark_due_ = false;
};

}  // namespace

RichDocument FillRichText(const RichDocument& doc,
                          const std::function<std::string(const std::string&)>& fill) {
  RichDocument out;
  out.problems = doc.problems;
  out.nodes.reserve(doc.nodes.size());
  for (const RichNode& n : doc.nodes) {
    if (n.kind != RichNode::Kind::kText) {
      out.nodes.push_back(n);
      continue;
    }
    const std::string filled = fill(n.value);
    std::string run;
    const auto flush = [&] {
      if (!run.empty()) out.nodes.push_back({RichNode::Kind::kText, RichTag::kBold, run, {}, 0, 0});
      run.clear();
    };
    for (std::size_t i = 0; i < filled.size(); ++i) {
      const char c = filled[i];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i + 1 < filled.size() && filled[i + 1] == '\n') ++i;
        flush();
        out.nodes.push_back({RichNode::Kind::kBreak, RichTag::kBold, {}, {}, 0, 0});
      } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
        run += c;
      }
    }
    flush();
  }
  return out;
}

std::string RichToRtf(const RichDocument& doc, bool link_fields) {
  return RtfWriter(link_fields).Write(doc);
}

std::string ClipboardHtml(std::string_view fragment) {
  static const char kHead[] =
      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\n"
      "EndFragment:%010zu\r\n";
  const std::string before =
      "<html><head><meta charset=\"utf-8\"></head><body>\r\n<!--StartFragment-->";
  const std::string after = "<!--EndFragment-->\r\n</body>\r\n</html>";
  char header[160];
  const std::size_t header_size =
      static_cast<std::size_t>(std::snprintf(header, sizeof header, kHead, std::size_t{0},
                                             std::size_t{0}, std::size_t{0}, std::size_t{0}));
  const std::size_t start_fragment = header_size + before.size();
  const std::size_t end_fragment = start_fragment + fragment.size();
  const std::size_t end_html = end_fragment + after.size();
  std::snprintf(header, sizeof header, kHead, header_size, end_html, start_fragment, end_fragment);
  std::string out = header;
  out.reserve(end_html);
  out += before;
  out += fragment;
  out += after;
  return out;
}

}  // namespace qm
