// The stored form of a snippet text: escaping into one line, and the salted hex cipher.
#include "store/stored_text.h"

#include <chrono>
#include <random>

namespace qm {
namespace {

// Rounds salt / 2^shift to the nearest integer with halves to even, in integers so that the
// key never depends on the floating-point environment.
unsigned KeyByte(unsigned salt, std::size_t position) {
  const unsigned shift = static_cast<unsigned>(position % 8);
  unsigned q = salt >> shift;
  if (shift > 0) {
    const unsigned rem = salt & ((1u << shift) - 1);
    const unsigned half = 1u << (shift - 1);
    if (rem > half || (rem == half && (q & 1))) ++q;
  }
  return q & 0xFF;
}

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

// Stored data may be damaged: a group counts only as far as its leading hex digits go.
unsigned LeadingHex(std::string_view group) {
  unsigned v = 0;
  for (char ch : group) {
    const int d = HexDigit(ch);
    if (d < 0) break;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return v;
}

std::mt19937& Generator() {
  thread_local std::mt19937 gen = [] {
    // The clock alone repeats for calls within one tick; the device adds what it can.
    std::uint32_t device = 0;
    try {
      device = std::random_device{}();
    } catch (...) {
    }
    const auto now = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seq{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                      device};
    return std::mt19937(seq);
  }();
  return gen;
}

}  // namespace

std::string EscapeStoredText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\T";
        break;
      case '\n':
        out += "\\L";
        break;
      case '\r':
        out += "\\N";
        break;
      case '"':
        out += "\\H";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string UnescapeStoredText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool after_backslash = false;
  for (char ch : text) {
    if (!after_backslash) {
      if (ch == '\\') {
        after_backslash = true;
      } else {
        out += ch;
      }
      continue;
    }
    after_backslash = false;
    // Only ASCII letters are upper-cased, so a UTF-8 lead byte is copied as it is.
    const char up = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
    switch (up) {
      case 'T':
        out += '\t';
        break;
      case 'N':
        out += '\r';
        break;
      case 'L':
        out += '\n';
        break;
      case 'H':
        out += '"';
        break;
      default:
        out += ch;
    }
  }
  return out;
}

// One pass, so that an argument holding "%2" is inserted as it is. Only the template's own
// text is unescaped: an argument such as a path keeps its backslashes.
std::string FormatText(std::string_view tmpl, const std::vector<std::string>& args) {
  std::string out;
  std::size_t literal_start = 0;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '1' && tmpl[i + 1] <= '9') {
      out += UnescapeStoredText(tmpl.substr(literal_start, i - literal_start));
      const std::size_t n = static_cast<std::size_t>(tmpl[i + 1] - '1');
      if (n < args.size()) out += args[n];
      ++i;
      literal_start = i + 1;
    }
  }
  out += UnescapeStoredText(tmpl.substr(literal_start));
  return out;
}

std::string EncipherWithSalt(std::string_view ansi, std::uint16_t salt,
                             const std::function<unsigned()>& noise) {
  std::string out;
  out.reserve(ansi.size() * 4 + 4);
  for (std::size_t i = 1; i <= ansi.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(ansi[i - 1]);
    unsigned v = (c ^ KeyByte(salt, i)) * 16;
    const unsigned r1 = noise() & 0xF;
    const unsigned r2 = noise() & 0xF;
    v |= r1 * 4096 | r2;
    out += ZeroPadHex(v, 4);
  }
  out += ZeroPadHex(salt, 4);
  return out;
}

std::string CryptText(std::string_view text, bool encipher) {
  if (encipher) {
    auto& gen = Generator();
    std::uniform_int_distribution<unsigned> salt_dist(0, 65535);
    std::uniform_int_distribution<unsigned> nibble(0, 15);
    const auto salt = static_cast<std::uint16_t>(salt_dist(gen));
    return EncipherWithSalt(text, salt, [&] { return nibble(gen); });
  }
  std::string out;
  if (text.size() <= 4) return out;
  const unsigned salt = LeadingHex(text.substr(text.size() - 4));
  out.reserve(text.size() / 4);
  // Groups start at every fourth character while they start before the salt; the last one
  // may overlap the salt when the length is not a multiple of four.
  for (std::size_t p = 0; p + 5 <= text.size(); p += 4) {
    const unsigned v = LeadingHex(text.substr(p, 4));
    const unsigned c = (v & 0xFF0) / 16;
    out += static_cast<char>(c ^ KeyByte(salt, out.size() + 1));
  }
  return out;
}

std::string ZeroPadHex(std::int64_t value, int width) {
  std::uint64_t v =
      value < 0 ? static_cast<std::uint32_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits;
  do {
    digits += "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  } while (v != 0);
  if (width > static_cast<int>(digits.size())) digits.append(width - digits.size(), '0');
  return std::string(digits.rbegin(), digits.rend());
}

}  // namespace qm
