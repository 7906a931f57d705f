// How often and how recently the user chose each entry in the picker, kept per user in the
// settings store (not in the data file, which other users and machines share).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/status.h"
#include "store/user_settings.h"

namespace qm {

// Seconds since 1970 of the clock's local time, taken as it is: the hour that summer time
// shifts twice a year is nothing to a score that fades over weeks.
using UseTime = std::int64_t;
UseTime UseTimeOf(const LocalTime& t);

struct EntryUse {
  std::uint32_t count = 0;
  UseTime last = 0;
};

// Keyed by the entry's name: numbers change whenever an entry before them is deleted.
class UseRecord {
 public:
  // The most recently used entries kept; an older one is forgotten when a new one comes.
  static constexpr std::size_t kLimit = 200;
  static constexpr std::uint32_t kMaxCount = 1000000;
  // After this many days without use, an entry's score is half its count.
  static constexpr double kHalfLifeDays = 30;

  // The count, halved for every 30 days since the last use: an entry used often weeks ago
  // gives way to one used a few times this week, and one used daily stays on top.
  double Score(const std::string& name, UseTime now) const;
  // One more use now; beyond kLimit entries, the least recently used one is dropped.
  void Add(const std::string& name, UseTime now);
  const std::map<std::string, EntryUse>& uses() const { return uses_; }

  // The stored form: records of "count,last,length:name", most recent first, with the name's
  // length in bytes, so that a name needs no escaping whatever it holds. Reading stops at the
  // first record that does not read back whole; the records before it are kept.
  std::string Pack() const;
  static UseRecord Unpack(std::string_view stored);

 private:
  std::map<std::string, EntryUse> uses_;
};

inline constexpr const char* kUseRecordKey = "PickerUse";

UseRecord LoadUseRecord(UserSettings& settings);
// Reads the record afresh, counts the use and stores it.
Status RecordEntryUse(UserSettings& settings, const std::string& name, UseTime now);

// Per user too: whether the picker searches the snippets' texts as well as their names.
inline constexpr const char* kPickerTextKey = "PickerSearchesText";
bool PickerSearchesText(UserSettings& settings);
Status SavePickerSearchesText(UserSettings& settings, bool on);

}  // namespace qm
