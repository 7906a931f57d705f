// The Windows version number and text from the system's version record.
#include "platform/windows_version.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_system_info.h"

namespace qm {
namespace {

TEST(WindowsVersionTest, NumberTextAndFamily) {
  const struct {
    OsVersion v;
    std::uint32_t number;
    const char* text;
  } cases[] = {
      {{2, 10, 0, 19045}, 0x0A004A65u, "10.0.19045"},
      {{2, 6, 1, 0x17601}, 0x06017601u, "6.1.30209"},  // build cut to 16 bits
      {{1, 4, 10, 0x040A08AEu}, 0x040A08AEu, "4.10.2222"},
  };
  FakeSystemInfo sys;
  for (const auto& c : cases) {
    sys.version = c.v;
    EXPECT_EQ(WindowsVersionNumber(sys), c.number);
    EXPECT_EQ(WindowsVersionString(sys), c.text);
    EXPECT_EQ(IsWindowsNT(sys), c.v.platform_id == 2);
  }
}

}  // namespace
}  // namespace qm
