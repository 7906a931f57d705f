// Reading CSV as spreadsheets write it, refusing what cannot be read with its line, and a
// library from a spreadsheet.
#include "transfer/csv.h"
#include "transfer/import_result_json.h"
#include "transfer/library_csv.h"

#include <gtest/gtest.h>

#include "tests/transfer/imported_lines.h"

namespace qm {
namespace {

// "a|b / c" for the rows [a, b] and [c].
std::string Picture(const CsvTable& t) {
  std::string out;
  for (const auto& row : t.rows) {
    if (!out.empty()) out += " / ";
    for (std::size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + row[i];
  }
  return out;
}

TEST(CsvTest, ReadsWhatSpreadsheetsWrite) {
  const struct {
    const char* name;
    std::string bytes, rows;
    char separator;
    std::vector<std::size_t> lines;
  } cases[] = {
      {"comma, CR LF",
       "name,text\r\nmfg,Gr\xC3\xBC\xC3\x9F\x65\r\n",
       "name|text / mfg|Grüße",
       ',',
       {1, 2}},
      {"semicolon, byte-order mark, no last line break",
       "\xEF\xBB\xBFName;Text;K\xC3\xBCrzel\na;b,c;",
       "Name|Text|Kürzel / a|b,c|",
       ';',
       {1, 2}},
      {"quotes: separators, doubled quotes, line breaks kept as written",
       "n;t\r\n\"a;b\";\"er sagte \"\"hallo\"\"\r\nZeile 2\"\r\nx;y\r\n",
       "n|t / a;b|er sagte \"hallo\"\r\nZeile 2 / x|y",
       ';',
       {1, 2, 4}},
      {"a quote inside an unquoted field, empty lines passed over",
       "n,t\n\n5\" Disk,x\r\n\r\n",
       "n|t / 5\" Disk|x",
       ',',
       {1, 3}},
      {"UTF-16 little endian",
       std::string("\xFF\xFEn\0;\0t\0\n\0\xE4\0;\0\x3D\xD8\x00\xDE", 18),
       "n|t / ä|😀",
       ';',
       {1, 2}},
      {"UTF-16 big endian", std::string("\xFE\xFF\0n\0,\0t", 8), "n|t", ',', {1}},
      {"a quoted empty field is a row", "n\n\"\"\n", "n / ", ',', {1, 2}},
  };
  for (const auto& c : cases) {
    CsvTable t;
    TextProblem problem;
    ASSERT_TRUE(ReadCsv(c.bytes, &t, &problem)) << c.name << ": " << problem.what;
    EXPECT_EQ(Picture(t), c.rows) << c.name;
    EXPECT_EQ(t.separator, c.separator) << c.name;
    EXPECT_EQ(t.lines, c.lines) << c.name;
    // Written and read again, the rows come back.
    CsvTable again;
    ASSERT_TRUE(ReadCsv(WriteCsv(t.rows), &again, &problem)) << c.name;
    EXPECT_EQ(again.rows, t.rows) << c.name;
  }
  EXPECT_EQ(WriteCsv({{"Name", "Text"}, {"a;b", " x", "\"q\""}, {""}}),
            "\xEF\xBB\xBFName;Text\r\n\"a;b\";\" x\";\"\"\"q\"\"\"\r\n\"\"\r\n");
}

TEST(CsvTest, WhatCannotBeReadIsNamedWithItsLine) {
  const struct {
    std::string bytes;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"n;t\r\na;\"offen\r\nweiter", 2, "nicht geschlossen"},
      {"n;t\na;\"zu\"x\n", 2, "Nach dem schließenden Anführungszeichen"},
      {"\xEF\xBB\xBFn;t\nGr\xFC\xDF\x65;x\n", 2, "nicht in UTF-8 oder UTF-16"},  // marked
      {std::string("n\0a\0", 4), 1, "Nullbytes"},
      {std::string("\xFF\xFEn\0\n\0\x00\xDC", 8), 2, "Surrogat"},
      {"\xFF\xFEn", 0, "ungerade"},
  };
  for (const auto& c : cases) {
    CsvTable t;
    TextProblem problem;
    EXPECT_FALSE(ReadCsv(c.bytes, &t, &problem)) << c.what;
    EXPECT_EQ(problem.line, c.line) << c.what;
    EXPECT_NE(problem.what.find(c.what), std::string::npos) << problem.what;
  }
}

// A library from a spreadsheet: the columns by their English or German names in any order,
// line breaks as Enters, and a note for everything that is not taken over as it stands.
TEST(CsvLibraryTest, EntriesAndNotesFromASpreadsheet) {
  const std::string german =
      "\xEF\xBB\xBFK\xC3\xBCrzel;NAME;Text;Farbe;Chiffriert;DOS-Box\r\n"
      "mfg;Gru\xC3\x9F;\"Mit freundlichen Gr\xC3\xBC\xC3\x9F\x65n\r\n\r\nErika\";rot;ja;\r\n"
      ";;ohne Namen;;;\r\n"
      "dir;Ordner;dir\tc:;;vielleicht;1;zu viel\r\n";
  ImportResult r;
  TextProblem problem;
  ASSERT_TRUE(ReadCsvLibrary(german, &r, &problem)) << problem.what;
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].name, "Gruß");
  EXPECT_EQ(r.entries[0].text, "Mit freundlichen Grüßen\r\rErika");
  EXPECT_EQ(r.entries[0].abbreviation, "mfg");
  EXPECT_TRUE(r.entries[0].crypt && !r.entries[0].dosbox);
  EXPECT_EQ(r.entries[1].text, "dir\tc:");
  EXPECT_TRUE(r.entries[1].dosbox && !r.entries[1].crypt);
  EXPECT_EQ(r.entries[1].line, 6u);  // the quoted text spans lines 2 to 4
  EXPECT_EQ(Notes(r),
            "1 : Die Spalte „Farbe“ wird nicht übernommen.\n"
            "5 : Eine Zeile ohne Namen wird übergangen.\n"
            "6 Ordner: „vielleicht“ in der Spalte „Chiffriert“ lässt sich nicht als ja oder nein "
            "lesen und gilt als nein.\n"
            "6 Ordner: Die Zeile hat mehr Felder als die Kopfzeile Spalten; die überzähligen "
            "werden nicht übernommen.\n");

  // Exported and imported again, every field comes back.
  r.entries[1].at_once = true;
  r.entries[1].title = " Eingabeaufforderung ";
  r.entries[1].delivery = "Einfügen";
  r.entries[1].text += " %eingabe=X%%cursor%";  // Quillet's words stay as they are written
  ImportResult again;
  ASSERT_TRUE(ReadCsvLibrary(WriteCsvLibrary(r.entries), &again, &problem));
  ASSERT_EQ(again.entries.size(), 2u);
  EXPECT_TRUE(again.notes.empty());
  for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(Fields(again.entries[i]), Fields(r.entries[i]));

  // As Excel saves "CSV (Trennzeichen-getrennt)" on a German Windows: Windows-1252, with a note.
  ASSERT_TRUE(ReadCsvLibrary("Name;Text\r\nGr\xFC\xDF\x65;K\xF6ln \x80\r\n", &r, &problem));
  EXPECT_EQ(r.entries.at(0).name + "|" + r.entries.at(0).text, "Grüße|Köln €");
  EXPECT_NE(Notes(r).find("als Windows-1252 gelesen"), std::string::npos) << Notes(r);

  // English names, commas; a header without the text column cannot be read.
  ASSERT_TRUE(ReadCsvLibrary("text,name\nhello,greeting\n", &r, &problem));
  EXPECT_EQ(r.entries.at(0).name, "greeting");
  EXPECT_FALSE(ReadCsvLibrary("name;abbreviation\nx;y\n", &r, &problem));
  EXPECT_EQ(problem.line, 1u);
  EXPECT_NE(problem.what.find("„Name“ und „Text“"), std::string::npos);

  // What a reader in a library of its own found crosses over whole, a refusal included.
  ImportResult crossed;
  ASSERT_TRUE(ImportResultFromJson(ImportResultToJson(true, again, {}), &crossed, &problem));
  EXPECT_EQ(WriteCsvLibrary(crossed.entries), WriteCsvLibrary(again.entries));
  EXPECT_EQ(crossed.entries.at(1).line, again.entries.at(1).line);
  EXPECT_FALSE(ImportResultFromJson(ImportResultToJson(false, {}, {7, "kaputt"}), &r, &problem));
  EXPECT_TRUE(problem.line == 7 && problem.what == "kaputt");
  EXPECT_FALSE(ImportResultFromJson("{\"read\":true}", &r, &problem));
  EXPECT_EQ(problem.line, 0u);
}

}  // namespace
}  // namespace qm
