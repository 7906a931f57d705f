// A library as a CSV file: a header row naming the columns (in English or German, letter
// case ignored), then one entry per row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// An imported entry's name: blanks at its ends trimmed, its line breaks made blanks with a
// note. Empty where there is no name.
std::string ImportedName(std::string_view given, std::size_t line, std::vector<ImportNote>* notes);

// Reads the entries of a CSV file. The columns "name"/"Name" and "text"/"Text" are needed;
// "abbreviation"/"Kürzel", "immediate"/"Sofort", "title"/"Titel", "dosbox"/"DOS-Box",
// "crypt"/"Chiffriert" and "delivery"/"Zustellung" may follow, in any order. Each line break
// of a text becomes an Enter. A flag reads 1, x, ja, yes, wahr, true as set and 0, nein, no,
// falsch, false or nothing as not. What cannot be carried over (an unknown column, a row
// without a name, a flag that reads as neither, more fields than columns) is named in the
// notes, entry by entry; a file that cannot be read at all is refused with its line.
bool ReadCsvLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem);

// The entries as a CSV file with German column names, all columns, each Enter as a line
// break inside its field; ReadCsvLibrary gives them back.
std::string WriteCsvLibrary(const std::vector<ImportedEntry>& entries);

}  // namespace qm
