// Escaping and the salted hex cipher of stored snippet texts.
#include "store/stored_text.h"

#include <gtest/gtest.h>

#include <random>

namespace qm {
namespace {

TEST(StoredTextTest, EscapeTable) {
  const struct {
    std::string plain, escaped;
  } cases[] = {
      {"\\\ta\r\n\"", "\\\\\\Ta\\N\\L\\H"},
      {"", ""},
      {"C:\\Temp", "C:\\\\Temp"},
      {"\\T", "\\\\T"},  // the output of one escape is never escaped again
      {"Grüße €", "Grüße €"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeStoredText(c.plain), c.escaped) << c.plain;
    EXPECT_EQ(UnescapeStoredText(c.escaped), c.plain) << c.escaped;
  }
}

TEST(StoredTextTest, UnescapeTable) {
  const struct {
    std::string stored, plain;
  } cases[] = {
      {"\\\\N", "\\N"},
      {"\\n", "\r"},
      {"\\t\\l\\h", "\t\n\""},
      {"abc\\", "abc"},
      {"\\x", "x"},
      {"\\", ""},
      {"\\\\\\", "\\"},
      {"\\ü", "ü"},
      {"a\\€b", "a€b"},
      {"\\\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnescapeStoredText(c.stored), c.plain) << c.stored;
}

TEST(StoredTextTest, EscapeRoundTripsVariedTexts) {
  std::mt19937 gen(7);
  const std::string alphabet[] = {"\\", "\t", "\n", "\r", "\"", "a", "T", "ä", "€", "😀", " "};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    for (int i = round % 13; i > 0; --i) text += alphabet[gen() % std::size(alphabet)];
    const std::string escaped = EscapeStoredText(text);
    EXPECT_EQ(escaped.find_first_of("\t\r\n\""), std::string::npos) << escaped;
    EXPECT_EQ(UnescapeStoredText(escaped), text);
  }
}

TEST(StoredTextTest, FormatTextUnescapesOnlyTheTemplate) {
  const std::vector<std::string> args = {"A", "%2", "C:\\neu\\Tabelle", "", "", "", "", "",
                                         "I", "J"};
  const struct {
    const char* tmpl;
    const char* formatted;
  } cases[] = {
      {"%1-%2", "A-%2"},  // inserted text is not read again
      {"%10 %9", "A0 I"},
      {"100% %0 %", "100% %0 %"},
      {"%%1", "%A"},
      {"%3\\L", "C:\\neu\\Tabelle\n"},
      {"\\H%1\\H", "\"A\""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatText(c.tmpl, args), c.formatted) << c.tmpl;
  EXPECT_EQ(FormatText("[%1|%5]", {"x"}), "[x|]");
}

TEST(StoredTextTest, ZeroPadHex) {
  const struct {
    std::int64_t value;
    int width;
    const char* hex;
  } cases[] = {
      {0, 4, "0000"}, {255, 4, "00FF"},        {0xABCDE, 4, "ABCDE"},
      {0, 0, "0"},    {-1, 4, "FFFFFFFF"},     {-2147483648LL, 2, "80000000"},
      {10, 1, "A"},   {0x1234, 8, "00001234"},
  };
  for (const auto& c : cases) EXPECT_EQ(ZeroPadHex(c.value, c.width), c.hex) << c.value;
}

TEST(StoredTextTest, EncipherKnownValue) {
  const auto zero = [] { return 0u; };
  EXPECT_EQ(EncipherWithSalt("", 0xBEEF, zero), "BEEF");
  // Position 1 shifts the salt by one: 0x1234 / 2 = 0x91A, key 0x1A; 'A' ^ 0x1A = 0x5B.
  EXPECT_EQ(EncipherWithSalt("A", 0x1234, zero), "05B01234");
  // Salt 3 / 2 = 1.5 rounds to 2 (even); position 2: 3 / 4 = 0.75 rounds to 1.
  EXPECT_EQ(EncipherWithSalt(std::string(2, '\0'), 3, [] { return 0xFu; }), "F02FF01F0003");
}

TEST(StoredTextTest, EverySaltRoundTrips) {
  std::string text;
  for (int c = 0; c < 256; c += 7) text += static_cast<char>(c);
  text += "\xFF";
  std::mt19937 gen(1);
  const auto noise = [&] { return static_cast<unsigned>(gen()); };
  for (unsigned salt = 0; salt <= 0xFFFF; ++salt) {
    const std::string cipher = EncipherWithSalt(text, static_cast<std::uint16_t>(salt), noise);
    ASSERT_EQ(CryptText(cipher, false), text) << "salt " << salt;
  }
}

TEST(StoredTextTest, NoiseDoesNotMatter) {
  const std::string text = "Hallo, Welt!\r\n\xE4\xF6\xFC";
  for (std::uint16_t salt : {0x0000, 0x7FFF, 0x8000, 0xFFFF}) {
    std::string cipher = EncipherWithSalt(text, salt, [] { return 0u; });
    for (std::size_t g = 0; g + 4 < cipher.size(); g += 4) {
      cipher[g] = "0123456789ABCDEF"[(g * 5) % 16];
      cipher[g + 3] = "0123456789ABCDEF"[(g * 3 + 1) % 16];
    }
    EXPECT_EQ(CryptText(cipher, false), text) << salt;
  }
}

TEST(StoredTextTest, CryptTextShape) {
  for (const std::string& text :
       {std::string(), std::string("x"), std::string("Zw\xF6lf Zeichen"), std::string(300, '\0')}) {
    const std::string cipher = CryptText(text, true);
    EXPECT_EQ(cipher.size(), 4 * text.size() + 4);
    EXPECT_EQ(cipher.find_first_not_of("0123456789ABCDEF"), std::string::npos) << cipher;
    EXPECT_EQ(CryptText(cipher, false), text);
  }
}

TEST(StoredTextTest, CryptTextSaltsVary) {
  bool high_salt = false;
  for (int i = 0; i < 200 && !high_salt; ++i) {
    high_salt = std::stoul(CryptText("", true), nullptr, 16) >= 0x8000;
  }
  EXPECT_TRUE(high_salt);
}

TEST(StoredTextTest, DecipherOfDamagedText) {
  const struct {
    std::string cipher, plain;
  } cases[] = {
      {"", ""},
      {"00F0", ""},
      {"Z", ""},
      // A group cut short by a non-hex character keeps its leading digits only.
      {"0G61ZZZZ", std::string(1, '\0')},
      {"xxxx00F0", "x"},
      {"0610000F0", "\x19<"},  // the last group overlaps the salt
      {"0e1000f0", "\x99"},    // lower-case digits read as well
  };
  for (const auto& c : cases) EXPECT_EQ(CryptText(c.cipher, false), c.plain) << c.cipher;
}

}  // namespace
}  // namespace qm
