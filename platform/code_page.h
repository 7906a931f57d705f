// Conversion between UTF-8 (the program's text) and a file's single-byte ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace qm {

class CodePage {
 public:
  virtual ~CodePage() = default;

  virtual unsigned Id() const = 0;  // e.g. 1252; 65001 for the UTF-8 pass-through
  // Every byte maps to some character, so this never fails.
  virtual std::string ToUtf8(std::string_view ansi) const = 0;
  // False when `utf8` is malformed or holds a character the code page cannot hold; `bad`
  // then receives that character's code point (0xFFFD for malformed UTF-8).
  virtual bool FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const = 0;
};

}  // namespace qm
