// CSV as spreadsheets write it.
#include "transfer/csv.h"

#include <algorithm>

#include "platform/portable_code_pages.h"
#include "text/utf.h"

namespace qm {
namespace {

bool DecodeUtf16(std::string_view bytes, bool little_endian, std::string* utf8,
                 TextProblem* problem) {
  if (bytes.size() % 2 != 0) {
    *problem = {0, "Die Datei ist als UTF-16 gekennzeichnet, hat aber eine ungerade Länge."};
    return false;
  }
  std::string out;
  out.reserve(bytes.size());
  std::size_t line = 1;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto unit = [&](std::size_t at) {
      const auto lo = static_cast<unsigned char>(bytes[at + (little_endian ? 0 : 1)]);
      const auto hi = static_cast<unsigned char>(bytes[at + (little_endian ? 1 : 0)]);
      return static_cast<char32_t>(hi << 8 | lo);
    };
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      *problem = {line, "Die Datei enthält ein einzelnes Ersatzzeichen (Surrogat) von UTF-16."};
      return false;
    }
    if (cp == 0) {
      *problem = {line, "Die Datei enthält Nullzeichen."};
      return false;
    }
    if (cp == U'\n') ++line;
    AppendUtf8(out, cp);
  }
  *utf8 = std::move(out);
  return true;
}

}  // namespace

std::size_t LineAt(std::string_view text, std::size_t pos) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
    // CR LF, CR and LF each end a line.
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

bool DecodeTextFile(std::string_view bytes, std::string* utf8, TextProblem* problem) {
  if (bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(bytes.substr(2), true, utf8, problem);
  if (bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(bytes.substr(2), false, utf8, problem);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t at = pos;
    bool malformed = false;
    NextCodePoint(bytes, pos, &malformed);
    if (malformed || bytes[at] == '\0') {
      *problem = {LineAt(bytes, at),
                  bytes[at] == '\0'
                      ? "Die Datei enthält Nullbytes: vermutlich UTF-16 ohne Byte-Order-Mark. "
                        "Speichern Sie sie als UTF-8."
                      : "Die Datei ist nicht in UTF-8 oder UTF-16 gespeichert (vermutlich in "
                        "der Windows-Kodierung). Speichern Sie sie als UTF-8 (in Excel: "
                        "„CSV UTF-8“)."};
      return false;
    }
  }
  utf8->assign(bytes);
  return true;
}

bool ReadCsv(std::string_view bytes, CsvTable* table, TextProblem* problem, std::size_t most_rows) {
  std::string text;
  CsvTable out;
  if (!DecodeTextFile(bytes, &text, problem)) {
    // Without a mark, bytes that are no UTF-8 (and no UTF-16: it would hold zero bytes) are
    // what a spreadsheet on a German Windows writes.
    const bool marked = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
                        bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (marked || bytes.find('\0') != std::string_view::npos) return false;
    text = Windows1252CodePage().ToUtf8(bytes);
    out.windows_1252 = true;
  }
  // The separator that the first row with any holds more often outside quotes.
  std::size_t commas = 0, semicolons = 0;
  for (std::size_t i = 0, quoted = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') quoted ^= 1;
    if (quoted) continue;
    if ((c == '\r' || c == '\n') && commas + semicolons > 0) break;
    commas += c == ',';
    semicolons += c == ';';
  }
  out.separator = semicolons > commas ? ';' : ',';

  std::size_t line = 1, pos = 0;
  const auto line_end = [&](std::size_t at) { return text[at] == '\n' || text[at] == '\r'; };
  const auto skip_line_end = [&] {
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
    ++pos;
    ++line;
  };
  while (pos < text.size() && out.rows.size() < most_rows) {
    if (line_end(pos)) {  // a line without any character
      skip_line_end();
      continue;
    }
    std::vector<std::string> row;
    const std::size_t row_line = line;
    for (;;) {
      std::string field;
      if (pos < text.size() && text[pos] == '"') {
        const std::size_t opened = line;
        ++pos;
        for (;;) {
          if (pos >= text.size()) {
            *problem = {opened, "Ein Feld in Anführungszeichen wird nicht geschlossen."};
            return false;
          }
          const char c = text[pos];
          if (c == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
              field += '"';
              pos += 2;
              continue;
            }
            ++pos;
            break;
          }
          if (c == '\n' || (c == '\r' && (pos + 1 >= text.size() || text[pos + 1] != '\n'))) {
            ++line;
          }
          field += c;
          ++pos;
        }
        if (pos < text.size() && text[pos] != out.separator && !line_end(pos)) {
          *problem = {line,
                      "Nach dem schließenden Anführungszeichen eines Feldes folgt weiterer Text; "
                      "ein Anführungszeichen im Feld wird verdoppelt (\"\")."};
          return false;
        }
      } else {
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != out.separator && !line_end(pos)) ++pos;
        field.assign(text, start, pos - start);
      }
      row.push_back(std::move(field));
      if (pos < text.size() && text[pos] == out.separator) {
        ++pos;
        continue;
      }
      if (pos < text.size()) skip_line_end();
      break;
    }
    out.rows.push_back(std::move(row));
    out.lines.push_back(row_line);
  }
  *table = std::move(out);
  return true;
}

std::string WriteCsv(const std::vector<std::vector<std::string>>& rows) {
  std::string out = "\xEF\xBB\xBF";
  for (const std::vector<std::string>& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      const std::string& f = row[i];
      if (i > 0) out += ';';
      const bool quote = f.find_first_of(";,\"\r\n") != std::string::npos ||
                         (!f.empty() && (f.front() == ' ' || f.back() == ' ')) ||
                         (f.empty() && row.size() == 1);
      if (!quote) {
        out += f;
        continue;
      }
      out += '"';
      for (const char c : f) {
        if (c == '"') out += '"';
        out += c;
      }
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace qm
