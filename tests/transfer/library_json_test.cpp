// Our own JSON library as a script or a person writes it, what cannot be read named with its
// line, and the file written and read back.
#include "transfer/library_json.h"

#include <gtest/gtest.h>

#include "transfer/import_result_json.h"
#include "tests/transfer/imported_lines.h"

namespace qm {
namespace {

// Our own JSON as a script or a person writes it: fields in any order and with nulls, keys
// it does not know, braces and quotes inside strings, each entry with the line it starts on.
TEST(JsonLibraryTest, EntriesLinesAndNotes) {
  const std::string file =
      "{\n"
      "  \"format\": \"quillet-library\",\n"
      "  \"version\": 2,\n"
      "  \"exported\": \"2026-12-09\",\n"
      "  \"entries\": [\n"
      "    {\n"
      "      \"name\": \"Gru\u00df\",\n"
      "      \"text\": \"Mit freundlichen Grüßen\\r\\n\\nErika\",\n"
      "      \"color\": \"rot\", \"abbreviation\": \" mfg \", \"immediate\": true\n"
      "    },\n"
      "    {\"name\": \"Ordner\", \"text\": \"dir\\tc:\", \"dosbox\": true, \"crypt\": null,\r\n"
      "     \"title\": \"{Eingabe} \\\"[x]\\\": \", \"delivery\": \"Einfügen\"}, {\r"
      "      \"name\": \"  Zwei\\nZeilen\\r\\n \", \"text\": \"a\\rb\"\n"
      "    }\n"
      "  ]\n"
      "}\n";
  ImportResult r;
  TextProblem problem;
  ASSERT_TRUE(ReadJsonLibrary(file, &r, &problem)) << problem.line << ": " << problem.what;
  const struct {
    std::size_t line;
    std::string fields;
  } want[] = {
      {6, "Gruß|Mit freundlichen Grüßen\r\rErika|mfg|1||0|0|"},
      {11, "Ordner|dir\tc:||0|{Eingabe} \"[x]\": |1|0|Einfügen"},
      {12, "Zwei Zeilen|a\rb||0||0|0|"},
  };
  ASSERT_EQ(r.entries.size(), std::size(want));
  for (std::size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(r.entries[i].line, want[i].line) << i;
    EXPECT_EQ(Fields(r.entries[i]), want[i].fields);
  }
  EXPECT_EQ(Notes(r),
            "1 : Die Datei hat die Version 2 des Formats; diese Quillet-Version kennt Version 1 "
            "und meldet, was sie darin nicht kennt.\n"
            "1 : Der Schlüssel „exported“ wird nicht übernommen.\n"
            "6 Gruß: Das Feld „color“ wird nicht übernommen.\n"
            "12 Zwei Zeilen: Die Zeilenumbrüche im Namen werden zu Leerzeichen.\n");
  ASSERT_TRUE(ReadJsonLibrary("\xEF\xBB\xBF{\"entries\": []}", &r, &problem));
  EXPECT_EQ(Notes(r),
            "1 : Die Datei nennt ihr Format nicht („format“: „quillet-library“); sie wird als "
            "Quillet-Bibliothek gelesen.\n");
}

TEST(JsonLibraryTest, WhatCannotBeReadIsNamedWithItsLine) {
  const struct {
    std::string bytes;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"{\n  \"entries\": [\n    {\"name\": \"a\",}\n  ]\n}", 3,
       "nicht gültig (zuletzt gelesen: „\"a\",}“)"},
      {"{\"entries\": [\n\n", 1, "endet, bevor"},
      {"{\"entries\": [{\"name\": \"a\nb\"}]}", 1, "Steuerzeichen"},
      {"{\"entries\": [{\"name\": \"Gr\xFC\xDF\x65\"}]}", 1, "nicht in UTF-8"},
      {"[]", 1, "JSON-Objekt mit der Liste"},
      {"{\"format\": \"beeftext\", \"entries\": []}", 1, "keine Quillet-Bibliothek"},
      {"{\"version\": \"1\", \"entries\": []}", 1, "ganze Zahl ab 1"},
      {"\n{\"entries\": {}}", 2, "Liste der Einträge"},
      {"{\"entries\": [\n{\"name\": \"a\"},\n\"b\"\n]}", 3, "2. Eintrag ist kein Objekt"},
      {"{\"entries\": [\n{\"name\": \"a\", \"crypt\": \"ja\"}]}", 2,
       "„crypt“ muss true oder false"},
      {"{\"entries\": [\n{\"name\": 5}]}", 2, "„name“ muss eine Zeichenkette"},
      // Named by its kind: written out, a value nested this deep would overflow the stack.
      {"{\"entries\": [\n{\"name\": " + std::string(200000, '[') + std::string(200000, ']') + "}]}",
       2, "Zeichenkette sein, nicht eine Liste."},
      {"{\"entries\": [\n{\"text\": \"t\", \"name\": \" \"}]}", 2, "keinen Namen"},
      {"{\r\"entries\": [\r{\"name\": 1}]}", 3, "Zeichenkette"},
      // Of a repeated key the last counts, and so do the lines of its entries.
      {"{\"entries\": [{\"name\": \"x\"}], \"entries\": [\n{\"name\": 3}]}", 2, "Zeichenkette"},
  };
  for (const auto& c : cases) {
    ImportResult r;
    TextProblem problem;
    EXPECT_FALSE(ReadJsonLibrary(c.bytes, &r, &problem)) << c.what;
    EXPECT_EQ(problem.line, c.line) << c.what;
    EXPECT_NE(problem.what.find(c.what), std::string::npos) << problem.what;
  }
}

// Written, the file is stable for people and scripts; read again, every field comes back.
TEST(JsonLibraryTest, WrittenAndReadBack) {
  ImportedEntry a, b;
  a.name = "Gruß";
  a.text = "a\rb\tc \"%datum%\" \\";
  a.abbreviation = "mfg";
  a.at_once = true;
  b = {"Geheim", "PIN %eingabe=X%%cursor%", "", false, "Outlook", true, true, "Tasten"};
  EXPECT_EQ(WriteJsonLibrary({a}),
            "{\n"
            "  \"format\": \"quillet-library\",\n"
            "  \"version\": 1,\n"
            "  \"entries\": [\n"
            "    {\n"
            "      \"name\": \"Gruß\",\n"
            "      \"text\": \"a\\nb\\tc \\\"%datum%\\\" \\\\\",\n"
            "      \"abbreviation\": \"mfg\",\n"
            "      \"immediate\": true,\n"
            "      \"title\": \"\",\n"
            "      \"dosbox\": false,\n"
            "      \"crypt\": false,\n"
            "      \"delivery\": \"\"\n"
            "    }\n"
            "  ]\n"
            "}\n");
  ImportResult r;
  TextProblem problem;
  ASSERT_TRUE(ReadJsonLibrary(WriteJsonLibrary({a, b}), &r, &problem)) << problem.what;
  EXPECT_EQ(Notes(r), "");
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(Fields(r.entries[0]), Fields(a));
  EXPECT_EQ(Fields(r.entries[1]), Fields(b));
  EXPECT_EQ(r.entries[1].line, 15u);
}

}  // namespace
}  // namespace qm
