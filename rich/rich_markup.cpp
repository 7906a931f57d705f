// Tokens of HTML text and its character references.
#include "rich/rich_markup.h"

#include <cstdint>

#include "text/utf.h"

namespace qm {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == ':';
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The named references that snippets from mail programs and other tools use.
char32_t NamedReference(std::string_view name) {
  static const std::pair<const char*, char32_t> kNames[] = {
      {"amp", '&'},        {"lt", '<'},          {"gt", '>'},          {"quot", '"'},
      {"apos", '\''},      {"nbsp", 0xA0},       {"copy", 0xA9},       {"reg", 0xAE},
      {"euro", 0x20AC},    {"ndash", 0x2013},    {"mdash", 0x2014},    {"hellip", 0x2026},
      {"laquo", 0xAB},     {"raquo", 0xBB},      {"bdquo", 0x201E},    {"ldquo", 0x201C},
      {"rdquo", 0x201D},   {"sbquo", 0x201A},    {"lsquo", 0x2018},    {"rsquo", 0x2019},
      {"auml", 0xE4},      {"ouml", 0xF6},       {"uuml", 0xFC},       {"Auml", 0xC4},
      {"Ouml", 0xD6},      {"Uuml", 0xDC},       {"szlig", 0xDF},      {"eacute", 0xE9},
      {"egrave", 0xE8},    {"agrave", 0xE0},     {"ccedil", 0xE7},     {"deg", 0xB0},
      {"middot", 0xB7},    {"bull", 0x2022},     {"para", 0xB6},       {"sect", 0xA7},
      {"times", 0xD7},     {"shy", 0xAD},        {"trade", 0x2122},    {"pound", 0xA3}};
  for (const auto& [n, c] : kNames) {
    if (name == n) return c;
  }
  return 0;
}

// Where "</name" starts from `from` on, letter case ignored; the end where it does not.
std::size_t FindEndTag(std::string_view in, std::size_t from, const std::string& name) {
  for (std::size_t at = in.find("</", from); at != std::string_view::npos;
       at = in.find("</", at + 2)) {
    if (Lower(in.substr(at + 2, name.size())) == name) return at;
  }
  return in.size();
}

}  // namespace

const std::string* MarkupToken::Attribute(std::string_view attribute) const {
  for (const auto& [key, value] : attributes) {
    if (key == attribute) return &value;
  }
  return nullptr;
}

std::string DecodeReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    std::size_t end = i + 1;
    char32_t c = 0;
    if (end < text.size() && text[end] == '#') {
      const bool hex = end + 1 < text.size() && (text[end + 1] == 'x' || text[end + 1] == 'X');
      end += hex ? 2 : 1;
      std::uint32_t value = 0;
      const std::size_t digits = end;
      for (; end < text.size(); ++end) {
        const char d = text[end];
        int v = -1;
        if (d >= '0' && d <= '9') v = d - '0';
        if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
        if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
        if (v < 0) break;
        if (value < 0x110000) value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
      }
      if (end == digits) {
        out += '&';
        continue;
      }
      c = value == 0 || value >= 0x110000 || (value >= 0xD800 && value <= 0xDFFF) ? 0xFFFD : value;
      if (end < text.size() && text[end] == ';') ++end;
    } else {
      while (end < text.size() && end - i < 10 && IsNameChar(text[end])) ++end;
      if (end >= text.size() || text[end] != ';' ||
          (c = NamedReference(text.substr(i + 1, end - i - 1))) == 0) {
        out += '&';
        continue;
      }
      ++end;
    }
    AppendUtf8(out, c);
    i = end - 1;
  }
  return out;
}

void AppendHtmlEscaped(std::string& out, std::string_view text, bool attribute) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"' && attribute) {
      out += "&quot;";
    } else if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
      out += "&nbsp;";
      ++i;
    } else {
      out += c;
    }
  }
}

bool MarkupScanner::Next(MarkupToken* token) {
  while (pos_ < in_.size()) {
    if (in_[pos_] == '<') {
      if (Tag(token)) return true;
      continue;
    }
    std::size_t end = in_.find('<', pos_);
    if (end == std::string_view::npos) end = in_.size();
    // A '<' that starts no tag is text.
    while (end < in_.size()) {
      const char next = end + 1 < in_.size() ? in_[end + 1] : ' ';
      const bool tag = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
                       next == '/' || next == '!' || next == '?';
      if (tag) break;
      end = in_.find('<', end + 1);
      if (end == std::string_view::npos) end = in_.size();
    }
    *token = MarkupToken();
    token->text = DecodeReferences(in_.substr(pos_, end - pos_));
    pos_ = end;
    return true;
  }
  return false;
}

bool MarkupScanner::Tag(MarkupToken* token) {
  const std::size_t start = pos_;
  const char next = start + 1 < in_.size() ? in_[start + 1] : ' ';
  if (next == '!' || next == '?') {
    const bool comment = in_.compare(start, 4, "<!--") == 0;
    const std::size_t end = in_.find(comment ? "-->" : ">", start + (comment ? 4 : 2));
    pos_ = end == std::string_view::npos ? in_.size() : end + (comment ? 3 : 1);
    return false;
  }
  const bool closing = next == '/';
  std::size_t i = start + (closing ? 2 : 1);
  const std::size_t name_start = i;
  while (i < in_.size() && IsNameChar(in_[i])) ++i;
  *token = MarkupToken();
  token->kind = closing ? MarkupToken::Kind::kEnd : MarkupToken::Kind::kStart;
  token->name = Lower(in_.substr(name_start, i - name_start));
  // Attributes up to the '>' that is outside quotes.
  while (i < in_.size() && in_[i] != '>') {
    if (IsSpace(in_[i])) {
      ++i;
      continue;
    }
    if (in_[i] == '/') {
      token->self_closing = i + 1 < in_.size() && in_[i + 1] == '>';
      ++i;
      continue;
    }
    const std::size_t a = i;
    while (i < in_.size() && !IsSpace(in_[i]) && in_[i] != '=' && in_[i] != '>' &&
           !(in_[i] == '/' && i + 1 < in_.size() && in_[i + 1] == '>')) {
      ++i;
    }
    std::string name = Lower(in_.substr(a, i - a)), value;
    while (i < in_.size() && IsSpace(in_[i])) ++i;
    if (i < in_.size() && in_[i] == '=') {
      ++i;
      while (i < in_.size() && IsSpace(in_[i])) ++i;
      if (i < in_.size() && (in_[i] == '"' || in_[i] == '\'')) {
        const char quote = in_[i];
        const std::size_t end = in_.find(quote, i + 1);
        const std::size_t stop = end == std::string_view::npos ? in_.size() : end;
        value = DecodeReferences(in_.substr(i + 1, stop - i - 1));
        i = stop == in_.size() ? stop : stop + 1;
      } else {
        const std::size_t v = i;
        while (i < in_.size() && !IsSpace(in_[i]) && in_[i] != '>') ++i;
        value = DecodeReferences(in_.substr(v, i - v));
      }
    }
    if (!closing && !name.empty()) token->attributes.emplace_back(std::move(name), std::move(value));
  }
  pos_ = i < in_.size() ? i + 1 : in_.size();
  return !token->name.empty();
}

void MarkupScanner::SkipElement(const std::string& name) {
  int depth = 1;
  MarkupToken token;
  const bool raw = name == "script" || name == "style" || name == "textarea" || name == "title";
  while (pos_ < in_.size()) {
    if (raw) {
      // Their content is no markup: only their own end tag ends them.
      const std::size_t end = FindEndTag(in_, pos_, name);
      pos_ = end;
      if (end == in_.size()) return;
      Tag(&token);
      if (token.name == name) return;
      continue;
    }
    if (!Next(&token) || token.name != name) continue;
    if (token.kind == MarkupToken::Kind::kStart && !token.self_closing) ++depth;
    if (token.kind == MarkupToken::Kind::kEnd && --depth == 0) return;
  }
}

}  // namespace qm
