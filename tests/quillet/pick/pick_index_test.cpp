// The picker's search: folding, word starts, the text option and the ranking.
#include "quillet/pick/pick_index.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
#include "quillet/pick/search_form.h"
#include "store/ini_document.h"

namespace qm {
namespace {

constexpr UseTime kNow = 1800000000;
constexpr UseTime kDay = 86400;

std::vector<std::string> Found(const std::vector<PickSource>& sources, const std::string& query,
                               const UseRecord& uses = {}) {
  PickIndex index(sources, uses, kNow);
  std::vector<std::string> names;
  for (std::size_t i : index.Search(query)) names.push_back(index.entries()[i].name);
  return names;
}

std::vector<PickSource> Names(const std::vector<std::string>& names) {
  std::vector<PickSource> sources;
  for (const std::string& n : names) sources.push_back({n, ""});
  return sources;
}

TEST(PickSearch, FoldsCaseAccentsAndSharpS) {
  const struct {
    std::string name, query;
    bool found;
  } cases[] = {
      {"Grußformel", "gruss", true},
      {"Adresse Musterstraße", "adr str", true},
      {"grusse", "GRÜSSE", true},
      {"GROẞE Liste", "grosse", true},
      {"Crème brûlée", "creme BRULEE", true},
      {"Søren Ålund", "soren alund", true},
      {"Œuvre, Łódź, Ærø", "oeuvre lodz aero", true},
      {"Cafe\xCC\x81 Mu\xCC\x88ller", "café müller", true},  // decomposed accents
      {"Angebot\xC2\xA0Nr", "angebot nr", true},             // no-break space
      {"Adresse", "adr xyz", false},                         // every word must occur
      {"Grüße", "grüsse x", false},
      {"Straße", "strasse-", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Found(Names({c.name}), c.query).size(), c.found ? 1u : 0u)
        << c.name << " / " << c.query;
  }
}

TEST(PickSearch, WordStarts) {
  const struct {
    const char* name;
    const char* word;
    bool at_start;
  } cases[] = {
      {"Brief-Vorlage", "vorlage", true},
      {"mein_text", "text", true},
      {"v1.antwort", "antwort", true},
      {"Ordner/Datei", "datei", true},
      {"Preis(netto)", "netto", true},
      {"A4Brief", "brief", true},
      {"Brief2024", "2024", true},
      {"„Angebot“", "angebot", true},
      {"Preis€netto", "netto", true},
      {"GrussFormel", "formel", false},
      {"Kundenadresse", "adresse", false},
      {"Σωκράτης", "ωκ", false},
      {"Ärger", "rger", false},
  };
  for (const auto& c : cases) {
    const std::string folded = SearchForm(c.name);
    EXPECT_EQ(IsWordStart(folded, folded.find(c.word)), c.at_start) << c.name;
  }
}

TEST(PickSearch, WordStartsBeforeUseBeforeNameAndEmptyQueryListsAll) {
  UseRecord uses;
  for (int i = 0; i < 5; ++i) uses.Add("Kundenadresse", kNow);
  uses.Add("Beta", kNow - 200 * kDay);  // long ago: a faint score that still beats none
  const auto sources =
      Names({"Kundenadresse", "Adresse privat", "adresse Büro", "Beta", "Äpfel", "Apfel", "Birne"});
  EXPECT_EQ(Found(sources, "adr", uses),
            (std::vector<std::string>{"adresse Büro", "Adresse privat", "Kundenadresse"}));
  EXPECT_EQ(Found(sources, "  ", uses),
            (std::vector<std::string>{"Kundenadresse", "Beta", "adresse Büro", "Adresse privat",
                                      "Apfel", "Äpfel", "Birne"}));
  // Two uses today outweigh ten three months ago.
  UseRecord recent;
  for (int i = 0; i < 10; ++i) recent.Add("Alt", kNow - 90 * kDay);
  recent.Add("Neu", kNow);
  recent.Add("Neu", kNow);
  EXPECT_EQ(Found(Names({"Alt", "Neu"}), "", recent), (std::vector<std::string>{"Neu", "Alt"}));
  EXPECT_TRUE(Found({}, "x").empty());
  // An abbreviation that is the query comes first, one that holds a word matches too.
  std::vector<PickSource> abbreviated = Names({"Mfg-Vorlage", "Grußformel", "Adresse"});
  abbreviated[1].abbreviation = "mfg";
  abbreviated[2].abbreviation = "#adr";
  EXPECT_EQ(Found(abbreviated, "MFG"), (std::vector<std::string>{"Grußformel", "Mfg-Vorlage"}));
  EXPECT_EQ(Found(abbreviated, "#adr"), (std::vector<std::string>{"Adresse"}));
  EXPECT_EQ(Found(abbreviated, "mf vor"), (std::vector<std::string>{"Mfg-Vorlage"}));
}

// One index through a picker's life: keystrokes narrow the previous matches, a deleted
// character widens them again, and a new ranking follows a use.
TEST(PickSearch, OneIndexAcrossKeystrokesAndOpenings) {
  PickIndex index(Names({"Adresse Bonn", "Adler", "Bad", "Radweg Adria"}), {}, kNow);
  const auto names = [&](const std::string& query) {
    std::vector<std::string> out;
    for (std::size_t i : index.Search(query)) out.push_back(index.entries()[i].name);
    return out;
  };
  const std::vector<std::pair<const char*, std::vector<std::string>>> steps = {
      {"ad", {"Adler", "Adresse Bonn", "Radweg Adria", "Bad"}},
      {"adr", {"Adresse Bonn", "Radweg Adria"}},
      {"adr b", {"Adresse Bonn"}},
      {"adr", {"Adresse Bonn", "Radweg Adria"}},
      {"a", {"Adler", "Adresse Bonn", "Radweg Adria", "Bad"}},
      {"ad r", {"Radweg Adria", "Adler", "Adresse Bonn"}},
  };
  for (const auto& [query, expected] : steps) EXPECT_EQ(names(query), expected) << query;
  UseRecord uses;
  uses.Add("Radweg Adria", kNow);
  index.Rank(uses, kNow);
  EXPECT_EQ(names("ad"),
            (std::vector<std::string>{"Radweg Adria", "Adler", "Adresse Bonn", "Bad"}));
}

TEST(PickSearch, TextOptionAndEncipheredTexts) {
  const Windows1252CodePage ansi;
  const IniDocument doc(
      "[Name]\r\n1=Gru\xDF\r\n2=Geheim\r\n3=Freundlich\r\n4=\r\n5=Danach\r\n"
      "[Text]\r\n1=Mit freundlichen Gr\xFC\xDF\x65n\\N\\LMax\r\n2=00FF\r\n5=freundlich\r\n"
      "[Crypt]\r\n2=1\r\n",
      ansi);
  EXPECT_EQ(PickSourcesOf(&doc, false).size(), 3u);  // up to the first empty name
  EXPECT_TRUE(PickSourcesOf(nullptr, true).empty());
  const auto with_text = PickSourcesOf(&doc, true);
  EXPECT_EQ(with_text[0].text, "Mit freundlichen Grüßen\r\nMax");
  EXPECT_EQ(with_text[1].text, "");
  EXPECT_EQ(Found(PickSourcesOf(&doc, false), "freundl"), (std::vector<std::string>{"Freundlich"}));
  // A match in the name at a word start goes before one in the text.
  EXPECT_EQ(Found(with_text, "freundl"), (std::vector<std::string>{"Freundlich", "Gruß"}));
  EXPECT_EQ(Found(with_text, "grüssen max gruss"), (std::vector<std::string>{"Gruß"}));
}

// The text scan looks eight places at a time: a word at every place of a text, at its ends,
// across the steps, or nearly there.
TEST(PickSearch, TextScanFindsAWordAtEveryPlace) {
  for (std::size_t at = 0; at <= 20; ++at) {
    const std::string text = std::string(at, 'a') + "xyz" + std::string(20 - at, 'a');
    const std::pair<const char*, bool> words[] = {
        {"xyz", true}, {"axyz", at > 0}, {"xyza", at < 20}, {"xy", true},  {"yz", true},
        {"z", true},   {"xza", false},   {"xyy", false},    {"zyx", false}};
    for (const auto& [word, found] : words) {
      EXPECT_EQ(Found({{"n", text}}, word).size(), found ? 1u : 0u) << text << " / " << word;
    }
  }
  EXPECT_TRUE(Found({{"n", "xy"}}, "xyz").empty());
}

}  // namespace
}  // namespace qm
