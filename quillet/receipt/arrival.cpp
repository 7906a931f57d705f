#include "quillet/receipt/arrival.h"

#include <algorithm>
#include <string_view>

#include "text/utf.h"

namespace qm {
namespace {

// The characters of `utf8`, each line break as one '\n'.
std::u32string Characters(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = NextCodePoint(utf8, pos);
    if (c == U'\r' && pos < utf8.size() && utf8[pos] == '\n') continue;  // its LF follows
    out.push_back(c == U'\r' ? U'\n' : c);
  }
  return out;
}

}  // namespace

const char* ArrivalWord(Arrival arrival) {
  switch (arrival) {
    case Arrival::kArrived:
      return "angekommen";
    case Arrival::kDiffers:
      return "abweichend";
    case Arrival::kCancelled:
      return "abgebrochen";
    case Arrival::kUncheckable:
      break;
  }
  return "nicht pr\xC3\xBC"
         "fbar";
}

ArrivalCheck CheckArrival(const std::optional<ControlText>& before,
                          const std::optional<std::string>& after, const std::string& sent) {
  if (!before || !after) return {};
  // The selection counts characters as the control does, a CR LF two: mapped to ours.
  const std::u32string raw_before = [&] {
    std::u32string all;
    for (std::size_t pos = 0; pos < before->text.size();) {
      all.push_back(NextCodePoint(before->text, pos));
    }
    return all;
  }();
  const std::size_t sel_start = std::min(before->selection_start, raw_before.size());
  const std::size_t sel_end = std::clamp(before->selection_end, sel_start, raw_before.size());
  std::string head, tail;
  for (std::size_t i = 0; i < raw_before.size(); ++i) {
    if (i < sel_start) AppendUtf8(head, raw_before[i]);
    if (i >= sel_end) AppendUtf8(tail, raw_before[i]);
  }
  const std::u32string kept_head = Characters(head), kept_tail = Characters(tail);
  const std::u32string now = Characters(*after), wanted = Characters(sent);
  // What stood around the selection stands there still.
  if (now.size() < kept_head.size() + kept_tail.size() ||
      now.compare(0, kept_head.size(), kept_head) != 0 ||
      now.compare(now.size() - kept_tail.size(), kept_tail.size(), kept_tail) != 0) {
    return {Arrival::kDiffers, 0};
  }
  // Between them, every character sent in order; others may stand between.
  std::size_t at = kept_head.size();
  const std::size_t end = now.size() - kept_tail.size();
  for (std::size_t i = 0; i < wanted.size(); ++i, ++at) {
    while (at < end && now[at] != wanted[i]) ++at;
    if (at >= end) return {Arrival::kDiffers, i + 1};
  }
  return {Arrival::kArrived, 0};
}

}  // namespace qm
