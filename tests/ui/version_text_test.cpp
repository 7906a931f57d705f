// The program's version as text in its forms.
#include "ui/version_text.h"

#include <gtest/gtest.h>

#include "ui/app_version.h"

namespace qm {
namespace {

TEST(VersionTextTest, Forms) {
  const struct {
    VersionText form;
    int revision;
    const char* text;
  } cases[] = {
      {VersionText::kFull, 3, "1.2.3"},        {VersionText::kShortInBrackets, 3, " (V1.2)"},
      {VersionText::kShort, 3, "1.2"},         {VersionText::kShortInBrackets, 150, " (V1.2b)"},
      {VersionText::kShort, 100, "1.2a"},      {VersionText::kShort, 250, "1.2b"},
      {VersionText::kShort, 99, "1.2"},        {VersionText::kShort, 2600, "1.2z"},
      {VersionText::kShort, 2700, "1.2.2700"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatVersion(c.form, 1, 2, c.revision), c.text) << c.revision;
  }
  EXPECT_EQ(AppVersionString(VersionText::kFull), QM_VERSION_TEXT);
}

}  // namespace
}  // namespace qm
