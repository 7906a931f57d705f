// Markdown made into the HTML subset of formatted snippets.
#include "rich/markdown.h"

#include <vector>

#include "rich/rich_markup.h"

namespace qm {
namespace {

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsPunct(char c) {
  return c > 0x20 && c < 0x7F && !IsWordChar(c);
}
bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string Inline(std::string_view s);

// Where the emphasis opened at `from` by `mark` closes; npos where it does not.
std::size_t Closer(std::string_view s, std::size_t from, std::string_view mark) {
  for (std::size_t j = s.find(mark, from); j != std::string_view::npos; j = s.find(mark, j + 1)) {
    if (j == from || IsSpace(s[j - 1])) continue;
    // A single mark is not half of a double one.
    if (mark.size() == 1 && j + 1 < s.size() && s[j + 1] == mark[0]) {
      ++j;
      continue;
    }
    if (mark[0] == '_' && j + mark.size() < s.size() && IsWordChar(s[j + mark.size()])) continue;
    return j;
  }
  return std::string_view::npos;
}

// "[text](address)" at `i`: its end, with its parts; 0 where there is none.
std::size_t LinkAt(std::string_view s, std::size_t i, std::string_view* text,
                   std::string_view* address) {
  const std::size_t close = s.find(']', i + 1);
  if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != '(') return 0;
  const std::size_t end = s.find(')', close + 2);
  if (end == std::string_view::npos) return 0;
  *text = s.substr(i + 1, close - i - 1);
  *address = Trim(s.substr(close + 2, end - close - 2));
  return end + 1;
}

std::string Inline(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '\\' && i + 1 < s.size() && IsPunct(s[i + 1])) {
      AppendHtmlEscaped(out, s.substr(i + 1, 1), false);
      i += 2;
      continue;
    }
    std::string_view text, address;
    if (c == '!' && i + 1 < s.size() && s[i + 1] == '[') {
      // A picture stays as its text: its file is not in the snippet.
      if (const std::size_t end = LinkAt(s, i + 1, &text, &address)) {
        AppendHtmlEscaped(out, s.substr(i, end - i), false);
        i = end;
        continue;
      }
    }
    if (c == '[') {
      if (const std::size_t end = LinkAt(s, i, &text, &address)) {
        out += "<a href=\"";
        AppendHtmlEscaped(out, address, true);
        out += "\">" + Inline(text) + "</a>";
        i = end;
        continue;
      }
    }
    if ((c == '*' || c == '_') && !(c == '_' && i > 0 && IsWordChar(s[i - 1]))) {
      const bool twice = i + 1 < s.size() && s[i + 1] == c;
      const std::string mark(twice ? 2 : 1, c);
      const std::size_t start = i + mark.size();
      const std::size_t end = start < s.size() && !IsSpace(s[start]) ? Closer(s, start, mark)
                                                                     : std::string_view::npos;
      if (end != std::string_view::npos) {
        const char* tag = twice ? "b" : "i";
        out += std::string("<") + tag + ">" + Inline(s.substr(start, end - start)) + "</" + tag +
               ">";
        i = end + mark.size();
        continue;
      }
    }
    AppendHtmlEscaped(out, s.substr(i, 1), false);
    ++i;
  }
  return out;
}

// The list a line starts, with the text after its mark: 'u' bullets, 'o' numbers, 0 none.
char ListItem(std::string_view line, std::string_view* rest) {
  std::size_t i = 0;
  while (i < line.size() && i < 3 && line[i] == ' ') ++i;
  if (i + 1 < line.size() && (line[i] == '-' || line[i] == '*' || line[i] == '+') &&
      IsSpace(line[i + 1])) {
    *rest = Trim(line.substr(i + 2));
    return 'u';
  }
  const std::size_t digits = i;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  if (i > digits && i + 1 < line.size() && (line[i] == '.' || line[i] == ')') &&
      IsSpace(line[i + 1])) {
    *rest = Trim(line.substr(i + 2));
    return 'o';
  }
  return 0;
}

}  // namespace

std::string MarkdownToHtml(std::string_view markdown) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= markdown.size();) {
    std::size_t end = markdown.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = markdown.size();
    lines.push_back(markdown.substr(start, end - start));
    start = end + (end + 1 < markdown.size() && markdown[end] == '\r' && markdown[end + 1] == '\n'
                       ? 2
                       : 1);
  }
  // Blocks: paragraphs of joined lines, and lists of items.
  struct Block {
    char list = 0;
    std::vector<std::string> parts;  // a paragraph's one text, or a list's items
  };
  std::vector<Block> blocks;
  bool open = false;  // the last block goes on with the next line
  for (const std::string_view raw : lines) {
    std::string_view item;
    const char list = ListItem(raw, &item);
    const std::string_view line = Trim(raw);
    if (line.empty()) {
      open = false;
      continue;
    }
    // Two blanks or a backslash at a line's end break it there.
    const bool hard = raw.size() >= 2 && raw.substr(raw.size() - 2) == "  ";
    const bool slash = line.back() == '\\';
    const std::string html = Inline(slash ? line.substr(0, line.size() - 1) : line);
    if (list) {
      if (!open || blocks.back().list != list) blocks.push_back({list, {}});
      blocks.back().parts.push_back(Inline(item));
    } else if (open) {
      std::string& last = blocks.back().parts.back();
      last += (last.size() >= 4 && last.compare(last.size() - 4, 4, "<br>") == 0 ? "" : " ") + html;
    } else {
      blocks.push_back({0, {html}});
    }
    if (hard || slash) blocks.back().parts.back() += "<br>";
    open = true;
  }
  std::string out;
  const bool single = blocks.size() == 1 && blocks[0].list == 0;
  for (const Block& b : blocks) {
    if (b.list) {
      out += b.list == 'u' ? "<ul>" : "<ol>";
      for (const std::string& item : b.parts) out += "<li>" + item + "</li>";
      out += b.list == 'u' ? "</ul>" : "</ol>";
    } else {
      out += single ? b.parts[0] : "<p>" + b.parts[0] + "</p>";
    }
  }
  return out;
}

}  // namespace qm
