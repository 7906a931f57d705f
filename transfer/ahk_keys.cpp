// What AutoHotkey's escapes and the keys of its Send syntax type.
#include "transfer/ahk_keys.h"

#include <algorithm>
#include <cctype>

#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

// A count repeats a key at most up to the size of a long text: seven characters of a file
// must not become a thousand, over and over, until the memory runs out.
constexpr std::size_t kLongestText = 1 << 20;

}  // namespace

std::string Unescape(std::string_view s, std::vector<std::string>* dropped) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '`' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    switch (c) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 's':
        out += ' ';
        break;
      case 'b':
      case 'a':
      case 'f':
      case 'v':
        dropped->push_back(std::string("`") + c);
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string TypedText(std::string_view s, std::vector<std::string>* kept) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '^' || c == '!' || c == '+' || c == '#') {
      std::size_t end = i + 1;
      while (end < s.size() && std::string_view("^!+#").find(s[end]) != std::string_view::npos)
        ++end;
      if (end < s.size() && s[end] == '{') {
        const std::size_t close = s.find('}', end + 2);
        end = close == std::string_view::npos ? s.size() : close + 1;
      } else if (end < s.size()) {
        NextCodePoint(s, end);
      }
      kept->emplace_back(s.substr(i, end - i));
      out += s.substr(i, end - i);
      i = end;
      continue;
    }
    if (c != '{') {
      out += c;
      ++i;
      continue;
    }
    const std::size_t close = s.find('}', i + 2);
    if (close == std::string_view::npos) {
      kept->emplace_back(s.substr(i));
      out += s.substr(i);
      break;
    }
    const std::string_view whole = s.substr(i, close + 1 - i);
    const std::string_view inner = whole.substr(1, whole.size() - 2);
    i = close + 1;
    const std::size_t space = inner.find(' ', 1);
    const std::string_view key = inner.substr(0, space);
    const std::string count_text(space == std::string_view::npos ? "1"
                                                                 : TrimBlanks(inner.substr(space)));
    const bool counted = !count_text.empty() && count_text.size() <= 3 &&
                         std::all_of(count_text.begin(), count_text.end(), [](char d) {
                           return std::isdigit(static_cast<unsigned char>(d));
                         });
    std::string typed;
    const std::string name = FoldCase(key);
    if (name == "raw" || name == "text") {
      if (space == std::string_view::npos) return out + std::string(s.substr(i));
    } else if (name == "enter") {
      typed = "\r";
    } else if (name == "tab") {
      typed = "\t";
    } else if (name == "space") {
      typed = " ";
    } else if (name.size() > 2 && name.compare(0, 2, "u+") == 0 && name.size() <= 8 &&
               std::all_of(name.begin() + 2, name.end(),
                           [](char d) { return std::isxdigit(static_cast<unsigned char>(d)); })) {
      unsigned long cp = std::stoul(name.substr(2), nullptr, 16);
      if (cp == '\n') cp = '\r';  // a line feed types an Enter, as every line break does
      if (cp > 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF))
        AppendUtf8(typed, static_cast<char32_t>(cp));
    } else {
      std::size_t end = 0;
      NextCodePoint(key, end);
      if (end == key.size()) typed = std::string(key);
    }
    if (typed.empty() || !counted ||
        out.size() + typed.size() * std::stoul(count_text) > kLongestText) {
      kept->emplace_back(whole);
      out += whole;
      continue;
    }
    for (int n = std::stoi(count_text); n > 0; --n) out += typed;
  }
  return out;
}

}  // namespace qm
