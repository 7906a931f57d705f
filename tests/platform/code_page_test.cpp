// The portable code pages: Windows-1252 round trips every byte; what does not fit is named.
#include "platform/portable_code_pages.h"

#include <gtest/gtest.h>

#include "text/utf.h"

namespace qm {
namespace {

TEST(CodePageTest, Windows1252RoundTripsEveryByte) {
  Windows1252CodePage cp;
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = cp.ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(CountCodePoints(utf8), 256u);
  std::string back;
  ASSERT_TRUE(cp.FromUtf8(utf8, back, nullptr));
  EXPECT_EQ(back, all);
}

TEST(CodePageTest, RefusesWhatDoesNotFit) {
  Windows1252CodePage cp;
  std::string ansi;
  char32_t bad = 0;
  EXPECT_FALSE(cp.FromUtf8("ok \xF0\x9F\x98\x80", ansi, &bad));
  EXPECT_EQ(bad, U'\U0001F600');
  const std::string message = UnrepresentableMessage(bad, cp.Id());
  EXPECT_NE(message.find("U+1F600"), std::string::npos) << message;
  EXPECT_NE(message.find("1252"), std::string::npos) << message;
  EXPECT_FALSE(cp.FromUtf8("\xC3", ansi, &bad));
  EXPECT_EQ(bad, U'\uFFFD');
  Utf8CodePage utf8;
  EXPECT_TRUE(utf8.FromUtf8("\xF0\x9F\x98\x80", ansi, &bad));
  EXPECT_FALSE(utf8.FromUtf8("\xED\xA0\x80", ansi, &bad));
}

}  // namespace
}  // namespace qm
