// UTF-8 decoding, UTF-16 conversion and case folding.
#include "text/utf.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(UtfTest, MalformedUtf8) {
  const struct {
    std::string bytes;
    std::size_t characters;
  } cases[] = {
      {"\x80", 1},              // stray continuation byte
      {"\xC0\xAF", 2},          // overlong slash
      {"\xE0\x80\xAF", 3},      // overlong, three bytes
      {"\xED\xA0\x80", 3},      // encoded surrogate
      {"\xF4\x90\x80\x80", 4},  // above U+10FFFF
      {"\xE2\x82", 2},          // cut short
      {"a\xC3(", 3},            // lead byte without its continuation
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(IsValidUtf8(c.bytes)) << c.bytes;
    EXPECT_EQ(CountCodePoints(c.bytes), c.characters) << c.bytes;
    std::u16string utf16;
    EXPECT_FALSE(Utf8ToUtf16(c.bytes, utf16)) << c.bytes;
  }
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(UtfTest, Utf16RoundTripAndSurrogates) {
  const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
  std::u16string utf16;
  ASSERT_TRUE(Utf8ToUtf16(text, utf16));
  EXPECT_EQ(utf16, (std::u16string{u'a', 0xE4, 0x20AC, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF}));
  EXPECT_EQ(Utf16ToUtf8(utf16), text);
  // Lone surrogates, and a pair in the wrong order, each become U+FFFD.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, u'x', 0xDE00, 0xDE00, 0xD83D}),
            "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UtfTest, FoldCase) {
  EXPECT_EQ(FoldCase("ÄÖÜ Straße ŁÓDŹ ΣΟΦΊΑ ΏΡΑ МОСКВА Ёж ŸÆŒ"),
            "äöü straße łódź σοφία ώρα москва ёж ÿæœ");
  EXPECT_EQ(FoldCase("a\xFF"
                     "B"),
            "a\xFF"
            "b");  // stray bytes stay as they are
}

TEST(UtfTest, UpperCaseUndoesFoldCaseOneCharacterForOne) {
  EXPECT_EQ(UpperCase("äöü straße łódź σοφία ώρα москва ёж ÿæœ ſ ς"),
            "ÄÖÜ STRAßE ŁÓDŹ ΣΟΦΊΑ ΏΡΑ МОСКВА ЁЖ ŸÆŒ ſ ς");
  for (char32_t c = 0; c < 0x500; ++c) {
    if (UpperCase(c) != c) {
      EXPECT_EQ(FoldCase(UpperCase(c)), c) << CodePointName(c);
    }
    if (FoldCase(c) != c) {
      EXPECT_EQ(UpperCase(FoldCase(c)), c) << CodePointName(c);
    }
  }
}

}  // namespace
}  // namespace qm
