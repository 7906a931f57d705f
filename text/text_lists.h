// Lists of texts: sorting them, picking one of a fixed set by its index; trimming a text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class SortOrder {
  kCharacterCodes,  // byte by byte: upper-case letters before lower-case ones
  kIgnoringCase,    // letters folded, so "a" and "A" keep the order they had
};

// Ascending and stable.
void SortStrings(std::vector<std::string>& items, SortOrder order);

// The text at `index`, an empty text for an index outside the ten.
std::string ChooseText(std::int32_t index, const std::array<std::string_view, 10>& texts);

// Without the blanks at either end; other white space stays, as names and titles keep it.
std::string TrimBlanks(std::string_view text);

}  // namespace qm
