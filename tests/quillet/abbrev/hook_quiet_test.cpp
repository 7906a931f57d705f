// Where the keyboard hook keeps out: the focused control's facts that make a password field,
// and the notification states of a full-screen program that the hook steps aside for.
#include "quillet/abbrev/hook_quiet.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(HookQuiet, PasswordFieldsByStyleOrAccessibleState) {
  const struct {
    FocusFacts facts;
    bool password;
  } rows[] = {
      {{"Edit", kPasswordStyle | 0x50010000, false}, true},
      {{"edit", 0x50010000, false}, false},
      {{"RICHEDIT50W", kPasswordStyle, false}, true},
      {{"WindowsForms10.EDIT.app.0.141b42a_r6_ad1", kPasswordStyle, false}, true},
      // The same bit in a button is its text on the left.
      {{"Button", kPasswordStyle, false}, false},
      {{"EditPlus", kPasswordStyle, false}, false},
      // A browser's field tells only its accessible state.
      {{"Chrome_RenderWidgetHostHWND", 0, true}, true},
      {{"Chrome_RenderWidgetHostHWND", kPasswordStyle, false}, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsPasswordField(row.facts), row.password) << row.facts.window_class;
  }
  EXPECT_TRUE(IsClassicEdit("RichEdit20W"));
  EXPECT_FALSE(IsClassicEdit("Scintilla"));
}

TEST(HookQuiet, BusyFullScreenAndPresentationModeMeanQuiet) {
  for (int state = 0; state <= 8; ++state) {
    EXPECT_EQ(WantsQuiet(state), state == 2 || state == 3 || state == 4) << state;
  }
}

}  // namespace
}  // namespace qm
