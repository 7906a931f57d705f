// The receipt of a send: what arrived against what was sent, and the send log.
#include "quillet/receipt/arrival.h"

#include <gtest/gtest.h>

#include "quillet/receipt/receipt.h"
#include "quillet/receipt/receipt_settings.h"
#include "quillet/receipt/send_log.h"
#include "quillet/receipt/send_log_view.h"
#include "tests/fakes/fake_services.h"

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
      {"no caret known, sent where it repeats the text", ControlText{"ab", 0, 0, false}, "abab",
       "ba", Arrival::kArrived, 0},
      {"no caret known, a character lost", ControlText{"Hallo", 0, 0, false}, "HalloWlt", "Welt",
       Arrival::kDiffers, 2},
      {"no caret known, the text replaced", ControlText{"Hallo", 0, 0, false}, "Welt", "Welt",
       Arrival::kUncheckable, 0},
      {"no caret known, a text of one repeated letter", ControlText{std::string(200, 'a'), 0, 0,
       false}, std::string(201, 'a'), "a", Arrival::kArrived, 0},
      {"a control that could not be read", std::nullopt, "x", "x", Arrival::kUncheckable, 0},
      {"read before but not after", ControlText{"", 0, 0}, std::nullopt, "x", Arrival::kUncheckable,
       0},
  };
  for (const auto& c : cases) {
    const ArrivalCheck check = CheckArrival(c.before, c.after, c.sent);
    EXPECT_EQ(check.arrival, c.arrival) << c.why;
    EXPECT_EQ(check.first_difference, c.first_difference) << c.why;
  }
  // No caret known, and an abbreviation's Backspaces took its three letters.
  const ControlText typed{"Hallo mfg", 0, 0, false};
  EXPECT_EQ(CheckArrival(typed, "Hallo MfG ", "MfG ", 3).arrival, Arrival::kArrived);
  EXPECT_EQ(CheckArrival(typed, "Hallo Mf ", "MfG ", 3).first_difference, 3u);
  EXPECT_STREQ(ArrivalWord(Arrival::kUncheckable), "nicht prüfbar");
}

// A field read through its text ranges: the caret where its text before the selection and the
// selection stand at the text's start, counted in characters; not known where they do not.
TEST(CheckArrival, SelectionFromTextRanges) {
  const struct {
    const char* text;
    const char* before;
    const char* selected;
    ControlText expected;
  } cases[] = {
      {"Grüße aus Köln", "Grüße ", "aus", ControlText{"Grüße aus Köln", 6, 9}},
      {"a\r\nb", "a\r\n", "", ControlText{"a\r\nb", 3, 3}},
      {"Hallo Welt", "Hallo Welt!", "", ControlText{"Hallo Welt", 0, 0, false}},
      {"Hallo Welt", "Hallo ", "Welt!", ControlText{"Hallo Welt", 0, 0, false}},
  };
  for (const auto& c : cases) {
    const ControlText got = TextWithSelection(c.text, c.before, c.selected);
    EXPECT_EQ(got.text, c.expected.text) << c.before;
    EXPECT_EQ(got.selection_known, c.expected.selection_known) << c.before;
    EXPECT_EQ(got.selection_start, c.expected.selection_start) << c.before;
    EXPECT_EQ(got.selection_end, c.expected.selection_end) << c.before;
  }
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

// One focused control whose text the test changes between the two readings.
class FakeControlReader : public ControlReader {
 public:
  std::optional<Focus> Focused(WindowHandle) override { return focus; }
  std::optional<ControlText> Read(std::uintptr_t) override {
    ++reads;
    if (reads == late_from) text->text = late_text;
    return text;
  }
  std::optional<Focus> focus = Focus{7};
  std::optional<ControlText> text;
  int reads = 0;
  // From this reading on the control holds `late_text`: a paste that lands a moment late.
  int late_from = 0;
  std::string late_text;
};

struct ReceiptTest : FakeServices, ::testing::Test {
  FakeControlReader reader;
  UserSettings user{settings, "Quillet"};
  std::vector<std::string> notices, failures;
  Receipt receipt{ReceiptServices{
      reader, desktop, processes, clock, pace, fs, user, [] { return std::string("log.csv"); },
      [this](const std::string&, const std::string& text) { notices.push_back(text); },
      [this](const std::string& text) { failures.push_back(text); }}};
  WindowHandle window = desktop.Add("Unbenannt - Editor");

  // A send of `sent` into the control holding `before`, which then holds `after`.
  Arrival Send(ControlText before, std::string after, std::string sent, int erase = 0,
               SendOutcome outcome = SendOutcome::kTyped) {
    reader.text = std::move(before);
    receipt.BeforeKeys(window);
    reader.text = ControlText{std::move(after), 0, 0};
    receipt.AfterSend(SendEnd{window, "Gruß", Delivery::kType, outcome, sent, sent.size(), 0,
                              erase});
    return receipt.last()->arrival;
  }
};

// What a receipt makes of the keys around a snippet, of the control it reads, and what it
// logs and tells.
TEST_F(ReceiptTest, ReadsTheFocusedControlAroundTheSendAndLogsIt) {
  processes.programs[window] = "notepad.exe";
  desktop.classes[window] = "Notepad";
  // An abbreviation's Backspaces take it away before the snippet.
  EXPECT_EQ(Send({"Gruß mfg", 8, 8}, "Gruß MfG!", "MfG!", 3), Arrival::kArrived);
  ASSERT_TRUE(fs.ReadAll("log.csv"));
  EXPECT_NE(fs.ReadAll("log.csv")->find("Gruß;notepad.exe;Notepad;Tippen;4;angekommen\r\n"),
            std::string::npos);
  EXPECT_TRUE(notices.empty());
  // A lost character is told at once, naming the entry, the program and where.
  EXPECT_EQ(Send({"", 0, 0}, "IBAN DE8937", "IBAN DE89370"), Arrival::kDiffers);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0],
            "„Gruß“ kam in notepad.exe nicht so an, wie er gesendet wurde: Zeichen 12 fehlt "
            "oder steht an falscher Stelle.");
  // An Enter in a single-line field moves on and stands nowhere.
  reader.focus->single_line = true;
  EXPECT_EQ(Send({"", 0, 0}, "Name", "Name\r\n"), Arrival::kArrived);
  // A password field is never read; a Tab that moved the focus leaves nothing to compare.
  reader.focus->password = true;
  reader.reads = 0;
  EXPECT_EQ(Send({"geheim", 6, 6}, "geheimX", "X"), Arrival::kUncheckable);
  EXPECT_EQ(reader.reads, 0);
  reader.focus = std::nullopt;
  EXPECT_EQ(Send({"", 0, 0}, "x", "x"), Arrival::kUncheckable);
  EXPECT_EQ(Send({"", 0, 0}, "", "x", 0, SendOutcome::kStopped), Arrival::kCancelled);
  // A paste the target did not take is no arrival, and the user was told already.
  EXPECT_EQ(Send({"", 0, 0}, "", "x", 0, SendOutcome::kNotPasted), Arrival::kDiffers);
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_EQ(ReadSendLog(*fs.ReadAll("log.csv")).size(), 7u);
  // A text that lands late is read again before it counts as differing.
  reader.focus = ControlReader::Focus{7};
  reader.reads = 0;
  reader.late_from = 3;
  reader.late_text = "eingefügt";
  EXPECT_EQ(Send({"", 0, 0}, "", "eingefügt"), Arrival::kArrived);
  // A text that is still changing, or a Tab that may have moved on from a single-line field,
  // tells nothing.
  reader.reads = 0;
  reader.late_from = 4;  // the last reading
  reader.late_text = "zzz";
  EXPECT_EQ(Send({"", 0, 0}, "", "eingefügt"), Arrival::kUncheckable);
  reader.late_from = 0;
  reader.focus->single_line = true;
  EXPECT_EQ(Send({"", 0, 0}, "Max", "Max\tMusterstr. 1"), Arrival::kUncheckable);
}

TEST_F(ReceiptTest, ALogThatCannotBeWrittenIsToldOnceAndALogSwitchedOffIsNotWritten) {
  receipt.ReadAhead();  // no log yet: the first send begins it with its column names
  fs.FailNextWrites(2);
  Send({"", 0, 0}, "a", "a");
  Send({"", 0, 0}, "b", "b");
  EXPECT_EQ(failures.size(), 1u);
  EXPECT_EQ(receipt.last()->arrival, Arrival::kArrived);
  // The lines a failed write could not store come with the next, and lines another copy of
  // Quillet added meanwhile are kept.
  Send({"", 0, 0}, "d", "d");
  ASSERT_TRUE(fs.ReplaceAtomically("log.csv", *fs.ReadAll("log.csv") +
                                                  "2026-12-10 08:00:00;Fremd;a.exe;A;Tippen;1;"
                                                  "angekommen\r\n"));
  Send({"", 0, 0}, "e", "e");
  EXPECT_EQ(ReadSendLog(*fs.ReadAll("log.csv")).size(), 5u);
  // A file held by another program a moment is not written over, its line kept for the next.
  fs.AdvanceNs(1'000'000'000);
  ASSERT_TRUE(fs.ReplaceAtomically("log.csv", *fs.ReadAll("log.csv")));
  fs.SetUnreadable("log.csv");
  Send({"", 0, 0}, "f", "f");
  fs.SetUnreadable("log.csv", false);
  Send({"", 0, 0}, "g", "g");
  EXPECT_EQ(ReadSendLog(*fs.ReadAll("log.csv")).size(), 7u);
  ASSERT_TRUE(SaveSendLogOn(user, false));
  Send({"", 0, 0}, "c", "c");
  EXPECT_EQ(ReadSendLog(*fs.ReadAll("log.csv")).size(), 7u);
}

// The viewer: the newest send first, one result at a time, and the selected rows copied as
// tab-separated lines under the column names.
TEST(SendLogView, NewestFirstFilteredAndCopied) {
  std::string log;
  const Arrival arrivals[] = {Arrival::kArrived, Arrival::kDiffers, Arrival::kCancelled,
                              Arrival::kDiffers};
  for (int i = 0; i < 4; ++i) {
    log = LogWithLine(log, SendLogLine{{2026, 12, 10, 9, i, 0, 0}, "E" + std::to_string(i),
                                       "notepad.exe", "Notepad", "Tippen",
                                       static_cast<std::size_t>(i), arrivals[i]});
  }
  SendLogView view;
  view.Load(log + "2026-12-10 kaputt\r\n");
  EXPECT_FALSE(view.titles());
  ASSERT_EQ(view.RowCount(), 4u);
  EXPECT_EQ(view.Cell(0, 0), "2026-12-10 09:03:00");
  EXPECT_EQ(view.Cell(0, 1), "E3");
  EXPECT_EQ(view.Cell(3, 1), "E0");
  EXPECT_EQ(view.Note(), "4 Sendungen");
  view.SetFilter(2);  // "abweichend"
  ASSERT_EQ(view.RowCount(), 2u);
  EXPECT_EQ(view.Cell(1, 1), "E1");
  EXPECT_EQ(view.Cell(1, 6), "abweichend");
  EXPECT_EQ(view.Note(), "2 von 4 Sendungen");
  EXPECT_EQ(view.CopyText({1, 0, 7}),
            "Zeit\tEintrag\tProgramm\tFensterklasse\tWeg\tZeichen\tErgebnis\r\n"
            "2026-12-10 09:01:00\tE1\tnotepad.exe\tNotepad\tTippen\t1\tabweichend\r\n"
            "2026-12-10 09:03:00\tE3\tnotepad.exe\tNotepad\tTippen\t3\tabweichend\r\n");
  EXPECT_EQ(view.CopyText({}), "");
  view.SetFilter(9);
  EXPECT_EQ(view.RowCount(), 4u);

  // The title's column only where a send names one; a tab in a name splits no cell.
  log = LogWithLine(log, SendLogLine{{2026, 12, 10, 10, 0, 0, 0}, "a\tb", "", "", "Tasten", 1,
                                     Arrival::kArrived, "Angebot"});
  view.Load(log);
  ASSERT_EQ(view.Columns().size(), 8u);
  EXPECT_EQ(view.Columns().back(), "Fenstertitel");
  EXPECT_EQ(view.Cell(0, 7), "Angebot");
  EXPECT_NE(view.CopyText({0}).find("\ta b\t"), std::string::npos);

  // No file, a file of the column names alone, and a foreign one: an empty list and a note.
  const struct {
    std::optional<std::string> bytes;
    const char* note;
  } empty[] = {{std::nullopt, "Noch keine Sendungen protokolliert."},
               {LogWithLine("", {}, 0), "Noch keine Sendungen protokolliert."},
               {"PK\x03\x04\r\nkein Protokoll", "Die Datei enthält keine lesbaren Sendungen."}};
  for (const auto& c : empty) {
    view.Load(c.bytes);
    EXPECT_EQ(view.RowCount(), 0u);
    EXPECT_FALSE(view.titles());
    EXPECT_EQ(view.Note(), c.note);
  }
}

}  // namespace
}  // namespace qm
