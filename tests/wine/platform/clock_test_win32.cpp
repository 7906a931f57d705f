// The Win32 clock: the time of day, and dates in the user's formats.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/clock_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

TEST(Win32Clock, FormatsWithTheUsersLocale) {
  auto clock = MakeWin32Clock();
  const LocalTime t{2026, 12, 6, 9, 5, 3, 0};  // a Sunday
  wchar_t sunday[64] = {};
  GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDAYNAME7, sunday, 64);
  EXPECT_EQ(clock->WeekdayName(t), WideToUtf8(sunday));
  const std::string date = clock->ShortDate(t);
  EXPECT_NE(date.find('6'), std::string::npos) << date;
  EXPECT_NE(date.find("26"), std::string::npos) << date;
  const std::string time = clock->TimeOfDay(t);
  EXPECT_NE(time.find("05"), std::string::npos) << time;
  EXPECT_NE(time.find("03"), std::string::npos) << time;

  SYSTEMTIME st{};
  GetLocalTime(&st);
  const LocalTime now = clock->Now();
  EXPECT_EQ(now.year, st.wYear);
  EXPECT_EQ(now.weekday, st.wDayOfWeek);
}

}  // namespace
}  // namespace qm
