// A clock standing still at a time the test sets, formatting as a German locale does.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "platform/clock.h"

namespace qm {

class FakeClock : public Clock {
 public:
  // Each reading takes the next of `upcoming` while there is one, as a clock that runs on.
  LocalTime Now() override {
    ++reads;
    if (!upcoming.empty()) {
      now = upcoming.front();
      upcoming.pop_front();
    }
    return now;
  }
  // "05.03.2024"
  std::string ShortDate(const LocalTime& t) override {
    return Format("%02d.%02d.%04d", t.day, t.month, t.year);
  }
  // "14:07:09"
  std::string TimeOfDay(const LocalTime& t) override {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
  }
  std::string WeekdayName(const LocalTime& t) override {
    static const char* const kDays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                        "Donnerstag", "Freitag", "Samstag"};
    return t.weekday >= 0 && t.weekday <= 6 ? kDays[t.weekday] : "";
  }

  LocalTime now{2024, 3, 5, 14, 7, 9, 2};  // Dienstag
  std::deque<LocalTime> upcoming;
  int reads = 0;

 private:
  static std::string Format(const char* format, int a, int b, int c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
  }
};

}  // namespace qm
