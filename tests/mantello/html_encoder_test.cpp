// The carrier alphabet, its bands, the script, the character rule and decoding back.
#include "mantello/html_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace qm {
namespace {

std::string RoundTrip(const std::string& utf8, std::uint64_t seed) {
  std::string carried;
  CarrierDecodeError error{};
  EXPECT_TRUE(DecodeScript(EncodeToScript(utf8, seed), carried, &error));
  return CarriedTextToUtf8(carried);
}

TEST(HtmlEncoderTest, CarrierAlphabetKeepsTheNibbleAndAvoidsLiteralBreakers) {
  std::set<char> all;
  for (int band = 0; band < 4; ++band) {
    for (unsigned n = 0; n < 16; ++n) {
      const char c = NibbleCharFromBand(n, band);
      const bool substituted = (band == 1 && n == 12) || (band == 3 && n == 15);
      EXPECT_EQ(static_cast<unsigned char>(c), substituted ? (0x30 | n) : 0x40 + 16 * band + n);
      EXPECT_EQ(c & 15, static_cast<int>(n));
      EXPECT_TRUE(IsCarrierChar(c));
      all.insert(c);
    }
  }
  EXPECT_EQ(all.size(), 64u);
  EXPECT_EQ(NibbleCharFromBand(12, 1), '<');
  EXPECT_EQ(NibbleCharFromBand(15, 3), '?');
  for (char c : {'\\', '"', '/', '\x7F', '>', '-', '!', ' '}) EXPECT_FALSE(IsCarrierChar(c)) << c;
}

TEST(HtmlEncoderTest, BandsSplitAtMultiplesOfOneOverThreePointNine) {
  const struct {
    double r;
    int band;
  } cases[] = {{0.0, 0},
               {1 / 3.9 - 1e-9, 0},
               {1 / 3.9 + 1e-9, 1},
               {2 / 3.9 - 1e-9, 1},
               {2 / 3.9 + 1e-9, 2},
               {3 / 3.9 - 1e-9, 2},
               {3 / 3.9 + 1e-9, 3},
               {std::nextafter(1.0, 0.0), 3}};
  for (const auto& c : cases) {
    for (unsigned n = 0; n < 16; ++n) {
      EXPECT_EQ(NibbleChar(n, c.r), NibbleCharFromBand(n, c.band)) << c.r << " nibble " << n;
    }
  }
}

TEST(HtmlEncoderTest, IntegerBandsEqualTheFloorOfEverySixteenBitR) {
  int counts[4] = {};
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const int band = CarrierBand(static_cast<std::uint16_t>(u));
    ASSERT_EQ(band, static_cast<int>(u / 65536.0 * 3.9)) << u;
    ++counts[band];
  }
  // 65536 / 3.9 = 16804.1 per full band, the rest for band 3.
  EXPECT_EQ(counts[0], 16805);
  EXPECT_EQ(counts[1], 16804);
  EXPECT_EQ(counts[2], 16804);
  EXPECT_EQ(counts[3], 15123);
}

TEST(HtmlEncoderTest, FastCarrierDrawsBandsWithTheirProbabilities) {
  CarrierRandom random(42);
  std::string carrier;
  AppendCarrier(std::string(200000, '\x00'), random, carrier);
  int counts[4] = {};
  for (char c : carrier) ++counts[(static_cast<unsigned char>(c) - 0x40) / 16];
  const double n = static_cast<double>(carrier.size());
  for (int band = 0; band < 4; ++band) {
    EXPECT_NEAR(counts[band] / n, band < 3 ? 1 / 3.9 : 0.9 / 3.9, 0.005) << band;
  }
}

TEST(HtmlEncoderTest, GivenRandomSourceGivesHighNibbleFirstWithOwnBand) {
  const double rs[] = {0.0, 0.5, 0.99, 0.3};
  std::size_t next = 0;
  std::string carrier;
  AppendCarrier(
      "A\xFC", [&] { return rs[next++]; }, carrier);
  // 'A' 0x41: 4 in band 0, 1 in band 1; 0xFC: 15 in band 3 (the '?'), 12 in band 1 (the '<').
  EXPECT_EQ(carrier, "DQ?<");
}

TEST(HtmlEncoderTest, ScriptIsSixCrLfLinesWithOneSlot) {
  const std::string lines[] = {
      "<script language=\"JavaScript\" type=\"text/javascript\">",
      "<!--",
      "var c=\"@\";var s=\"\";for(var i=0;i<c.length;)s+=String.fromCharCode(((c.charCodeAt(i++)"
      "&15)<<4)|(c.charCodeAt(i++)&15));document.write(s);",
      "//-->",
      "</script>",
      "<noscript><br><b>*** Bitte aktivieren Sie JavaScript in Ihrem Browser ***</b><br>"
      "</noscript>"};
  std::string expected;
  for (const auto& line : lines) expected += line + "\r\n";
  EXPECT_EQ(ScriptTemplate(), expected);
  EXPECT_EQ(WrapInScript("@x@"), expected.replace(expected.find('@'), 1, "@x@"));
}

TEST(HtmlEncoderTest, CharactersAboveLatin1BecomeDecimalReferences) {
  const struct {
    const char* in;
    const char* page;
  } cases[] = {
      {"5 \xE2\x82\xAC", "5 &#8364;"},
      {"\xE2\x80\x9EGr\xC3\xBC\xC3\x9F"
       "e\xE2\x80\x9C",
       "&#8222;Gr\xC3\xBC\xC3\x9F"
       "e&#8220;"},
      {"\xF0\x9F\x98\x80!", "&#128512;!"},
      {"\xC3\xBF\xC4\x80", "\xC3\xBF&#256;"},
      {"a\xFF"
       "b\x80",
       "a&#65533;b&#65533;"},
      {"\xED\xA0\x80", "&#65533;&#65533;&#65533;"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CarriedTextToUtf8(ToCarriedText(c.in)), c.page) << c.in;
    EXPECT_EQ(RoundTrip(c.in, 7), c.page) << c.in;
  }
  // Large texts go through in blocks, which must not cut a character in two.
  std::string emoji, references;
  for (int i = 0; i < 3000; ++i) {
    emoji += i % 3 ? "\xF0\x9F\x98\x80" : "\xC3\xA4";
    references += i % 3 ? "&#128512;" : "\xC3\xA4";
  }
  EXPECT_EQ(RoundTrip(emoji, 3), references);
  EXPECT_EQ(RoundTrip("x" + emoji, 3), "x" + references);
  // The count that drives the progress is the carried one: U+00FF is one character.
  EXPECT_EQ(ToCarriedText("\xC3\xBF").size(), 1u);
  EXPECT_EQ(ToCarriedText("\xE2\x82\xAC").size(), 7u);
}

TEST(HtmlEncoderTest, Latin1TextSurvivesEncodeAndDecode) {
  std::string every;
  for (char32_t c = 0; c <= 0xFF; ++c) every += CarriedTextToUtf8(std::string(1, char(c)));
  std::string long_text;
  for (int i = 0; i < 3000; ++i) long_text += "Zeile " + std::to_string(i) + " \xC3\xA4\r\n";
  const std::string texts[] = {
      "@",          "@@ in @",
      "C:\\Pfad\\", "<p class=\"a\">x</p></script><script>alert('y')</script>",
      "\"'\\\"",    every,
      long_text,    std::string(513, 'x'),
  };
  for (const auto& text : texts) {
    for (std::uint64_t seed : {1ULL, 2ULL, 0xFFFFFFFFFFFFFFFFULL}) {
      const std::string script = EncodeToScript(text, seed);
      const std::size_t begin = script.find("var c=\"") + 7;
      const std::string carrier = script.substr(begin, script.find('"', begin) - begin);
      ASSERT_EQ(carrier.size(), 2 * ToCarriedText(text).size());
      for (char c : carrier) ASSERT_TRUE(IsCarrierChar(c));
      EXPECT_EQ(RoundTrip(text, seed), text);
    }
  }
  EXPECT_EQ(EncodeToScript(long_text, 5), EncodeToScript(long_text, 5));
  EXPECT_NE(EncodeToScript(long_text, 5), EncodeToScript(long_text, 6));
}

TEST(HtmlEncoderTest, DecodingRefusesWhatTheEncoderCannotHaveMade) {
  using Kind = CarrierDecodeError::Kind;
  const struct {
    std::string script;
    Kind kind;
    std::size_t position;
    char32_t ch;
  } cases[] = {
      {"document.write('x');", Kind::kNoLiteral, 0, 0},
      {"var c=\"DQDQ", Kind::kNoLiteral, 0, 0},
      {"var c=\"DQ\"", Kind::kNoLiteral, 0, 0},
      {"var c=\"DQD\";", Kind::kOddLength, 0, 0},
      {"var c=\"DQ D\";", Kind::kForeignChar, 2, U' '},
      {"var c=\"DQ\xC3\xA4Q\";", Kind::kForeignChar, 2, U'\u00E4'},
  };
  for (const auto& c : cases) {
    std::string carried;
    CarrierDecodeError error{};
    EXPECT_FALSE(DecodeScript(c.script, carried, &error)) << c.script;
    EXPECT_EQ(error.kind, c.kind) << c.script;
    EXPECT_EQ(error.position, c.position) << c.script;
    EXPECT_EQ(error.ch, c.ch) << c.script;
  }
  std::string carried;
  EXPECT_TRUE(DecodeScript("var c=\"\";", carried, nullptr));
  EXPECT_EQ(carried, "");
}

}  // namespace
}  // namespace qm
