// The stored form of a snippet text: escaping into one line, and the salted hex cipher.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Works on UTF-8: every escaped character is ASCII, so other characters pass unchanged.
std::string EscapeStoredText(std::string_view text);
std::string UnescapeStoredText(std::string_view text);

// A message template in the stored form with "%1" to "%9" replaced by `args` (missing ones
// count as empty texts); "%10" reads as "%1" and "0".
std::string FormatText(std::string_view tmpl, const std::vector<std::string>& args = {});

// The cipher works on character codes 0..255, i.e. on text in the ANSI code page (one byte
// per character); callers convert from and to UTF-8. Enciphering draws a fresh salt and
// fresh noise from a generator seeded from the clock.
std::string CryptText(std::string_view ansi, bool encipher);
// Enciphers with a given salt; `noise` yields the noise nibbles (only its low 4 bits count).
std::string EncipherWithSalt(std::string_view ansi, std::uint16_t salt,
                             const std::function<unsigned()>& noise);

// Upper-case hex, left-padded with "0" to `width`, never shortened; a negative value gives
// its 32-bit two's complement (8 digits).
std::string ZeroPadHex(std::int64_t value, int width);

}  // namespace qm
