// A library as a CSV file.
#include "transfer/library_csv.h"

#include <array>
#include <optional>

#include "text/text_lists.h"
#include "text/utf.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

enum Column {
  kName, kText, kAbbreviation, kAtOnce, kTitle, kDosBox, kCrypt, kDelivery, kHtml, kColumns
};

struct ColumnName {
  const char* english;
  const char* german;
};
constexpr std::array<ColumnName, kColumns> kColumnNames = {{
    {"name", "Name"},
    {"text", "Text"},
    {"abbreviation", "Kürzel"},
    {"immediate", "Sofort"},
    {"title", "Titel"},
    {"dosbox", "DOS-Box"},
    {"crypt", "Chiffriert"},
    {"delivery", "Zustellung"},
    {"html", "HTML"},
}};

std::optional<int> ColumnOf(std::string_view header) {
  const std::string wanted = FoldCase(TrimBlanks(header));
  for (int c = 0; c < kColumns; ++c) {
    if (wanted == FoldCase(kColumnNames[c].english) || wanted == FoldCase(kColumnNames[c].german)) {
      return c;
    }
  }
  return std::nullopt;
}

std::optional<bool> Flag(std::string_view value) {
  const std::string v = FoldCase(TrimBlanks(value));
  for (const char* yes : {"1", "x", "ja", "yes", "wahr", "true"}) {
    if (v == yes) return true;
  }
  for (const char* no : {"", "0", "nein", "no", "falsch", "false"}) {
    if (v == no) return false;
  }
  return std::nullopt;
}

}  // namespace

std::string ImportedName(std::string_view given, std::size_t line, std::vector<ImportNote>* notes) {
  std::string name = LineBreaksAsEnters(given);
  const bool broken = name.find('\r') != std::string::npos;
  for (char& c : name) c = c == '\r' ? ' ' : c;
  // Trimmed after, so that a break at an end leaves no blank that a second import would trim.
  name = TrimBlanks(name);
  if (broken && !name.empty()) {
    notes->push_back({line, name, "Die Zeilenumbrüche im Namen werden zu Leerzeichen."});
  }
  return name;
}

bool ReadCsvLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  CsvTable table;
  // The header and one row past the bound tell that the file passes it.
  if (!ReadCsv(bytes, &table, problem, kMostImportedEntries + 2)) return false;
  if (table.rows.size() > kMostImportedEntries + 1) {
    *problem = ImportBounds::TooManyEntries(table.lines.back());
    return false;
  }
  ImportResult out;
  if (table.windows_1252) {
    out.notes.push_back({0, "",
                         "Die Datei ist nicht in UTF-8 gespeichert; sie wurde als Windows-1252 "
                         "gelesen, wie Excel „CSV (Trennzeichen-getrennt)“ speichert."});
  }
  if (table.rows.empty()) {
    *result = std::move(out);
    return true;
  }
  std::array<int, kColumns> at;
  at.fill(-1);
  const std::vector<std::string>& header = table.rows.front();
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::optional<int> column = ColumnOf(header[i]);
    if (!column || at[*column] >= 0) {
      out.notes.push_back({table.lines.front(), "",
                           "Die Spalte „" + header[i] + "“ wird nicht übernommen" +
                               (column ? " (sie steht doppelt)." : ".")});
      continue;
    }
    at[*column] = static_cast<int>(i);
  }
  if (at[kName] < 0 || at[kText] < 0) {
    *problem = {table.lines.front(),
                "Die Kopfzeile muss die Spalten „Name“ und „Text“ nennen (oder „name“ und "
                "„text“), durch Komma oder Semikolon getrennt."};
    return false;
  }
  ImportBounds bounds;
  for (std::size_t r = 1; r < table.rows.size(); ++r) {
    const std::vector<std::string>& row = table.rows[r];
    const std::size_t line = table.lines[r];
    if (!bounds.Within(out, line, problem)) return false;
    const auto field = [&](int column) {
      const int i = at[column];
      return i >= 0 && static_cast<std::size_t>(i) < row.size() ? row[i] : std::string();
    };
    ImportedEntry e;
    e.line = line;
    e.name = ImportedName(field(kName), line, &out.notes);
    if (e.name.empty()) {
      out.notes.push_back({line, "", "Eine Zeile ohne Namen wird übergangen."});
      continue;
    }
    e.text = LineBreaksAsEnters(field(kText));
    e.abbreviation = TrimBlanks(field(kAbbreviation));
    e.title = field(kTitle);
    e.delivery = TrimBlanks(field(kDelivery));
    e.html = field(kHtml);
    const std::pair<int, bool*> flags[] = {
        {kAtOnce, &e.at_once}, {kDosBox, &e.dosbox}, {kCrypt, &e.crypt}};
    for (const auto& [column, flag] : flags) {
      const std::optional<bool> value = Flag(field(column));
      *flag = value.value_or(false);
      if (!value) {
        out.notes.push_back({line, e.name,
                             "„" + field(column) + "“ in der Spalte „" +
                                 kColumnNames[column].german +
                                 "“ lässt sich nicht als ja oder nein lesen und gilt als nein."});
      }
    }
    if (row.size() > header.size()) {
      out.notes.push_back({line, e.name,
                           "Die Zeile hat mehr Felder als die Kopfzeile Spalten; die "
                           "überzähligen werden nicht übernommen."});
    }
    out.entries.push_back(std::move(e));
  }
  if (!bounds.Within(out, table.lines.back(), problem)) return false;
  *result = std::move(out);
  return true;
}

std::string WriteCsvLibrary(const std::vector<ImportedEntry>& entries) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(entries.size() + 1);
  rows.emplace_back();
  for (const ColumnName& c : kColumnNames) rows.back().push_back(c.german);
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  for (const ImportedEntry& e : entries) {
    // A spreadsheet breaks the lines of a cell with LF.
    std::string text = e.text;
    for (char& c : text) c = c == '\r' ? '\n' : c;
    rows.push_back({e.name, text, e.abbreviation, flag(e.at_once), e.title, flag(e.dosbox),
                    flag(e.crypt), e.delivery, e.html});
  }
  return WriteCsv(rows);
}

}  // namespace qm
