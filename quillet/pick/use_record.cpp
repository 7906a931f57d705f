// The picker's use record: counting, fading, bounding, and its packed stored form.
#include "quillet/pick/use_record.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "text/utf.h"

namespace qm {
namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Plain decimal digits up to `end`, at most 18 of them; false for anything else.
bool ReadNumber(std::string_view s, std::size_t& pos, char end, std::int64_t& out) {
  const std::size_t start = pos;
  out = 0;
  while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < 18) {
    out = out * 10 + (s[pos++] - '0');
  }
  if (pos == start || pos >= s.size() || s[pos] != end) return false;
  ++pos;
  return true;
}

}  // namespace

UseTime UseTimeOf(const LocalTime& t) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) return 0;
  return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
             86400 +
         t.hour * 3600 + t.minute * 60 + t.second;
}

double UseRecord::Score(const std::string& name, UseTime now) const {
  const auto it = uses_.find(name);
  if (it == uses_.end()) return 0;
  // A use in the future (the clock was set back) counts as a use now.
  const double days = static_cast<double>(std::max<UseTime>(0, now - it->second.last)) / 86400;
  return it->second.count * std::exp2(-days / kHalfLifeDays);
}

void UseRecord::Add(const std::string& name, UseTime now) {
  if (name.empty()) return;  // no entry has an empty name, and the stored form needs a length
  EntryUse& use = uses_[name];
  use.count = std::min(use.count + 1, kMaxCount);
  use.last = now;
  if (uses_.size() <= kLimit) return;
  // The one just used stays, even when the clock was set back behind the others' uses.
  const auto older = [&](const auto& a, const auto& b) {
    if ((a.first == name) != (b.first == name)) return b.first == name;
    return a.second.last != b.second.last ? a.second.last < b.second.last
                                          : a.second.count < b.second.count;
  };
  const auto oldest = std::min_element(uses_.begin(), uses_.end(), older);
  uses_.erase(oldest);
}

std::string UseRecord::Pack() const {
  std::vector<const std::pair<const std::string, EntryUse>*> order;
  for (const auto& use : uses_) order.push_back(&use);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto* a, const auto* b) { return a->second.last > b->second.last; });
  std::string out;
  for (const auto* use : order) {
    out += std::to_string(use->second.count) + "," + std::to_string(use->second.last) + "," +
           std::to_string(use->first.size()) + ":" + use->first;
  }
  return out;
}

UseRecord UseRecord::Unpack(std::string_view s) {
  UseRecord record;
  for (std::size_t pos = 0; pos < s.size() && record.uses_.size() < kLimit;) {
    std::int64_t count = 0, last = 0, length = 0;
    if (!ReadNumber(s, pos, ',', count) || !ReadNumber(s, pos, ',', last) ||
        !ReadNumber(s, pos, ':', length) || count < 1 || length < 1 ||
        static_cast<std::uint64_t>(length) > s.size() - pos) {
      break;
    }
    const std::string_view name = s.substr(pos, static_cast<std::size_t>(length));
    if (!IsValidUtf8(name)) break;
    pos += name.size();
    EntryUse& use = record.uses_[std::string(name)];
    use.count = static_cast<std::uint32_t>(std::min<std::int64_t>(count, kMaxCount));
    use.last = last;
  }
  return record;
}

UseRecord LoadUseRecord(UserSettings& settings) {
  return UseRecord::Unpack(settings.ReadUserSetting(kUseRecordKey, ""));
}

Status RecordEntryUse(UserSettings& settings, const std::string& name, UseTime now) {
  UseRecord record = LoadUseRecord(settings);
  record.Add(name, now);
  return settings.SaveUserSetting(kUseRecordKey, record.Pack());
}

bool PickerSearchesText(UserSettings& settings) {
  return settings.ReadUserSetting(kPickerTextKey, "0") == "1";
}

Status SavePickerSearchesText(UserSettings& settings, bool on) {
  return settings.SaveUserSetting(kPickerTextKey, on ? "1" : "0");
}

}  // namespace qm
