// Numbers read from the data file's values, and the rounding of halves.
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace qm {
namespace {

TEST(NumbersTest, NumericValue) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"2.5", 2},
      {"3.5", 4},
      {"yes", 0},
      {"-1", -1},
      {"12abc", 12},
      {" \t7", 7},
      {"-2.5", -2},
      {"1e3", 1000},
      {"1E+2", 100},
      {"15e-1", 2},
      {"1e", 1},
      {"2e+x", 2},
      {".5", 0},
      {".51", 1},
      {"5.", 5},
      {"+8", 8},
      {"", 0},
      {"-", 0},
      {".", 0},
      {"\n5", 0},
      {"99999999999", INT32_MAX},
      {"-99999999999", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"1e400", INT32_MAX},
      {"-1e99999999999", INT32_MIN},
      {"1e-400", 0},
      {"0.0000001e-999", 0},
      {"1,5", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(NumericValue(c.text), c.value) << c.text;
}

// The rounding mode of the process does not matter; halves go to the even neighbour.
TEST(NumbersTest, RoundHalfEven) {
  const std::pair<double, double> cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3},
  };
  for (const auto& [x, rounded] : cases) EXPECT_EQ(RoundHalfEven(x), rounded) << x;
}

}  // namespace
}  // namespace qm
