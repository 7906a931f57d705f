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

namespace {

// Whether every character of `wanted` stands in order in `now` between `from` and `end`; the
// first that does not, counted from 1, in `missing`.
bool InOrder(const std::u32string& now, std::size_t from, std::size_t end,
             const std::u32string& wanted, std::size_t* missing) {
  std::size_t at = from;
  for (std::size_t i = 0; i < wanted.size(); ++i, ++at) {
    while (at < end && now[at] != wanted[i]) ++at;
    if (at >= end) {
      *missing = i + 1;
      return false;
    }
  }
  return true;
}

// Where the caret stood is not known: the snippet arrived when the text before some place and
// after it stand as they were around all of it, with no more of the old text gone between
// them than the `erased` characters the keys before the snippet took. A character missing
// where nothing else of the old text went is a difference; where more went (a selection the
// snippet replaced, a field that changed) nothing can be told.
ArrivalCheck ArrivedSomewhere(const std::string& before, const std::string& after,
                              const std::string& sent, std::size_t erased) {
  const std::u32string was = Characters(before), now = Characters(after), wanted = Characters(sent);
  const std::size_t shorter = std::min(was.size(), now.size());
  std::size_t prefix = 0, suffix = 0;
  while (prefix < shorter && was[prefix] == now[prefix]) ++prefix;
  while (suffix < shorter && was[was.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
    ++suffix;
  }
  // The place is tried from the longest head on; where the snippet repeats the text around
  // it, a shorter head finds it. A text of one repeated letter allows too many to try.
  constexpr std::size_t kMostPlaces = 64;
  std::size_t missing = 0, first_missing = 0;
  bool found_wider = false;
  for (std::size_t tries = 0, head = prefix; tries < kMostPlaces; ++tries, --head) {
    const std::size_t tail = std::min({suffix, was.size() - head, now.size() - head});
    const bool in_order = InOrder(now, head, now.size() - tail, wanted, &missing);
    if (tries == 0) first_missing = missing;
    if (in_order && was.size() - head - tail <= erased) return {Arrival::kArrived, 0};
    found_wider = found_wider || in_order;
    if (head == 0) break;
  }
  const std::size_t tail = std::min({suffix, was.size() - prefix, now.size() - prefix});
  if (!found_wider && was.size() - prefix - tail <= erased) {
    return {Arrival::kDiffers, first_missing};
  }
  return {};
}

}  // namespace

ControlText TextWithSelection(std::string text, std::string_view before,
                              std::string_view selected) {
  ControlText out;
  const std::string_view all = text;
  if (all.substr(0, before.size()) == before &&
      all.substr(before.size(), selected.size()) == selected) {
    out.selection_start = CountCodePoints(before);
    out.selection_end = out.selection_start + CountCodePoints(selected);
  } else {
    out.selection_known = false;
  }
  out.text = std::move(text);
  return out;
}

ArrivalCheck CheckArrival(const std::optional<ControlText>& before,
                          const std::optional<std::string>& after, const std::string& sent,
                          std::size_t erased) {
  if (!before || !after) return {};
  if (!before->selection_known) return ArrivedSomewhere(before->text, *after, sent, erased);
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
  std::size_t missing = 0;
  if (!InOrder(now, kept_head.size(), now.size() - kept_tail.size(), wanted, &missing)) {
    return {Arrival::kDiffers, missing};
  }
  return {Arrival::kArrived, 0};
}

}  // namespace qm
