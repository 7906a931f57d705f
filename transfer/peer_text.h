// What the importers of other snippet tools share: line breaks as Enters, a peer's date and
// time formats as Quillet's placeholders, and the wording of their notes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
// ("%datum%", "%datei=..."), which a peer types as it stands.
void NoteOwnPlaceholders(const std::string& text, const ImportedEntry& entry, ImportResult* out);

// The notes in the order of their lines, so that the report follows the file.
void SortNotesByLine(ImportResult* result);

}  // namespace qm
