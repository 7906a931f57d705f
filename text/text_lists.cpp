// Lists of texts: sorting them, picking one of a fixed set by its index; trimming a text.
#include "text/text_lists.h"

#include <algorithm>
#include <utility>

#include "text/utf.h"

namespace qm {

void SortStrings(std::vector<std::string>& items, SortOrder order) {
  if (order == SortOrder::kCharacterCodes) {
    std::stable_sort(items.begin(), items.end());
    return;
  }
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(items.size());
  for (auto& item : items) keyed.emplace_back(FoldCase(item), std::move(item));
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = std::move(keyed[i].second);
}

std::string ChooseText(std::int32_t index, const std::array<std::string_view, 10>& texts) {
  if (index < 0 || index >= static_cast<std::int32_t>(texts.size())) return {};
  return std::string(texts[static_cast<std::size_t>(index)]);
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace qm
