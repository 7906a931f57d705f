// Code pages that need no OS: Windows-1252 by table, and UTF-8 passed through unchanged.
#pragma once

#include <string>

#include "platform/code_page.h"

namespace qm {

// Windows-1252 as Windows converts it: the five unassigned bytes map to U+0081, U+008D,
// U+008F, U+0090 and U+009D and back, so every byte survives a round trip.
class Windows1252CodePage : public CodePage {
 public:
  unsigned Id() const override { return 1252; }
  std::string ToUtf8(std::string_view ansi) const override;
  bool FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const override;
};

// For files of our own that hold any character (the Linux settings file).
class Utf8CodePage : public CodePage {
 public:
  unsigned Id() const override { return 65001; }
  std::string ToUtf8(std::string_view ansi) const override { return std::string(ansi); }
  bool FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const override;
};

// The single-byte code page that `ansi` stands for: itself, except where the ANSI code page
// is UTF-8 (65001), which holds no character codes 0..255. Libraries and files written on
// the German systems that know no such option are Windows-1252, and so are the codes of
// their enciphered texts; reading them as that keeps their umlauts.
const CodePage& SingleByteCodePage(const CodePage& ansi);

// The message for a character that a file cannot hold, naming the character.
std::string UnrepresentableMessage(char32_t cp, unsigned code_page);

}  // namespace qm
