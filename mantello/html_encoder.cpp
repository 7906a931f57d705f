// The pure core of Mantello's encoding: text to carrier string, the decoding script, and back.
#include "mantello/html_encoder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#include "store/stored_text.h"
#include "text/utf.h"

namespace qm {
namespace {

// floor(u / 65536 * 3.9) = floor(u * 39 / 655360), by one multiplication and shift: the
// factor is 2^40 / 655360 rounded up, exact for every 16-bit u (the tests try them all).
constexpr std::uint64_t kBandFactor = 39u * ((1ULL << 40) / 655360u + 1u);

inline unsigned Band16(std::uint64_t u) {
  return static_cast<unsigned>((u * kBandFactor) >> 40);
}

constexpr char CarrierCode(unsigned n, unsigned band) {
  const unsigned code = (0x40u + 16u * band) | n;
  // Neither a backslash nor DEL may reach the script's string literal.
  return static_cast<char>(code == 0x5C || code == 0x7F ? (n | 0x30u) : code);
}

// Indexed by band * 16 + nibble.
constexpr std::array<char, 64> MakeCarrierTable() {
  std::array<char, 64> t{};
  for (unsigned i = 0; i < 64; ++i) t[i] = CarrierCode(i & 15u, i >> 4);
  return t;
}
constexpr std::array<char, 64> kCarrierTable = MakeCarrierTable();

constexpr std::string_view kEscapedTemplate =
    "<script language=\\hJavaScript\\h type=\\htext/javascript\\h>\\n\\l<!--\\n\\l"
    "var c=\\h@\\h;var s=\\h\\h;for(var i=0;i<c.length;)s+=String.fromCharCode("
    "((c.charCodeAt(i++)&15)<<4)|(c.charCodeAt(i++)&15));document.write(s);\\n\\l"
    "//-->\\n\\l</script>\\n\\l"
    "<noscript><br><b>*** Bitte aktivieren Sie JavaScript in Ihrem Browser ***</b><br>"
    "</noscript>\\n\\l";

// "&#1114111;", the longest reference.
constexpr std::size_t kLongestReference = 10;

std::size_t WriteReference(char* d, char32_t cp) {
  char digits[8];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + cp % 10);
    cp /= 10;
  } while (cp != 0);
  const std::size_t length = n + 3;
  *d++ = '&';
  *d++ = '#';
  while (n > 0) *d++ = digits[--n];
  *d = ';';
  return length;
}

}  // namespace

char NibbleChar(unsigned n, double r) {
  int band = static_cast<int>(r * 3.9);
  // Only a source outside [0, 1) could leave the four bands.
  if (band < 0) band = 0;
  if (band > 3) band = 3;
  return CarrierCode(n & 15u, static_cast<unsigned>(band));
}

int CarrierBand(std::uint16_t u) {
  return static_cast<int>(Band16(u));
}

char NibbleCharFromBand(unsigned n, int band) {
  return kCarrierTable[(static_cast<unsigned>(band) & 3u) * 16u + (n & 15u)];
}

bool IsCarrierChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x40 && u <= 0x7E && u != 0x5C) || u == 0x3C || u == 0x3F;
}

std::uint64_t ClockSeed() {
  static std::uint64_t calls = 0;
  const auto now = static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  const auto place = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&calls));
  CarrierRandom mix(now ^ (place << 16) ^ (++calls * 0x9E3779B97F4A7C15ULL));
  return mix.Next();
}

std::string ToCarriedText(std::string_view utf8) {
  std::string out;
  AppendCarriedText(utf8, out);
  return out;
}

void AppendCarriedText(std::string_view utf8, std::string& out) {
  const char* p = utf8.data();
  const std::size_t size = utf8.size();
  std::size_t used = out.size();
  // Room for the text as it is plus one reference; grown when references need more.
  out.resize(used + size + kLongestReference);
  std::size_t pos = 0;
  while (pos < size) {
    if (out.size() - used < kLongestReference + 8) {
      out.resize(out.size() + (size - pos) + out.size() / 2 + kLongestReference + 8);
    }
    char* d = &out[used];
    const auto b0 = static_cast<unsigned char>(p[pos]);
    if (b0 < 0x80) {
      // Most HTML is ASCII: eight bytes tested and copied at a time while room remains.
      std::size_t room = out.size() - used - kLongestReference;
      std::uint64_t word;
      while (pos + 8 <= size && room >= 8) {
        std::memcpy(&word, p + pos, 8);
        if (word & 0x8080808080808080ULL) break;
        std::memcpy(d, &word, 8);
        d += 8;
        pos += 8;
        room -= 8;
        used += 8;
      }
      if (pos < size && static_cast<unsigned char>(p[pos]) < 0x80) {
        *d = p[pos++];
        ++used;
      }
      continue;
    }
    const auto b1 = pos + 1 < size ? static_cast<unsigned char>(p[pos + 1]) : 0u;
    if ((b0 == 0xC2 || b0 == 0xC3) && (b1 & 0xC0) == 0x80) {
      // U+0080..U+00FF, the umlauts among them.
      *d = static_cast<char>(((b0 & 0x1F) << 6) | (b1 & 0x3F));
      ++used;
      pos += 2;
      continue;
    }
    const char32_t cp = NextCodePoint(utf8, pos);
    if (cp <= 0xFF) {
      *d = static_cast<char>(cp);
      ++used;
    } else {
      used += WriteReference(d, cp);
    }
  }
  out.resize(used);
}

std::string CarriedTextToUtf8(std::string_view carried) {
  std::string out;
  out.reserve(carried.size());
  for (char c : carried) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

void AppendCarrier(std::string_view carried, CarrierRandom& random, std::string& out) {
  const std::size_t old = out.size();
  const std::size_t n = carried.size();
  out.resize(old + 2 * n);
  char* d = &out[old];
  const auto* p = reinterpret_cast<const unsigned char*>(carried.data());
  // A local copy, since every char store could otherwise alias the generator's state.
  CarrierRandom local = random;
  std::size_t i = 0;
  // One 64-bit draw gives the four 16-bit r of two characters.
  for (; i + 2 <= n; i += 2, d += 4) {
    const std::uint64_t r = local.Next();
    const unsigned a = p[i], b = p[i + 1];
    // Built in a local array and stored at once, so that the stores alias nothing.
    const char four[4] = {kCarrierTable[Band16(r & 0xFFFF) * 16 + (a >> 4)],
                          kCarrierTable[Band16((r >> 16) & 0xFFFF) * 16 + (a & 15)],
                          kCarrierTable[Band16((r >> 32) & 0xFFFF) * 16 + (b >> 4)],
                          kCarrierTable[Band16(r >> 48) * 16 + (b & 15)]};
    std::memcpy(d, four, 4);
  }
  if (i < n) {
    const std::uint64_t r = local.Next();
    d[0] = kCarrierTable[Band16(r & 0xFFFF) * 16 + (p[i] >> 4)];
    d[1] = kCarrierTable[Band16((r >> 16) & 0xFFFF) * 16 + (p[i] & 15)];
  }
  random = local;
}

void AppendCarrier(std::string_view carried, const std::function<double()>& random,
                   std::string& out) {
  out.reserve(out.size() + 2 * carried.size());
  for (char c : carried) {
    const auto code = static_cast<unsigned char>(c);
    out += NibbleChar(code >> 4, random());
    out += NibbleChar(code & 15u, random());
  }
}

const std::string& ScriptTemplate() {
  static const std::string text = UnescapeStoredText(kEscapedTemplate);
  return text;
}

std::string WrapInScript(std::string_view carrier) {
  const std::string& t = ScriptTemplate();
  const std::size_t slot = t.find('@');
  std::string out;
  out.reserve(t.size() - 1 + carrier.size());
  out.append(t, 0, slot);
  out.append(carrier);
  out.append(t, slot + 1, std::string::npos);
  return out;
}

void AppendEncodedText(std::string_view utf8, CarrierRandom& random, std::string& out) {
  // Block by block, so that the carried text stays in the cache between the two steps.
  constexpr std::size_t kBlock = 4096;
  std::string carried;
  carried.reserve(kBlock * 2);
  out.reserve(out.size() + 2 * utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t end = std::min(pos + kBlock, utf8.size());
    // A block ends before a continuation byte, so that no character is cut in two.
    while (end < utf8.size() && end - pos > 4 &&
           (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
      --end;
    }
    carried.clear();
    AppendCarriedText(utf8.substr(pos, end - pos), carried);
    AppendCarrier(carried, random, out);
    pos = end;
  }
}

std::string EncodeToScript(std::string_view utf8, std::uint64_t seed) {
  const std::string& t = ScriptTemplate();
  const std::size_t slot = t.find('@');
  std::string out;
  out.reserve(t.size() + 2 * utf8.size());
  out.append(t, 0, slot);
  CarrierRandom random(seed);
  AppendEncodedText(utf8, random, out);
  out.append(t, slot + 1, std::string::npos);
  return out;
}

bool DecodeCarrier(std::string_view carrier, std::string& carried, CarrierDecodeError* error) {
  auto fail = [&](CarrierDecodeError::Kind kind, std::size_t position, char32_t ch) {
    if (error) *error = {kind, position, ch};
    return false;
  };
  for (std::size_t j = 0; j < carrier.size(); ++j) {
    if (!IsCarrierChar(carrier[j])) {
      // Every character before it is ASCII, so j also counts characters.
      std::size_t at = j;
      return fail(CarrierDecodeError::Kind::kForeignChar, j, NextCodePoint(carrier, at));
    }
  }
  if (carrier.size() % 2 != 0) return fail(CarrierDecodeError::Kind::kOddLength, 0, 0);
  carried.clear();
  carried.reserve(carrier.size() / 2);
  for (std::size_t i = 0; i < carrier.size(); i += 2) {
    carried += static_cast<char>(((carrier[i] & 15) << 4) | (carrier[i + 1] & 15));
  }
  return true;
}

bool DecodeScript(std::string_view script, std::string& carried, CarrierDecodeError* error) {
  constexpr std::string_view kOpen = "var c=\"";
  const std::size_t open = script.find(kOpen);
  const std::size_t begin = open == std::string_view::npos ? open : open + kOpen.size();
  const std::size_t close = begin == std::string_view::npos ? begin : script.find('"', begin);
  if (close == std::string_view::npos || close + 1 >= script.size() || script[close + 1] != ';') {
    if (error) *error = {CarrierDecodeError::Kind::kNoLiteral, 0, 0};
    return false;
  }
  return DecodeCarrier(script.substr(begin, close - begin), carried, error);
}

}  // namespace qm
