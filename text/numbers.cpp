// Numbers in text as the data file's values hold them, and the rounding they are read with.
#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qm {

double RoundHalfEven(double x) {
  const double lower = std::floor(x);
  const double diff = x - lower;
  if (diff > 0.5) return lower + 1;
  if (diff < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::int32_t NumericValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  auto digits_from = [&](std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    return end;
  };
  const std::size_t int_start = i;
  const std::size_t int_end = digits_from(int_start);
  std::size_t frac_start = int_end, frac_end = int_end;
  if (int_end < text.size() && text[int_end] == '.') {
    frac_start = int_end + 1;
    frac_end = digits_from(frac_start);
  }
  if (int_end == int_start && frac_end == frac_start) return 0;
  std::size_t end = frac_end;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exp_digits = end + 1;
    if (exp_digits < text.size() && (text[exp_digits] == '+' || text[exp_digits] == '-')) {
      ++exp_digits;
    }
    const std::size_t exp_end = digits_from(exp_digits);
    if (exp_end > exp_digits) end = exp_end;
  }
  // from_chars ignores the locale, which may want a decimal comma.
  std::string number(text.substr(int_start, end - int_start));
  if (int_end == int_start) number.insert(0, "0");
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond a double either way; the place of the first significant digit tells which.
    const std::size_t first = number.find_first_of("123456789");
    const std::size_t point = std::min(number.find_first_of(".eE"), number.size());
    long long magnitude = first < point ? static_cast<long long>(point - first) - 1
                                        : -static_cast<long long>(first - point);
    const std::size_t e = number.find_first_of("eE");
    if (e != std::string::npos) {
      long long exponent = 0;
      for (std::size_t k = e + 1; k < number.size(); ++k) {
        if (number[k] >= '0' && number[k] <= '9') {
          exponent = std::min(exponent * 10 + (number[k] - '0'), 1000000000LL);
        }
      }
      magnitude += number[e + 1] == '-' ? -exponent : exponent;
    }
    value = magnitude < 0 ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (negative) value = -value;
  if (std::isfinite(value)) value = RoundHalfEven(value);
  if (value >= std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value <= std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace qm
