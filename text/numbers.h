// Numbers in text as the data file's values hold them, and the rounding they are read with.
#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

// Halves go to the even neighbour, whatever rounding mode the process has set.
double RoundHalfEven(double x);

// The number at the start of a text, as the data file's numbers are read: optional blanks,
// sign, digits with an optional decimal part and exponent; 0 when there is none. Rounded to
// an integer with halves to the even neighbour, saturated to the 32-bit range.
std::int32_t NumericValue(std::string_view text);

}  // namespace qm
