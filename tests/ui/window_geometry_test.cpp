// The main window's geometry in the per-user settings: stored text, restore rules, centring.
#include "ui/window_geometry.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_settings_store.h"

namespace qm {
namespace {

// A screen of 1280 x 1024 pixels at 96 DPI, in twips.
constexpr double kScreenW = 19200, kScreenH = 15360;
constexpr Rect kDesigned{0, 0, 9375, 5940};

class WindowGeometryTest : public testing::Test {
 protected:
  WindowGeometryTest() : settings_(store_, "Quillet") {}

  void Store(const char* top, const char* left, const char* width, const char* height) {
    const std::pair<const char*, const char*> values[] = {
        {"_Top", top}, {"_Left", left}, {"_Width", width}, {"_Height", height}};
    for (const auto& [key, value] : values) {
      if (value) store_.values[{"Quillet", key}] = value;
    }
  }
  std::string Stored(const char* key) { return store_.values[{"Quillet", key}]; }
  Rect Restore() { return RestoreWindowGeometry(settings_, kDesigned, kScreenW, kScreenH); }

  FakeSettingsStore store_;
  UserSettings settings_;
};

const Rect kCentred{4912, 4710, 9375, 5940};

TEST_F(WindowGeometryTest, NothingStoredCentres) {
  EXPECT_EQ(Restore(), kCentred);
}

TEST_F(WindowGeometryTest, APositionOffTheScreenCentresTheDesignedSize) {
  const struct {
    const char *top, *left;
  } cases[] = {
      {"100", "19200"},  // at the screen's width
      {"100", "25000"}, {"15360", "100"}, {"-1", "100"},
      {"100", "-0.5"},  {"100", "links"}, {"", "100"},
  };
  for (const auto& c : cases) {
    Store(c.top, c.left, "5000", "4000");
    EXPECT_EQ(Restore(), kCentred) << "top " << c.top << ", left " << c.left;
  }
}

TEST_F(WindowGeometryTest, EachSizeIsRestoredOnlyWhereItFits) {
  const struct {
    const char *top, *left, *width, *height;
    Rect expected;
  } cases[] = {
      {"0", "0", "20000", "7000", {0, 0, 9375, 7000}},  // too wide, height fits
      {"0", "0", "19200", "15360", {0, 0, 19200, 15360}},
      {"9000", "12000", "7200", "6400", {12000, 9000, 7200, 5940}},  // too high
      {"300", "200", "0", "-5", {200, 300, 9375, 5940}},
      {"15359", "19199", "1", "1", {19199, 15359, 1, 1}},
  };
  for (const auto& c : cases) {
    Store(c.top, c.left, c.width, c.height);
    const Rect r = Restore();
    EXPECT_EQ(r, c.expected) << c.top << "/" << c.left << " " << c.width << "x" << c.height
                             << " -> " << r.left << ", " << r.top << ", " << r.width << ", "
                             << r.height;
  }
}

TEST_F(WindowGeometryTest, SaveThenRestoreKeepsFractionalTwips) {
  const Rect saved{123.5, 456.25, 9876.75, 6543.125};
  ASSERT_TRUE(SaveWindowGeometry(settings_, saved));
  EXPECT_EQ(Stored("_Top"), "456.25");
  EXPECT_EQ(Stored("_Left"), "123.5");
  EXPECT_EQ(Stored("_Height"), "6543.125");
  EXPECT_EQ(Restore(), saved);

  store_.fail_writes = true;
  EXPECT_FALSE(SaveWindowGeometry(settings_, saved)) << "a failed write is reported";
}

TEST(TwipsText, WritesShortestExactTextAndReadsTolerantly) {
  const struct {
    double value;
    const char* text;
  } written[] = {{1234.5, "1234.5"}, {600, "600"},           {0.1, "0.1"},      {-0.0, "0"},
                 {-15, "-15"},       {16777216, "16777216"}, {1e8, "100000000"}};
  for (const auto& w : written) {
    EXPECT_EQ(FormatTwips(w.value), w.text);
    EXPECT_EQ(static_cast<float>(ParseTwips(FormatTwips(w.value))), static_cast<float>(w.value));
  }

  const struct {
    const char* text;
    double value;
  } read[] = {
      {"1234.5", 1234.5}, {" 1234,5\t", 1234.5}, {"+600", 600}, {"1e3", 1000},
      {"-7.25", -7.25},   {".5", 0.5},           {"", -1},      {"abc", -1},
      {"12abc", -1},      {"1.234,5", -1},       {"1,2,3", -1}, {"nan", -1},
      {"inf", -1},        {"1e39", -1},          {"+-1", -1},   {"0x10", -1},
  };
  for (const auto& r : read) EXPECT_EQ(ParseTwips(r.text), r.value) << '"' << r.text << '"';
}

TEST(CenterForm, HalvesTheRoundedFreeRoomAndDropsTheFraction) {
  const struct {
    double screen, window, expected;
  } cases[] = {
      {1000, 500, 250},   {1000, 501, 249},   {1000, 500.4, 250},
      {1000, 500.6, 249}, {1000, 1201, -101}, {1000, 1000, 0},
  };
  for (const auto& c : cases) {
    const Rect r = CenterForm({7, 7, c.window, c.window}, c.screen, c.screen);
    EXPECT_EQ(r.left, c.expected) << c.screen << " - " << c.window;
    EXPECT_EQ(r.top, c.expected);
    EXPECT_EQ(r.width, c.window);
  }
}

}  // namespace
}  // namespace qm
