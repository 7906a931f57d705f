// CSV as spreadsheets write it: reading (RFC 4180; UTF-8 with or without byte-order mark, or
// UTF-16 with one; comma or semicolon) and writing (UTF-8 with byte-order mark, semicolon, as
// a spreadsheet on a German Windows opens it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What is wrong with a file, and where: `line` counts from 1 (0: the file as a whole).
struct TextProblem {
  std::size_t line = 0;
  std::string what;
};

// The text of a file's bytes as UTF-8: UTF-8 with or without its byte-order mark, or UTF-16
// (either order) with one. Anything else (a single-byte code page, UTF-16 without its mark)
// is refused with the line of the first byte that does not fit.
bool DecodeTextFile(std::string_view bytes, std::string* utf8, TextProblem* problem);

// The line of the byte at `pos` in `text`, counted from 1; CR LF, CR and LF each end a line.
std::size_t LineAt(std::string_view text, std::size_t pos);

struct CsvTable {
  char separator = ',';
  // The file was no UTF-8 and had no byte-order mark: read as Windows-1252, as a German
  // spreadsheet saves "CSV (Trennzeichen-getrennt)".
  bool windows_1252 = false;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::size_t> lines;  // the line each row starts on
};

// Reads the file's rows. The separator is the one of comma and semicolon that the first row
// holding either holds more often outside quotes (comma when none does). A field in double quotes
// may hold separators, line breaks (kept as the file has them) and doubled quotes; a quote inside a
// field without them is a character. Lines without any character are passed over. A quoted
// field that never ends, or characters after its closing quote, are refused with the line.
// Reading stops after `most_rows` rows: a caller that takes no more needs no more in memory.
bool ReadCsv(std::string_view bytes, CsvTable* table, TextProblem* problem,
             std::size_t most_rows = static_cast<std::size_t>(-1));

// The rows as a file: byte-order mark, semicolons, CR LF after each row; a field that holds
// a separator, a quote, a line break, or blanks at its ends, or that is a row's only and
// empty field, goes in double quotes. ReadCsv gives the rows back.
std::string WriteCsv(const std::vector<std::vector<std::string>>& rows);

}  // namespace qm
