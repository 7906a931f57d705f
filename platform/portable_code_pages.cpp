// Code pages that need no OS: Windows-1252 by table, and UTF-8 passed through unchanged.
#include "platform/portable_code_pages.h"

#include "text/utf.h"

namespace qm {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ByteFor1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] == cp) return 0x80 + i;
  }
  return -1;
}

}  // namespace

std::string Windows1252CodePage::ToUtf8(std::string_view ansi) const {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 8);
  for (char ch : ansi) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else {
      AppendUtf8(out, b < 0xA0 ? kHigh1252[b - 0x80] : b);
    }
  }
  return out;
}

bool Windows1252CodePage::FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const {
  ansi.clear();
  ansi.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    bool malformed = false;
    const char32_t cp = NextCodePoint(utf8, pos, &malformed);
    const int b = malformed ? -1 : ByteFor1252(cp);
    if (b < 0) {
      if (bad) *bad = cp;
      return false;
    }
    ansi += static_cast<char>(b);
  }
  return true;
}

bool Utf8CodePage::FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const {
  if (!IsValidUtf8(utf8)) {
    if (bad) *bad = 0xFFFD;
    return false;
  }
  ansi.assign(utf8);
  return true;
}

const CodePage& SingleByteCodePage(const CodePage& ansi) {
  static const Windows1252CodePage windows_1252;
  return ansi.Id() == 65001 ? windows_1252 : ansi;
}

std::string UnrepresentableMessage(char32_t cp, unsigned code_page) {
  if (cp == 0xFFFD) return "Der Text ist kein gültiges UTF-8.";
  std::string shown;
  if (cp >= 0x20) AppendUtf8(shown, cp);
  return "Das Zeichen \xE2\x80\x9E" + shown + "\xE2\x80\x9C (" + CodePointName(cp) +
         ") kann in dieser Datei (Codepage " + std::to_string(code_page) +
         ") nicht gespeichert werden.";
}

}  // namespace qm
