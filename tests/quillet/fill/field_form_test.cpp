// The values a snippet's form starts with, what is remembered of a send, the stored value's
// bounds and damage, and the form's plan and place.
#include "quillet/fill/field_form.h"

#include <gtest/gtest.h>

#include <string>

#include "quillet/fill/field_form_layout.h"
#include "tests/fakes/fake_field_asker.h"
#include "tests/fakes/fake_settings_store.h"

namespace qm {
namespace {

using K = FieldKind;

const std::vector<SnippetField> kFields = {
    {K::kLine, "Name", {}},
    {K::kLines, "Anschrift", {}},
    {K::kChoice, "Anrede", {"", "Herr", "Frau"}},
    {K::kOptional, "PS", {}},
};

std::vector<std::string> Texts(const FieldValues& values) {
  std::vector<std::string> out;
  for (const FieldValue& v : values) out.push_back(v.text + (v.ticked ? "[x]" : ""));
  return out;
}

struct FieldMemoryTest : ::testing::Test {
  FakeSettingsStore store;
  UserSettings settings{store, "Quillet"};
  std::string& stored() { return store.values[{"Quillet", kFieldMemoryKey}]; }
};

TEST_F(FieldMemoryTest, StartsEmptyThenWithTheLastSendOfTheSameEntry) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Texts(StartValues(settings, "Brief", kFields, false)), (V{"", "", "", ""}));
  const std::vector<SnippetField> first_choice = {{K::kChoice, "Ort", {"Bonn", "Köln"}}};
  EXPECT_EQ(Texts(StartValues(settings, "Brief", first_choice, false)), (V{"Bonn"}));

  const FieldValues sent = {{"Jörg %datum% 100%", false},
                            {"Weg 1\r\n\r\n12345 Ort\t;\"=", false},
                            {"Frau", false},
                            {"", true}};
  ASSERT_TRUE(RememberValues(settings, "Brief", kFields, sent, false));
  EXPECT_EQ(stored().find_first_of("\r\n\t"), std::string::npos) << "one line in any store";
  EXPECT_EQ(Texts(StartValues(settings, "Brief", kFields, false)),
            (V{"Jörg %datum% 100%", "Weg 1\r\n\r\n12345 Ort\t;\"=", "Frau", "[x]"}));
  EXPECT_EQ(Texts(StartValues(settings, "Memo", kFields, false)), (V{"", "", "", ""}));

  // Matched by name, letter case ignored, and kind; a field the snippet gained starts anew.
  const std::vector<SnippetField> edited = {{K::kLine, "NAME", {}},
                                            {K::kLine, "Anschrift", {}},
                                            {K::kOptional, "Neu", {}},
                                            {K::kChoice, "Anrede", {"Herr", "Divers"}}};
  EXPECT_EQ(Texts(StartValues(settings, "Brief", edited, false)),
            (V{"Jörg %datum% 100%", "", "", "Herr"}))
      << "a choice no longer there starts on the first one";

  // A shorter answer counts as empty and unticked; the newest send replaces the older one.
  ASSERT_TRUE(RememberValues(settings, "Brief", kFields, {{"Ute", false}}, false));
  EXPECT_EQ(Texts(StartValues(settings, "Brief", kFields, false)), (V{"Ute", "", "", ""}));
  FakeFieldAsker asker;
  EXPECT_EQ(Texts(*asker.Ask({"", "Brief", kFields, sent, {}, 0})), Texts(sent));
}

TEST_F(FieldMemoryTest, EncipheredEntriesAreNeitherStoredNorRead) {
  const FieldValues secret = {{"PIN 1234", false}, {}, {"Herr", false}, {"", true}};
  ASSERT_TRUE(RememberValues(settings, "Tresor", kFields, secret, true));
  EXPECT_EQ(store.values.count({"Quillet", kFieldMemoryKey}), 0u) << "nothing written at all";

  // Kept while the entry was plain, forgotten once it is enciphered, and never read meanwhile.
  ASSERT_TRUE(RememberValues(settings, "Tresor", kFields, secret, false));
  ASSERT_TRUE(RememberValues(settings, "Brief", kFields, {{"offen", false}}, false));
  EXPECT_EQ(StartValues(settings, "Tresor", kFields, true)[0].text, "");
  ASSERT_TRUE(RememberValues(settings, "Tresor", kFields, secret, true));
  EXPECT_EQ(stored().find("PIN"), std::string::npos);
  EXPECT_EQ(StartValues(settings, "Tresor", kFields, false)[0].text, "");
  EXPECT_EQ(StartValues(settings, "Brief", kFields, false)[0].text, "offen");
}

TEST_F(FieldMemoryTest, StaysBoundedAndSurvivesADamagedValue) {
  const std::vector<SnippetField> one = {{K::kLine, "x", {}}};
  for (std::size_t i = 0; i <= kRememberedEntries; ++i) {
    ASSERT_TRUE(RememberValues(settings, "e" + std::to_string(i), one, {{"v", false}}, false));
  }
  EXPECT_EQ(StartValues(settings, "e0", one, false)[0].text, "") << "the oldest one went";
  EXPECT_EQ(StartValues(settings, "e1", one, false)[0].text, "v");
  const std::string big(kMaxRememberedValueBytes + 1, 'a');
  ASSERT_TRUE(RememberValues(settings, "groß", kFields, {{big, false}, {"klein", false}}, false));
  EXPECT_EQ(StartValues(settings, "groß", kFields, false)[0].text, "");
  EXPECT_EQ(StartValues(settings, "groß", kFields, false)[1].text, "klein");

  // Every damaged form reads as nothing remembered for what it spoils, and the next send
  // stores a sound value again.
  const std::string sound = "5:Brief1,04:Name3:Ute";
  const char* const damaged_forms[] = {
      "Unsinn",
      "5:Brief1,04:Name9:Ute",    // the value is cut short
      "5:Brief1,94:Name3:Ute",    // no such kind
      "5:Brief1,04:Name2:%4",     // a broken escape
      "5:Brief99,",               // more fields than a snippet has
      "5:Brief1,04:Name2:\xC3(",  // no UTF-8
      "0:1,04:Name3:Ute",         // no entry name
  };
  for (const std::string damaged : damaged_forms) {
    stored() = damaged;
    EXPECT_EQ(StartValues(settings, "Brief", kFields, false)[0].text, "") << damaged;
    stored() = sound + damaged;
    EXPECT_EQ(StartValues(settings, "Brief", kFields, false)[0].text, "Ute") << damaged;
  }
  ASSERT_TRUE(RememberValues(settings, "Memo", one, {{"m", false}}, false));
  EXPECT_EQ(StartValues(settings, "Memo", one, false)[0].text, "m");
  EXPECT_EQ(StartValues(settings, "Brief", kFields, false)[0].text, "Ute");
  store.fail_writes = true;
  EXPECT_FALSE(RememberValues(settings, "Memo", one, {{"n", false}}, false));
}

TEST(FieldFormLayoutTest, RowsFollowTheKindsAndLabelsWithoutOverlapping) {
  const int label = FormLabelWidth(600);
  EXPECT_EQ(label, kFormMinLabelWidth);
  EXPECT_EQ(FormLabelWidth(99999), kFormMaxLabelWidth);
  // The third label breaks into three lines.
  const FieldFormPlan plan = PlanFieldForm(kFields, label, {240, 240, 720, 240});
  ASSERT_EQ(plan.rows.size(), 4u);
  EXPECT_EQ(plan.rows[0].control_height, kFormLineHeight);
  EXPECT_EQ(plan.rows[1].control_height, kFormLinesHeight);
  EXPECT_EQ(plan.rows[3].label_height, 0) << "a check box has no label";
  int bottom = 0;
  for (const FieldRowPlan& row : plan.rows) {
    EXPECT_GT(row.top, bottom);
    bottom = std::max(row.top + row.control_height, row.label_top + row.label_height);
  }
  EXPECT_GT(plan.rows[3].top - plan.rows[2].top, 720) << "room for the long label";
  EXPECT_GT(plan.buttons_top, bottom);
  EXPECT_EQ(plan.height, plan.buttons_top + kFormButtonHeight + kFormMargin);
  EXPECT_EQ(plan.control_left + plan.control_width, kFormClientWidth - kFormMargin);
  EXPECT_LT(plan.ok_left + kFormButtonWidth, plan.cancel_left);

  std::vector<SnippetField> many(kMaxSnippetFields, SnippetField{K::kLines, "x", {}});
  EXPECT_GT(PlanFieldForm(many, label, {}).height, 30 * kFormLinesHeight);
}

TEST(FieldFormLayoutTest, OpensBelowTheCaretOrWhereThereIsMoreRoom) {
  const FormBox work{0, 0, 1920, 1040}, left{-1280, 0, 0, 984};
  const struct {
    FormBox anchor, work;
    int width, height;
    FormBox expected;
  } cases[] = {
      {{100, 200, 102, 218}, work, 480, 300, {100, 218, 580, 518}},      // below the caret
      {{100, 900, 102, 918}, work, 480, 300, {100, 600, 580, 900}},      // above it
      {{1800, 900, 1800, 900}, work, 480, 300, {1440, 600, 1920, 900}},  // the corner
      {{100, 300, 102, 318}, work, 480, 900, {100, 140, 580, 1040}},     // more room below
      {{100, 700, 102, 718}, work, 480, 900, {100, 0, 580, 900}},        // more room above
      {{-50, 10, -48, 28}, left, 480, 300, {-480, 28, 0, 328}},          // a left monitor
      {{10, 10, 12, 28}, {0, 0, 300, 200}, 480, 300, {0, 0, 480, 300}},  // larger than it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlaceFieldForm(c.anchor, c.work, c.width, c.height), c.expected)
        << c.anchor.left << "," << c.anchor.top << " " << c.height;
  }
}

}  // namespace
}  // namespace qm
