// What the importers of other snippet tools share: line breaks as Enters, a peer's date and
// time formats as Quillet's placeholders, the wording of their notes, and the bounds of what
// one import brings in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Each line break (CR LF, LF or CR) as the one CR that types an Enter.
std::string LineBreaksAsEnters(std::string_view text);

// A date or time format in the C library's style (%d.%m.%Y, %H:%M, %A, ...) as Quillet's
// placeholders; nullopt when a piece of it has none (%B, %y, %e, a 12-hour clock, ...).
std::optional<std::string> StrftimeAsPlaceholders(std::string_view format);

// The same for a format in Qt's style (dd.MM.yyyy, HH:mm, dddd, 'text' in quotes).
std::optional<std::string> QtFormatAsPlaceholders(std::string_view format);

// „text“, cut short after 60 characters so that a long script stays one line of the report.
std::string Quoted(std::string_view text);

// A note when the peer's text holds what Quillet reads as a placeholder of its own
// ("%datum%", "%datei=...", "%cursor%", "%eingabe=..."), which a peer types as it stands.
void NoteOwnPlaceholders(const std::string& text, const ImportedEntry& entry, ImportResult* out);

// A peer's field as the word of Quillet's form that asks it: "%eingabe=NAME%",
// "%mehrzeilig=NAME%" or, with `choices`, "%auswahl=NAME:A|B%". Nullopt where Quillet could
// not read it so: a name that is empty, longer than 64 characters or holds "%" (a choice's
// ":" too), no choices, or a choice that holds "%" or "|".
enum class PeerField { kLine, kLines, kChoice };
std::optional<std::string> FieldWord(PeerField kind, std::string_view name,
                                     const std::vector<std::string>& choices = {});

// The notes in the order of their lines, so that the report follows the file.
void SortNotesByLine(ImportResult* result);

// What one import may bring in, whatever the file expands to (aliases, repeated keys,
// variables): the entries' texts, names and the other fields with the notes, together as much
// as the largest file holds, and the entries of a large library with room to spare.
inline constexpr std::size_t kMostImportedText = 64u << 20;
inline constexpr std::size_t kMostImportedEntries = 100000;

// Keeps count while a reader works, so that it stops as soon as a bound is passed instead of
// after everything was expanded.
class ImportBounds {
 public:
  // Counts what `result` has gained since the last look (entries and notes are only ever
  // added at the end). False once a bound is passed; `problem` then names it at `line`.
  bool Within(const ImportResult& result, std::size_t line, TextProblem* problem);
  // Counts text a reader takes from the file before it makes entries of it, where one piece
  // of the file can stand for many (a YAML alias, a variable): false once that text alone
  // passes kMostImportedText.
  bool Expands(std::size_t bytes, std::size_t line, TextProblem* problem);
  // The problem of a file with more entries than kMostImportedEntries.
  static TextProblem TooManyEntries(std::size_t line);

 private:
  std::size_t entries_ = 0, notes_ = 0, text_ = 0, expanded_ = 0;
};

}  // namespace qm
