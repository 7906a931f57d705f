// The local time and the user's date and time formats, as Windows gives them.
#include "platform/clock_win32.h"

#include <windows.h>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wDayOfWeek = static_cast<WORD>(t.weekday);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

// The user's own formats; a picture such as L"dddd" asks for one part only.
std::string FormatDate(const LocalTime& t, DWORD flags, const wchar_t* picture) {
  const SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[128] = {};
  const int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, picture ? 0 : flags, &st, picture,
                                buffer, 128, nullptr);
  return n > 0 ? WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)))
               : std::string();
}

class Win32Clock : public Clock {
 public:
  LocalTime Now() override {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth,  st.wDay,      st.wHour,
                     st.wMinute, st.wSecond, st.wDayOfWeek};
  }
  std::string ShortDate(const LocalTime& t) override {
    return FormatDate(t, DATE_SHORTDATE, nullptr);
  }
  std::string TimeOfDay(const LocalTime& t) override {
    const SYSTEMTIME st = ToSystemTime(t);
    wchar_t buffer[128] = {};
    const int n =
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    return n > 0 ? WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)))
                 : std::string();
  }
  std::string WeekdayName(const LocalTime& t) override { return FormatDate(t, 0, L"dddd"); }
};

}  // namespace

std::unique_ptr<Clock> MakeWin32Clock() {
  return std::make_unique<Win32Clock>();
}

}  // namespace qm
