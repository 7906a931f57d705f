// The pure core of Mantello's encoding: text to carrier string, the decoding script, and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Carrier code for nibble `n` (0..15) in the band chosen by `r` in [0, 1): band
// floor(r * 3.9), so bands 0..2 are equally likely and band 3 a little less.
char NibbleChar(unsigned n, double r);
// The same with r = u / 65536, by integer thresholds that give exactly floor(r * 3.9).
int CarrierBand(std::uint16_t u);
char NibbleCharFromBand(unsigned n, int band);
// True for the 64 characters any band of any nibble can produce.
bool IsCarrierChar(char c);

// Fast generator for the bands (splitmix64); not for anything where secrecy matters.
class CarrierRandom {
 public:
  explicit CarrierRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

// A seed from the clock and the address space, so that two encodings differ.
std::uint64_t ClockSeed();

// The characters the script rebuilds, one byte per character (U+0000..U+00FF): those up to
// U+00FF as their code, every other one as "&#N;". Malformed UTF-8 counts as U+FFFD.
std::string ToCarriedText(std::string_view utf8);
void AppendCarriedText(std::string_view utf8, std::string& out);
// What the page receives, as UTF-8: each byte of `carried` read as U+0000..U+00FF.
std::string CarriedTextToUtf8(std::string_view carried);

// Appends two carrier characters per byte of `carried`, high nibble first.
void AppendCarrier(std::string_view carried, CarrierRandom& random, std::string& out);
// The same, drawing one r per nibble from `random` (slow; for a given source of r).
void AppendCarrier(std::string_view carried, const std::function<double()>& random,
                   std::string& out);

// AppendCarrier(ToCarriedText(utf8)) in one pass over memory, for large texts.
void AppendEncodedText(std::string_view utf8, CarrierRandom& random, std::string& out);

// The unescaped script with its slot "@" for the carrier: six lines, each ended by CR LF.
const std::string& ScriptTemplate();
// Puts the carrier into the slot; a "@" in the carrier is not a slot.
std::string WrapInScript(std::string_view carrier);
// Text to finished script in one go, as the command line and the benchmark use it.
std::string EncodeToScript(std::string_view utf8, std::uint64_t seed);

struct CarrierDecodeError {
  enum class Kind { kNoLiteral, kOddLength, kForeignChar } kind;
  std::size_t position = 0;  // of the foreign character within the carrier, 0-based
  char32_t ch = 0;
};
// Undoes AppendCarrier: one byte per character pair, as the script's decoder computes it.
bool DecodeCarrier(std::string_view carrier, std::string& carried, CarrierDecodeError* error);
// Finds the literal var c="..."; in a script and decodes it; returns the carried text.
bool DecodeScript(std::string_view script, std::string& carried, CarrierDecodeError* error);

}  // namespace qm
