// The per-user use record: its packed form, its bound, and stored values a damaged or older
// record holds.
#include "quillet/pick/use_record.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/fake_settings_store.h"

namespace qm {
namespace {

constexpr UseTime kNow = 1800000000;
constexpr UseTime kDay = 86400;

TEST(UseRecordTest, PackedFormRoundTripsAndStaysBounded) {
  UseRecord record;
  for (const char* name : {"Grüße", "a,b:c", "12,3,4:x", " blank "}) record.Add(name, kNow);
  record.Add("Grüße", kNow + 5);
  const UseRecord back = UseRecord::Unpack(record.Pack());
  ASSERT_EQ(back.uses().size(), 4u);
  EXPECT_EQ(back.uses().at("Grüße").count, 2u);
  EXPECT_EQ(back.uses().at("Grüße").last, kNow + 5);
  EXPECT_EQ(back.Pack(), record.Pack());

  UseRecord full;
  for (std::size_t i = 0; i <= UseRecord::kLimit; ++i) full.Add("e" + std::to_string(i), kNow + i);
  EXPECT_EQ(full.uses().size(), UseRecord::kLimit);
  EXPECT_EQ(full.uses().count("e0"), 0u);   // the least recently used one goes
  full.Add("zurückgestellt", kNow - kDay);  // the clock was set back: the new one still stays
  EXPECT_EQ(full.uses().count("zurückgestellt"), 1u);
  EXPECT_EQ(UseRecord::Unpack(full.Pack()).uses().size(), UseRecord::kLimit);
  EXPECT_EQ(UseTimeOf({2000, 3, 1, 0, 0, 1, 0}), 951868801);
}

TEST(UseRecordTest, DamagedValuesKeepWhatReadsWhole) {
  const struct {
    std::string stored;
    std::size_t kept;
  } cases[] = {
      {"", 0},
      {"Unsinn", 0},
      {"3,100,9:abc", 0},                  // the name is cut short
      {"2,100,3:abc3,100", 1},             // the second record is cut short
      {"2,100,3:abc0,100,1:d5,1,1:e", 1},  // a count of zero
      {"-1,100,1:a", 0},
      {"1,100,0:", 0},
      {"1,100,18446744073709551617:a", 0},  // too many digits
      {"1,100,2:\xC3(1,1,1:b", 0},          // no UTF-8
      {"99999999999,5,1:a", 1},             // saturated
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UseRecord::Unpack(c.stored).uses().size(), c.kept) << c.stored;
  }
  EXPECT_EQ(UseRecord::Unpack("99999999999,5,1:a").uses().at("a").count, UseRecord::kMaxCount);

  FakeSettingsStore store;
  UserSettings settings(store, "Quillet");
  store.values[{"Quillet", kUseRecordKey}] = "7,1,99:kaputt";
  ASSERT_TRUE(RecordEntryUse(settings, "Gruß", kNow));
  ASSERT_TRUE(RecordEntryUse(settings, "Gruß", kNow + 1));
  EXPECT_EQ(LoadUseRecord(settings).uses().at("Gruß").count, 2u);
  store.fail_writes = true;
  EXPECT_FALSE(RecordEntryUse(settings, "Gruß", kNow + 2));
}

}  // namespace
}  // namespace qm
