// Sorting lists of texts and picking one by index.
#include "text/text_lists.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(TextListsTest, SortStringsIsStable) {
  std::vector<std::string> binary = {"b", "B", "a", "A", "ä", "Ä", "b", "10", "9"};
  SortStrings(binary, SortOrder::kCharacterCodes);
  EXPECT_EQ(binary, (std::vector<std::string>{"10", "9", "A", "B", "a", "b", "b", "Ä", "ä"}));
  std::vector<std::string> folded = {"b", "B", "a", "ä", "A", "Ä", "b2", "B1"};
  SortStrings(folded, SortOrder::kIgnoringCase);
  EXPECT_EQ(folded, (std::vector<std::string>{"a", "A", "b", "B", "B1", "b2", "ä", "Ä"}));
}

TEST(TextListsTest, ChooseTextPicksOneOfTen) {
  const std::array<std::string_view, 10> texts = {"null", "eins", "", "", "",
                                                  "",     "",     "", "", "neun"};
  EXPECT_EQ(ChooseText(9, texts), "neun");
  EXPECT_EQ(ChooseText(10, texts), "");
  EXPECT_EQ(ChooseText(-1, texts), "");
}

}  // namespace
}  // namespace qm
