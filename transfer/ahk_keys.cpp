// What AutoHotkey's escapes and the keys of its Send syntax type.
#include "transfer/ahk_keys.h"

#include <algorithm>
#include <cctype>

#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

// A count repeats a key at most up to the size of a long text: seven characters of a file
// must not become a thousand, over and over, until the memory runs out; nor do the keys that
// paste, each a placeholder longer than they are.
constexpr std::size_t kLongestText = 1 << 20;
constexpr std::string_view kClipboard = "%zwischenablage%";

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string_view Trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") + 1 - first);
}

}  // namespace

std::size_t PasteKeysAt(std::string_view s, std::size_t at) {
  // The letter is a small v: a capital one adds Shift.
  static constexpr std::string_view kPastes[] = {"^v", "^{v}", "{ctrl down}v{ctrl up}"};
  for (const std::string_view keys : kPastes) {
    if (s.size() - at < keys.size()) continue;
    std::size_t k = 0;
    while (k < keys.size() && (keys[k] == 'v' ? s[at + k] == 'v' : Lower(s[at + k]) == keys[k]))
      ++k;
    if (k == keys.size()) return k;
  }
  return 0;
}

bool PastesClipboard(std::string_view command) {
  static constexpr std::string_view kSends[] = {"sendinput", "sendevent", "sendplay",
                                                "sendraw",   "sendtext",  "send"};
  command = Trimmed(command);
  std::string lower;
  for (const char c : command) lower += Lower(c);
  std::string_view word;
  for (const std::string_view send : kSends) {
    if (lower.compare(0, send.size(), send) == 0 &&
        (lower.size() == send.size() ||
         std::string_view(" \t,(").find(lower[send.size()]) != std::string_view::npos)) {
      word = send;
      break;
    }
  }
  if (word.empty()) return false;
  std::string_view arg = Trimmed(command.substr(word.size()));
  if (!arg.empty() && arg.front() == ',') arg = Trimmed(arg.substr(1));
  if (!arg.empty() && arg.front() == '(') {
    if (arg.back() != ')') return false;
    arg = Trimmed(arg.substr(1, arg.size() - 2));
  }
  // v2 writes the keys as a string, v1 as they are.
  const bool quoted =
      arg.size() >= 2 && (arg.front() == '"' || arg.front() == '\'') && arg.back() == arg.front();
  if (quoted) arg = arg.substr(1, arg.size() - 2);
  bool raw = word == "sendraw" || word == "sendtext";
  std::string folded;
  for (const char c : arg) folded += Lower(c);
  for (const std::string_view mode : {"{raw}", "{text}"}) {
    if (folded.compare(0, mode.size(), mode) == 0) {
      raw = true;
      folded.erase(0, mode.size());
      arg.remove_prefix(mode.size());
    }
  }
  if (!raw && !arg.empty() && PasteKeysAt(arg, 0) == arg.size()) return true;
  // The clipboard's variable: v1's "%Clipboard%" or "% Clipboard", v2's A_Clipboard.
  static constexpr std::string_view kClipboards[] = {"%clipboard%", "%a_clipboard%", "% clipboard",
                                                     "% a_clipboard", "a_clipboard"};
  return !quoted &&
         std::find(std::begin(kClipboards), std::end(kClipboards), folded) != std::end(kClipboards);
}

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
    if (const std::size_t paste = PasteKeysAt(s, i);
        paste && out.size() + kClipboard.size() <= kLongestText) {
      out += kClipboard;
      i += paste;
      continue;
    }
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
