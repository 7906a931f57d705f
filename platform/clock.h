// The local time and the user's locale formats for dates and times.
#pragma once

#include <string>

namespace qm {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 0 Sunday .. 6 Saturday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  virtual std::string ShortDate(const LocalTime& t) = 0;
  virtual std::string TimeOfDay(const LocalTime& t) = 0;
  virtual std::string WeekdayName(const LocalTime& t) = 0;
};

}  // namespace qm
