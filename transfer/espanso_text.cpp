// What espanso's match texts hold beside their YAML.
#include "transfer/espanso_text.h"

#include <algorithm>

#include "transfer/peer_text.h"

namespace qm {

std::string ReplaceBetween(
    std::string_view text, std::string_view open, std::string_view close,
    const std::function<std::string(const std::string& name, std::string_view whole)>& with) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t from = text.find(open, i);
    const std::size_t to =
        from == std::string_view::npos ? from : text.find(close, from + open.size());
    if (to == std::string_view::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, from - i);
    i = to + close.size();
    out += with(std::string(text.substr(from + open.size(), to - from - open.size())),
                text.substr(from, i - from));
  }
  return out;
}

std::vector<std::string> FormFieldNames(std::string_view layout) {
  std::vector<std::string> names;
  ReplaceBetween(layout, "[[", "]]", [&names](const std::string& name, std::string_view) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    return std::string();
  });
  return names;
}

std::vector<std::string> ValueLines(std::string_view text) {
  std::vector<std::string> values;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string_view::npos) {
      values.emplace_back(line.substr(first, line.find_last_not_of(" \t\r") + 1 - first));
    }
    at = end + 1;
  }
  return values;
}

bool CarryCursorMark(std::string* text) {
  constexpr std::string_view kMark = "$|$";
  const std::size_t first = text->find(kMark);
  if (first == std::string::npos) return true;
  std::string carried = text->substr(0, first) + "%cursor%";
  bool alone = true;
  for (std::size_t i = first + kMark.size(); i < text->size(); ++i) {
    if (text->compare(i, kMark.size(), kMark) == 0) {
      alone = false;
      i += kMark.size() - 1;
    } else {
      carried += (*text)[i];
    }
  }
  *text = std::move(carried);
  return alone;
}

bool Moves(std::string_view offset) {
  if (!offset.empty() && (offset[0] == '+' || offset[0] == '-')) offset.remove_prefix(1);
  return offset.empty() || offset.find_first_not_of('0') != std::string_view::npos;
}

std::optional<std::string> DateAsPlaceholders(std::string_view format,
                                              std::optional<std::string_view> offset) {
  if (!offset || !Moves(*offset)) return StrftimeAsPlaceholders(format);
  std::string_view digits = *offset;
  const bool back = !digits.empty() && digits[0] == '-';
  if (back || (!digits.empty() && digits[0] == '+')) digits.remove_prefix(1);
  if (format != kShortDateFormat || digits.empty() || digits.size() > 12 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const long long seconds = std::stoll(std::string(digits));
  constexpr long long kDay = 86400;
  if (seconds % kDay != 0 || seconds / kDay > 3650) return std::nullopt;
  return "%datum" + std::string(back ? "-" : "+") + std::to_string(seconds / kDay) + "%";
}

}  // namespace qm
