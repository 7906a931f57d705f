// A rich-text widget's page made into the HTML subset of formatted snippets.
#include "rich/styled_html.h"

#include <vector>

#include "rich/rich_markup.h"
#include "text/utf.h"

namespace qm {
namespace {

// The subset's tags for what a style attribute says.
std::vector<const char*> TagsOfStyle(const std::string& style) {
  std::string s = FoldCase(style);
  std::string compact;
  for (const char c : s) {
    if (c != ' ') compact += c;
  }
  std::vector<const char*> tags;
  for (const char* bold : {"font-weight:600", "font-weight:700", "font-weight:800",
                           "font-weight:900", "font-weight:bold"}) {
    if (compact.find(bold) != std::string::npos) {
      tags.push_back("b");
      break;
    }
  }
  if (compact.find("font-style:italic") != std::string::npos) tags.push_back("i");
  if (compact.find("text-decoration:underline") != std::string::npos) tags.push_back("u");
  return tags;
}

// Text as typed into the widget: every blank kept.
void AppendKept(std::string& out, const std::string& text, bool* line_start) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      out += "<br>";
      *line_start = true;
      continue;
    }
    if (c == '\r') continue;
    const bool blank = c == ' ' || c == '\t';
    if (blank && (*line_start || (!out.empty() && out.back() == ' ') ||
                  i + 1 == text.size() || text[i + 1] == ' ')) {
      out += "&nbsp;";
    } else {
      AppendHtmlEscaped(out, text.substr(i, 1), false);
    }
    *line_start = false;
  }
}

}  // namespace

bool IsStyledHtmlPage(std::string_view html) {
  const std::string head = FoldCase(html.substr(0, 2048));
  return head.find("<html") != std::string::npos &&
         (head.find("qrichtext") != std::string::npos || head.find("<body") != std::string::npos);
}

std::string StyledHtmlAsSubset(std::string_view html) {
  MarkupScanner scan(html);
  MarkupToken t;
  std::string out;
  std::vector<std::vector<const char*>> spans;  // the tags each open span opened
  bool in_body = false, line_start = true, paragraphs = false;
  // A paragraph the widget marks empty holds only a <br> to give it height: the line itself
  // is the paragraph.
  bool empty_paragraph = false;
  while (scan.Next(&t)) {
    if (t.kind == MarkupToken::Kind::kStart && (t.name == "head" || t.name == "style" ||
                                                t.name == "script" || t.name == "title")) {
      scan.SkipElement(t.name);
      continue;
    }
    if (t.name == "body") {
      in_body = t.kind == MarkupToken::Kind::kStart;
      continue;
    }
    if (!in_body && t.kind != MarkupToken::Kind::kText) continue;
    if (t.kind == MarkupToken::Kind::kText) {
      if (in_body) AppendKept(out, t.text, &line_start);
    } else if (t.name == "p") {
      // Each paragraph of the widget is a line.
      if (t.kind == MarkupToken::Kind::kStart && paragraphs) out += "<br>";
      if (t.kind == MarkupToken::Kind::kStart) {
        paragraphs = true;
        const std::string* style = t.Attribute("style");
        empty_paragraph = style && FoldCase(*style).find("-qt-paragraph-type:empty") !=
                                       std::string::npos;
      }
      line_start = true;
    } else if (t.name == "span") {
      if (t.kind == MarkupToken::Kind::kStart) {
        const std::string* style = t.Attribute("style");
        spans.push_back(style ? TagsOfStyle(*style) : std::vector<const char*>{});
        for (const char* tag : spans.back()) out += std::string("<") + tag + ">";
      } else if (!spans.empty()) {
        for (auto it = spans.back().rbegin(); it != spans.back().rend(); ++it) {
          out += std::string("</") + *it + ">";
        }
        spans.pop_back();
      }
    } else if (t.name == "br" && empty_paragraph) {
      continue;
    } else if (t.kind == MarkupToken::Kind::kEnd) {
      out += "</" + t.name + ">";
    } else {
      out += "<" + t.name;
      for (const auto& [name, value] : t.attributes) {
        if (name == "style" || name == "class") continue;
        out += " " + name + "=\"";
        AppendHtmlEscaped(out, value, true);
        out += '"';
      }
      out += '>';
      if (t.name == "br" || t.name == "li") line_start = true;
    }
  }
  return out;
}

}  // namespace qm
