// The receipt of a send: what arrived against what was sent, and the send log.
#include "quillet/receipt/arrival.h"

#include <gtest/gtest.h>

#include "quillet/receipt/send_log.h"

namespace qm {
namespace {

TEST(CheckArrival, Table) {
  const struct {
    const char* why;
    std::optional<ControlText> before;
    std::optional<std::string> after;
    const char* sent;
    Arrival arrival;
    std::size_t first_difference;
  } cases[] = {
      {"exact, at the caret", ControlText{"Hallo Welt", 6, 6}, "Hallo liebe Welt", "liebe ",
       Arrival::kArrived, 0},
      {"an Enter as CR LF in an Edit", ControlText{"", 0, 0}, "a\r\nb", "a\rb", Arrival::kArrived,
       0},
      {"an indent the target added", ControlText{"", 0, 0}, "{\r\n    x", "{\rx", Arrival::kArrived,
       0},
      {"a selection replaced", ControlText{"ein ALT Text", 4, 7}, "ein neuer Text", "neuer",
       Arrival::kArrived, 0},
      {"a character dropped", ControlText{"", 0, 0}, "DE89 3704 0044 053 0130 00",
       "DE89 3704 0044 0532 0130 00", Arrival::kDiffers, 19},
      {"two characters swapped", ControlText{"", 0, 0}, "1243", "1234", Arrival::kDiffers, 4},
      {"the wrong case", ControlText{"", 0, 0}, "abc", "aBc", Arrival::kDiffers, 2},
      {"typed at the end, not at the caret", ControlText{"Hallo Welt", 6, 6}, "Hallo WeltX", "X",
       Arrival::kDiffers, 0},
      {"the text after the caret lost", ControlText{"ab", 1, 1}, "aX", "X", Arrival::kDiffers, 0},
      {"beyond the BMP, and a CR LF before the caret counted two", ControlText{"x\r\ny", 4, 4},
       "x\r\ny\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!", Arrival::kArrived, 0},
      {"a control that could not be read", std::nullopt, "x", "x", Arrival::kUncheckable, 0},
      {"read before but not after", ControlText{"", 0, 0}, std::nullopt, "x", Arrival::kUncheckable,
       0},
  };
  for (const auto& c : cases) {
    const ArrivalCheck check = CheckArrival(c.before, c.after, c.sent);
    EXPECT_EQ(check.arrival, c.arrival) << c.why;
    EXPECT_EQ(check.first_difference, c.first_difference) << c.why;
  }
  EXPECT_STREQ(ArrivalWord(Arrival::kUncheckable), "nicht prüfbar");
}

// The log as a spreadsheet opens it: one row per send, the newest kept, a damaged row or a
// foreign file passed over, a name that would break the row kept on its line.
TEST(SendLog, RowsAreKeptNewestLastAndDamageIsPassedOver) {
  SendLogLine l{{2026, 12, 10, 9, 5, 3, 0}, "Brief; \"neu\"", "notepad.exe", "Notepad",
                "Tippen", 42, Arrival::kArrived};
  std::string log = LogWithLine("", l);
  EXPECT_EQ(log,
            "\xEF\xBB\xBFZeit;Eintrag;Programm;Fensterklasse;Weg;Zeichen;Ergebnis\r\n"
            "2026-12-10 09:05:03;\"Brief; \"\"neu\"\"\";notepad.exe;Notepad;Tippen;42;"
            "angekommen\r\n");
  l.entry = "zwei\r\nZeilen";
  l.arrival = Arrival::kUncheckable;
  log = LogWithLine(log + "2026-12-10 09:06;halbe Zei", l);  // a crash's half line
  log = LogWithLine(log, SendLogLine{{2026, 12, 11, 0, 0, 0, 0}, "c", "", "", "Einfügen", 1,
                                     Arrival::kDiffers},
                    2);
  const std::vector<SendLogLine> kept = ReadSendLog(log);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].entry, "zwei  Zeilen");
  EXPECT_EQ(kept[0].arrival, Arrival::kUncheckable);
  EXPECT_EQ(kept[1].time.day, 11);
  EXPECT_EQ(kept[1].arrival, Arrival::kDiffers);
  EXPECT_TRUE(ReadSendLog("PK\x03\x04 kein Protokoll").empty());
  // A title only for those who asked: its column comes with the first line that has one.
  l.title = "Angebot Meyer";
  log = LogWithLine(log, l);
  EXPECT_NE(log.find("Ergebnis;Fenstertitel\r\n"), std::string::npos);
  EXPECT_EQ(ReadSendLog(log).back().title, "Angebot Meyer");
  EXPECT_EQ(ReadSendLog(log).size(), 3u);
}

}  // namespace
}  // namespace qm
