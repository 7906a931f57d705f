// The picker's search form: a small table of our own over the Latin letters, no library.
#include "quillet/pick/search_form.h"

#include <algorithm>
#include <array>

#include "text/utf.h"

namespace qm {
namespace {

// Lower-case letters only: upper case is folded before the table is asked.
struct LatinFold {
  char32_t first, last;
  const char* as;
};
constexpr LatinFold kLatinFolds[] = {
    {0xDF, 0xDF, "ss"},  {0xE0, 0xE5, "a"},    {0xE6, 0xE6, "ae"},  {0xE7, 0xE7, "c"},
    {0xE8, 0xEB, "e"},   {0xEC, 0xEF, "i"},    {0xF0, 0xF0, "d"},   {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},   {0xF8, 0xF8, "o"},    {0xF9, 0xFC, "u"},   {0xFD, 0xFD, "y"},
    {0xFE, 0xFE, "th"},  {0xFF, 0xFF, "y"},    {0x100, 0x105, "a"}, {0x106, 0x10D, "c"},
    {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"},  {0x11C, 0x123, "g"}, {0x124, 0x127, "h"},
    {0x128, 0x131, "i"}, {0x132, 0x133, "ij"}, {0x134, 0x135, "j"}, {0x136, 0x138, "k"},
    {0x139, 0x142, "l"}, {0x143, 0x14B, "n"},  {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"}, {0x15A, 0x161, "s"},  {0x162, 0x167, "t"}, {0x168, 0x173, "u"},
    {0x174, 0x175, "w"}, {0x176, 0x178, "y"},  {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
};
constexpr char32_t kTableFirst = 0xC0, kTableLast = 0x17F;
constexpr char32_t kCapitalSharpS = 0x1E9E;

// One look-up per character instead of a walk through the ranges: folding a library's texts
// is the picker's opening cost.
const std::array<const char*, kTableLast - kTableFirst + 1>& FoldTable() {
  static const auto table = [] {
    std::array<const char*, kTableLast - kTableFirst + 1> t{};
    for (const LatinFold& f : kLatinFolds) {
      for (char32_t c = f.first; c <= f.last; ++c) t[c - kTableFirst] = f.as;
    }
    return t;
  }();
  return table;
}

bool IsNoBreakSpace(char32_t cp) {
  return cp == 0xA0 || cp == 0x202F;
}
bool IsCombiningMark(char32_t cp) {
  return cp >= 0x300 && cp <= 0x36F;
}

enum class CharClass { kLetter, kDigit, kOther };

// Punctuation, symbols and spaces outside ASCII: quotes, dashes, the euro sign, arrows and the
// like separate words as ASCII punctuation does. What remains are letters of other scripts.
bool IsSymbolOrSpace(char32_t cp) {
  return (cp >= 0x80 && cp <= 0xBF) || cp == 0xD7 || cp == 0xF7 || (cp >= 0x2000 && cp <= 0x2BFF) ||
         (cp >= 0x3000 && cp <= 0x303F) || cp >= 0xFE00;
}

CharClass ClassOf(std::string_view s, std::size_t pos) {
  const auto b = static_cast<unsigned char>(s[pos]);
  if (b >= '0' && b <= '9') return CharClass::kDigit;
  if (b >= 'a' && b <= 'z') return CharClass::kLetter;
  if (b < 0x80) return CharClass::kOther;
  return IsSymbolOrSpace(NextCodePoint(s, pos)) ? CharClass::kOther : CharClass::kLetter;
}

}  // namespace

std::string SearchForm(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  AppendSearchForm(out, s);
  return out;
}

void AppendSearchForm(std::string& out, std::string_view s) {
  const auto& table = FoldTable();
  for (std::size_t pos = 0; pos < s.size();) {
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {  // a run of ASCII, the common case, in one piece
      std::size_t end = pos + 1;
      while (end < s.size() && static_cast<unsigned char>(s[end]) < 0x80) ++end;
      const std::size_t from = out.size();
      out.append(s, pos, end - pos);
      for (std::size_t i = from; i < out.size(); ++i) {
        const char c = out[i];
        if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
        if (c < 0x20) out[i] = ' ';
      }
      pos = end;
      continue;
    }
    const std::size_t start = pos;
    bool malformed = false;
    const char32_t cp = FoldCase(NextCodePoint(s, pos, &malformed));
    if (malformed) {
      out.append(s.substr(start, pos - start));
    } else if (IsNoBreakSpace(cp)) {
      out += ' ';
    } else if (IsCombiningMark(cp)) {
      continue;
    } else if (cp == kCapitalSharpS) {
      out += "ss";
    } else if (cp >= kTableFirst && cp <= kTableLast && table[cp - kTableFirst]) {
      out += table[cp - kTableFirst];
    } else {
      AppendUtf8(out, cp);
    }
  }
}

bool IsWordStart(std::string_view folded, std::size_t pos) {
  if (pos == 0) return true;
  if (pos >= folded.size() || (static_cast<unsigned char>(folded[pos]) & 0xC0) == 0x80)
    return false;
  std::size_t before = pos - 1;  // back to the first byte of the character before
  while (before > 0 && pos - before < 4 &&
         (static_cast<unsigned char>(folded[before]) & 0xC0) == 0x80) {
    --before;
  }
  const CharClass previous = ClassOf(folded, before);
  return previous == CharClass::kOther || previous != ClassOf(folded, pos);
}

std::vector<std::string> SearchWords(std::string_view query) {
  const std::string folded = SearchForm(query);
  std::vector<std::string> words;
  for (std::size_t pos = 0; pos < folded.size();) {
    const std::size_t end = std::min(folded.find(' ', pos), folded.size());
    if (end > pos) words.push_back(folded.substr(pos, end - pos));
    pos = end + 1;
  }
  return words;
}

}  // namespace qm
