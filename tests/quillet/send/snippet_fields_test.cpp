// Snippets that ask and adapt, parsed and filled against a clock that stands still, files in
// memory and a table of entries: every word, shared fields, sections, included snippets and
// their limits, the literal answers, the caret, the problems, and the capitals carried over.
#include "quillet/send/snippet_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "platform/portable_code_pages.h"
#include "quillet/send/placeholders.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_system.h"

namespace qm {
namespace {

const std::string kBase = "C:\\Q\\";
std::string Notice(const std::string& what) {
  return "\r*** Quillet: " + what + " ***\r";
}

class SnippetFieldsTest : public testing::Test {
 protected:
  SnippetFieldsTest() {
    clock.now = LocalTime{2026, 12, 6, 9, 5, 3, 0};
    fs.SetFile(kBase + "f.txt", "%eingabe=X% %cursor% %datum%");
    fs.SetFile("C:\\x.txt", "gelesen");
    for (int n = 1; n <= 9; ++n) {
      entries["Tief" + std::to_string(n)] =
          std::to_string(n) + "%baustein=Tief" + std::to_string(n + 1) + "%";
    }
  }
  // The filled text, with "‸" where %cursor% leaves the caret; the problems after "#".
  std::string Fill(const std::string& text,
                   const std::vector<std::pair<std::string, std::string>>& answers = {}) {
    const SnippetTemplate t = ParseSnippet(text, [&](const std::string& name) {
      const auto it = entries.find(name);
      if (name == "Geheim") return IncludedEntry{IncludedEntry::State::kUndecipherable, ""};
      if (it == entries.end()) return IncludedEntry{};
      return IncludedEntry{IncludedEntry::State::kFound, it->second};
    });
    FieldValues values(t.fields.size());
    for (const auto& [name, answer] : answers) {
      for (std::size_t i = 0; i < t.fields.size(); ++i) {
        if (t.fields[i].name == name) values[i] = {answer, answer == "1"};
      }
    }
    const FilledSnippet f = FillSnippet(t, values, clipboard, clock, fs, ansi, kBase);
    std::string shown = f.text;
    if (f.caret_left > 0) shown += "<" + std::to_string(f.caret_left);
    for (const std::string& p : t.problems) shown += "#" + p;
    return shown;
  }

  FakeClock clock;
  FakeFileSystem fs;
  Windows1252CodePage ansi;
  std::string clipboard = "%datei=C:\\x.txt%\r\n%datum%";
  std::map<std::string, std::string> entries = {
      {"Gruß", "Mit freundlichen Grüßen\r%eingabe=Name%"},
      {"Selbst", "a%baustein=Selbst%"},
      {"A", "A%baustein=B%"},
      {"B", "B%baustein=A%"},
      {"Datum", "%datum% %zeit%"},
      {"Kaputt", "%optional=X%offen"},
  };
};

TEST_F(SnippetFieldsTest, WordsFieldsSectionsAndIncludedSnippets) {
  const std::string name64(64, 'n');
  const struct {
    std::string text;
    std::vector<std::pair<std::string, std::string>> answers;
    std::string filled;
  } cases[] = {
      // One field in three places, its name in any letter case.
      {"%eingabe=Name%, %EINGABE=name% und %Eingabe=NAME%", {{"Name", "Eva"}}, "Eva, Eva und Eva"},
      {"%mehrzeilig=Adresse%!", {{"Adresse", "a\r\nb\nc\rd"}}, "a\rb\rc\rd!"},
      {"%auswahl=Titel:|Dr. |Prof. %Muster", {{"Titel", "Dr. "}}, "Dr. Muster"},
      {"%auswahl=Titel:|Dr. |Prof. %Muster", {{"Titel", ""}}, "Muster"},
      {"a%optional=Gruß%b%/optional%c", {{"Gruß", "1"}}, "abc"},
      {"a%OPTIONAL=Gruß%b%/Optional%c", {}, "ac"},
      {"%optional=A%1%optional=B%2%/optional%3%/optional%", {{"A", "1"}}, "13"},
      {"%optional=A%1%optional=B%2%/optional%3%/optional%", {{"B", "1"}}, ""},
      // The caret: each character one Left key, an Enter and a pair of surrogates too, and a
      // character that is never typed none; only the first %cursor% that arrives counts.
      {"Hallo %cursor%Welt\r%CURSOR%!", {}, "Hallo Welt\r!<6"},
      {"%optional=A%%cursor%%/optional%x%cursor%\xF0\x9F\x98\x80\xC3\xA4\x08", {}, "x😀ä\x08<2"},
      // Nothing typed or copied is read as a word; the words of an inserted file neither.
      {"[%zwischenablage%]", {}, "[%datei=C:\\x.txt%\r%datum%]"},
      {"%eingabe=X%", {{"X", "%datum% %cursor%"}}, "%datum% %cursor%"},
      {"%dat%eingabe=X%um%", {}, "%datum%"},
      {"%datei=f.txt%", {}, "%eingabe=X% %cursor% 06.12.2026"},
      {"%datum%cursor%", {}, "06.12.2026cursor%"},
      // Included snippets, their fields in the same form; what cannot be included says why in
      // its place, and is named where it stands.
      {"%baustein=Gruß%", {{"Name", "Eva"}}, "Mit freundlichen Grüßen\rEva"},
      {"%baustein=Datum%|%eingabe=X%", {{"X", "x"}}, "06.12.2026 09:05:03|x"},
      {"%baustein=Selbst%",
       {},
       "a" + Notice("Baustein 'Selbst' enthält sich selbst!") +
           "#Baustein „Selbst“: Der Baustein „Selbst“ enthält sich selbst."},
      {"%baustein=A%",
       {},
       "AB" + Notice("Baustein 'A' enthält sich selbst!") +
           "#Baustein „B“: Der Baustein „A“ enthält sich selbst."},
      {"%baustein=Tief1%",
       {},
       "12345678" + Notice("Bausteine zu tief verschachtelt (mehr als 8)!") +
           "#Baustein „Tief8“: Der Baustein „Tief9“ liegt tiefer als 8 Ebenen."},
      {"%baustein=Fehlt%",
       {},
       Notice("Baustein 'Fehlt' nicht gefunden!") + "#Der Baustein „Fehlt“ fehlt."},
      {"%baustein=Geheim%",
       {},
       Notice("Baustein 'Geheim' konnte nicht entschlüsselt werden!") +
           "#Der Baustein „Geheim“ lässt sich nicht entschlüsseln."},
      // Bad words stay as text and are named.
      {"%auswahl=Titel%/%auswahl=Titel:%",
       {},
       "%auswahl=Titel%/%auswahl=Titel:%#„%auswahl=Titel%“ hat keine Auswahl.#„%auswahl=Titel:%“ "
       "hat keine Auswahl."},
      {"%optional=Gruß%x", {}, "%optional=Gruß%x#„%optional=Gruß%“ hat kein Ende „%/optional%“."},
      {"x%/optional%", {}, "x%/optional%#„%/optional%“ hat keinen Anfang „%optional=…%“."},
      {"%eingabe=%%eingabe=" + name64 + "x%",
       {},
       "%eingabe=%%eingabe=" + name64 + "x%#Ein Feldname ist leer oder länger als 64 Zeichen."},
      {"%eingabe=" + name64 + "%.", {{name64, "ok"}}, "ok."},
      {"%eingabe=X%%auswahl=x:a|b%",
       {{"X", "1"}},
       "1%auswahl=x:a|b%#„%auswahl=x:a|b%“: Ein Feld „X“ anderer Art gibt es schon."},
      {"a %eingabe=Name", {}, "a %eingabe=Name#„%eingabe=Name“ wird nicht mit „%“ geschlossen."},
      {"%baustein=Kaputt%",
       {},
       "%optional=X%offen#Baustein „Kaputt“: „%optional=X%“ hat kein Ende „%/optional%“."},
  };
  for (const auto& c : cases) EXPECT_EQ(Fill(c.text, c.answers), c.filled) << c.text;
}

TEST_F(SnippetFieldsTest, BeyondThirtyFieldsTheRestStayAsText) {
  std::string text, filled;
  for (int n = 1; n <= 31; ++n) {
    text += "%eingabe=F" + std::to_string(n) + "%";
    filled += n <= 30 ? "" : "%eingabe=F31%";
  }
  EXPECT_EQ(
      Fill(text + "%optional=F32%x%/optional%"),
      filled +
          "%optional=F32%x%/optional%#Mehr als 30 Felder: die weiteren bleiben als Text stehen.");
}

TEST_F(SnippetFieldsTest, ManyIncludesOrNoLookupEndWithANotice) {
  EXPECT_EQ(FillSnippet(ParseSnippet("%baustein=x%", {}), {}, "", clock, fs, ansi, kBase).text,
            Notice("Baustein 'x' nicht gefunden!"));
  // Ten snippets each including the next one ten times: 10^8 inclusions unless bounded.
  for (int n = 1; n <= 8; ++n) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += "%baustein=V" + std::to_string(n + 1) + "%";
    entries["V" + std::to_string(n)] = text;
  }
  entries["V9"] = "x";
  const std::string filled = Fill("%baustein=V1%");
  EXPECT_NE(filled.find(Notice("Zu viele Bausteine (mehr als 1000 oder mehr als 1 MB Text)!")),
            std::string::npos);
}

TEST_F(SnippetFieldsTest, WithoutTheNewWordsTheTextComesOutAsExpandPlaceholdersGivesIt) {
  fs.SetFile(kBase + "a.txt", "x\r\ny %datum%");
  for (const std::string text :
       {"", "Hallo %datei=a.txt% %DATUM% 100% %%tag%%", "%datei=offen", "%uhrzeit% %datum+1%"}) {
    EXPECT_EQ(Fill(text), ExpandPlaceholders(text, clock, fs, ansi, kBase)) << text;
    EXPECT_LE(ParseSnippet(text, {}).pieces.size(), 1u);
  }
}

TEST_F(SnippetFieldsTest, OneReadingOfTheClockAmongAllPieces) {
  clock.upcoming = {LocalTime{2026, 12, 31, 23, 59, 59, 4}, LocalTime{2027, 1, 1, 0, 0, 0, 5}};
  EXPECT_EQ(Fill("%jahr% %eingabe=X% %baustein=Datum%", {{"X", "-"}}),
            "2026 - 31.12.2026 23:59:59");
  EXPECT_EQ(clock.reads, 1);
}

TEST(CarryCapitalsTest, Table) {
  const struct {
    std::string snippet, typed, stored, carried;
  } cases[] = {
      {"mit freundlichen Grüßen", "mfg", "mfg", "mit freundlichen Grüßen"},
      {"mit freundlichen Grüßen", "Mfg", "mfg", "Mit freundlichen Grüßen"},
      {"mit freundlichen Grüßen", "MFG", "mfg", "MIT FREUNDLICHEN GRÜßEN"},
      {"gmbh & co", "GMBH", "GmbH", "GMBH & CO"},
      {"gmbh & co", "Gmbh", "GmbH", "gmbh & co"},
      {"\r„über", "Ü", "ü", "\r„Über"},
      {"ßo", "Sz", "sz", "ßo"},
      {"text", "abc", "ABC", "text"},
      {"text", "MfG", "mfg", "Text"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CarryCapitals(c.snippet, c.typed, c.stored), c.carried) << c.typed;
  }
}

}  // namespace
}  // namespace qm
