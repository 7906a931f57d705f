// UTF-8 and UTF-16 conversions and the case folding used to compare names.
#include "text/utf.h"

#include <cstdio>

namespace qm {

char32_t NextCodePoint(std::string_view s, std::size_t& pos, bool* malformed) {
  auto bad = [&]() -> char32_t {
    ++pos;
    if (malformed) *malformed = true;
    return 0xFFFD;
  };
  const auto b0 = static_cast<unsigned char>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int len;
  char32_t cp;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return bad();
  }
  if (pos + len > s.size()) return bad();
  for (int i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return bad();
    cp = (cp << 6) | (b & 0x3F);
  }
  const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad();
  pos += len;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) {
  bool malformed = false;
  for (std::size_t pos = 0; pos < s.size() && !malformed;) NextCodePoint(s, pos, &malformed);
  return !malformed;
}

std::size_t CountCodePoints(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); ++n) NextCodePoint(s, pos);
  return n;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool Utf8ToUtf16(std::string_view s, std::u16string& out) {
  out.clear();
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    bool malformed = false;
    const char32_t cp = NextCodePoint(s, pos, &malformed);
    if (malformed) return false;
    AppendUtf16(out, cp);
  }
  return true;
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c == 0x178) return 0xFF;  // inside the range below, but not one of its pairs
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs upper/lower as even/odd, shifted by one in two ranges.
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? c : c + 1;
  }
  if (c == 0x386) return 0x3AC;  // Greek capitals with tonos
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

char32_t UpperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A keeps each pair side by side, the capital first.
  if (c >= 0x100 && c <= 0x17F) return FoldCase(c - 1) == c ? c - 1 : c;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 37;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 63;
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;  // final sigma stays
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

namespace {

// Each character of `s` through `map` (ASCII through `ascii`, the common case, kept fast);
// stray bytes stay as they are.
template <typename Ascii, typename Map>
std::string MapCharacters(std::string_view s, Ascii ascii, Map map) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {
      out += static_cast<char>(ascii(b));
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    bool malformed = false;
    const char32_t cp = NextCodePoint(s, pos, &malformed);
    if (malformed) {
      out.append(s.substr(start, pos - start));
    } else {
      AppendUtf8(out, map(cp));
    }
  }
  return out;
}

}  // namespace

std::string FoldCase(std::string_view s) {
  return MapCharacters(
      s, [](unsigned char b) { return (b >= 'A' && b <= 'Z') ? b + 32 : b; },
      [](char32_t cp) { return FoldCase(cp); });
}

std::string UpperCase(std::string_view s) {
  return MapCharacters(
      s, [](unsigned char b) { return (b >= 'a' && b <= 'z') ? b - 32 : b; },
      [](char32_t cp) { return UpperCase(cp); });
}

std::string CodePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

}  // namespace qm
