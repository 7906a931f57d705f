// Placeholders against a clock that stands still and an in-memory file system: file contents,
// date and time, the letter case, file encodings and where a relative name is looked for.
#include "quillet/send/placeholders.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/portable_code_pages.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_system.h"

namespace qm {
namespace {

using namespace std::string_literals;

const std::string kBase = "C:\\Q\\";

class PlaceholdersTest : public testing::Test {
 protected:
  PlaceholdersTest() {
    clock.now = LocalTime{2026, 12, 6, 9, 5, 3, 0};  // Sonntag
  }
  std::string Expand(const std::string& text) {
    return ExpandPlaceholders(text, clock, fs, ansi, kBase);
  }

  FakeClock clock;
  FakeFileSystem fs;
  Windows1252CodePage ansi;
};

TEST_F(PlaceholdersTest, DateAndTime) {
  const struct {
    std::string text, expanded;
  } cases[] = {
      {"%stunde%:%minute%:%sekunde%", "09:05:03"},
      {"%tag%.%monat%.%jahr%", "06.12.2026"},
      {"%zeit%", "09:05:03"},
      {"%datum%", "06.12.2026"},
      {"%wochentag%", "Sonntag"},
      {"%DATUM% %Datum% %dAtUm%", "06.12.2026 06.12.2026 06.12.2026"},
      // Only the ten forms count; everything else stays as it is.
      {"%zeit", "%zeit"},
      {"%uhrzeit% 100% %%tag%%", "%uhrzeit% 100% %06%"},
      {"%datum %", "%datum %"},
      {"", ""},
      // Days from today: over a month's and a year's end, back, and only 0 to 3650.
      {"%datum+1% %DATUM+26% %Datum-6% %datum+0%", "07.12.2026 01.01.2027 30.11.2026 06.12.2026"},
      {"%datum+3650%/%datum-3650%/%datum+0007%", "03.12.2036/08.12.2016/13.12.2026"},
      {"%datum+3651% %datum+00001% %datum+% %datum+1x% %datum*1%",
       "%datum+3651% %datum+00001% %datum+% %datum+1x% %datum*1%"},
      {"%datum+%datum+2%", "%datum+08.12.2026"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.text), c.expanded) << c.text;
}

TEST(MovedByDaysTest, LeapDaysAndWeekdays) {
  const struct {
    LocalTime from;
    int days;
    int year, month, day, weekday;
  } cases[] = {
      {{2028, 2, 28, 9, 5, 3, 1}, 1, 2028, 2, 29, 2},
      {{2028, 3, 1, 9, 5, 3, 3}, -1, 2028, 2, 29, 2},
      {{2027, 2, 28, 9, 5, 3, 0}, 1, 2027, 3, 1, 1},
      {{2100, 2, 28, 9, 5, 3, 0}, 1, 2100, 3, 1, 1},
      {{2026, 12, 6, 9, 5, 3, 0}, -3650, 2016, 12, 8, 4},
  };
  for (const auto& c : cases) {
    const LocalTime t = MovedByDays(c.from, c.days);
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.weekday, t.hour, t.minute, t.second}),
              std::vector<int>({c.year, c.month, c.day, c.weekday, 9, 5, 3}))
        << c.from.year << "-" << c.from.month << "-" << c.from.day << " " << c.days;
  }
}

TEST_F(PlaceholdersTest, OneReadingOfTheClockServesTheWholeText) {
  // At midnight on New Year's Eve a second reading would give the old day with the new year.
  clock.upcoming = {LocalTime{2026, 12, 31, 23, 59, 59, 4}, LocalTime{2027, 1, 1, 0, 0, 0, 5}};
  EXPECT_EQ(Expand("%tag%.%monat%.%jahr% %zeit% %minute% %datum+1%"),
            "31.12.2026 23:59:59 59 01.01.2027");
  EXPECT_EQ(clock.reads, 1);

  clock.reads = 0;
  EXPECT_EQ(Expand("nichts zu tun, 50 %"), "nichts zu tun, 50 %");
  EXPECT_EQ(clock.reads, 0);
}

TEST_F(PlaceholdersTest, Files) {
  fs.SetFile(kBase + "a.txt", "x\r\ny");
  fs.SetFile(kBase + "unix.txt", "x\ny\n");
  fs.SetFile(kBase + "mixed.txt", "a\rb\r\r\nc\n\rd\x08");
  fs.SetFile(kBase + "u16.txt", "\xFF\xFEx\0\r\0\n\0\xFC\0"s);
  fs.SetFile("D:\\abs.txt", "absolut");
  fs.SetFile(kBase + "b.txt", "B");
  fs.SetFile(kBase + "nested.txt", "[%datei=b.txt%]");
  fs.SetFile(kBase + "date.txt", "am %datum%");
  fs.SetFile(kBase + "open.txt", "%datei=");
  fs.SetFile(kBase + "empty.txt", "");
  fs.SetFile(kBase + "\xC3\x84rger.txt", "grr");  // Ärger.txt
  fs.SetFile(kBase + "locked.txt", "geheim");
  fs.SetUnreadable(kBase + "locked.txt");
  fs.AddFolder(kBase + "ordner");
  fs.SetFile(kBase + "gross.txt", std::string(kMaxInsertedFileBytes + 1, 'g'));
  fs.SetFile(kBase + "grenze.txt", std::string(kMaxInsertedFileBytes, 'g'));
  const std::string missing_x = "\r*** Quillet: Konnte Datei 'fehlt.txt' nicht finden! ***\r";
  const struct {
    std::string text, expanded;
  } cases[] = {
      {"<%datei=a.txt%>", "<x\ry>"},
      {"%DATEI=a.txt%", "x\ry"},
      {"%datei=u16.txt%", "x\rü"},
      {"%datei=D:\\abs.txt%", "absolut"},
      // The first spelling is read; the others in any letter case get the same contents,
      // even where that spelling names no file of its own.
      {"%datei=a.txt% %DATEI=A.TXT% %Datei=a.TXT%", "x\ry x\ry x\ry"},
      {"%datei=\xC3\x84rger.txt%/%DATEI=\xC3\xA4RGER.TXT%", "grr/grr"},
      {"%datei=nested.txt%", "[%datei=b.txt%]"},
      {"%datei=date.txt%", "am 06.12.2026"},
      {"%datei=open.txt%%datei=b.txt%", "%datei=B"},
      {"%datei=fehlt.txt%", missing_x},
      {"%datei=%", "\r*** Quillet: Konnte Datei '' nicht finden! ***\r"},
      {"%datei=ordner%", "\r*** Quillet: Konnte Datei 'ordner' nicht finden! ***\r"},
      // Every line break types one Enter, as the file shows it.
      {"%datei=unix.txt%", "x\ry\r"},
      {"%datei=mixed.txt%", "a\rb\r\rc\r\rd\x08"},
      {"(%datei=locked.txt%)", "(\r*** Quillet: Konnte Datei 'locked.txt' nicht lesen! ***\r)"},
      {"(%datei=empty.txt%)", "()"},
      {"%datei=gross.txt%",
       "\r*** Quillet: Datei 'gross.txt' ist zu gro\xC3\x9F zum Tippen (mehr als 1 MB)! ***\r"},
      {"%datei=grenze.txt%", std::string(kMaxInsertedFileBytes, 'g')},
      // An opening without its closing sign ends the pass; what follows stays as it is.
      {"vor %datei=a.txt", "vor %datei=a.txt"},
      {"%datei=b.txt% und %datei=a.txt", "B und %datei=a.txt"},
      {"%datei b.txt%", "%datei b.txt%"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.text), c.expanded) << c.text;
}

TEST(ResolveFileNameTest, Table) {
  const struct {
    std::string name, base, resolved;
  } cases[] = {
      {"a.txt", "C:\\Q\\", "C:\\Q\\a.txt"},
      {"a.txt", "C:\\Q", "C:\\Q\\a.txt"},
      {"a.txt", "/home/q", "/home/q/a.txt"},
      {"a.txt", "", "a.txt"},
      {"C:\\a.txt", "D:\\Q\\", "C:\\a.txt"},
      {"c:a.txt", "D:\\Q\\", "c:a.txt"},
      {"\\\\srv\\s\\a.txt", "D:\\Q\\", "\\\\srv\\s\\a.txt"},
      {"\\a.txt", "D:\\Q\\", "\\a.txt"},
      {"", "D:\\Q\\", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveFileName(c.name, c.base), c.resolved) << c.name << " in " << c.base;
  }
}

TEST(DecodeTextFileTest, TodaysEncodingsAndTheAnsiCodePage) {
  Windows1252CodePage ansi;
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"\xEF\xBB\xBFGrüße", "Grüße"},
      {"\xFF\xFEG\0r\0\xFC\0\xDF\0e\0\xAC\x20=\xD8\0\xDE"s, "Grüße€😀"},
      {"Grüße", "Grüße"},
      {"Gr\xFC\xDF\x65 \x80", "Grüße €"},
      // Neither mark is taken for more than it is: a big-endian mark is ANSI text.
      {"\xFE\xFF\0A"s, "þÿ\0A"s},
      {"\xEF\xBB\xBF\x61\xFF", "a\xEF\xBF\xBD"},
      {"\xFF\xFE\x41\0B"s, "A"},  // an odd last byte is dropped
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextFile(c.bytes, ansi), c.text) << c.bytes;
}

}  // namespace
}  // namespace qm
