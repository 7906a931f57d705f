// The formats a library moves in and out by, and what every import and export shares: the
// file's size and reading, the choice of reader or writer, and the report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "transfer/csv.h"
#include "transfer/imported.h"
#include "transfer/library_import.h"

namespace qm {

enum class LibraryFormat { kCsv, kJson, kEspanso, kBeeftext, kAhk };

// The format a command line names: "csv", "json", "espanso", "beeftext", "ahk".
std::optional<LibraryFormat> LibraryFormatNamed(std::string_view name);

// Our own formats, the ones an export writes.
bool CanExportTo(LibraryFormat format);

// Larger files are no library; reading them whole would only take the memory.
inline constexpr std::uint64_t kLargestImport = 64u << 20;

// A reader of one format, as ReadCsvLibrary.
using FormatReader = bool (*)(std::string_view bytes, ImportResult* result, TextProblem* problem);

// Reads the entries of a file in `format` from its bytes as they are. espanso's files need
// the YAML library, which lives apart from the core (see transfer/espanso.h): `yaml_reader`
// reads them, and without one they are refused.
bool ReadLibrary(LibraryFormat format, std::string_view bytes, ImportResult* result,
                 TextProblem* problem, FormatReader yaml_reader);

enum class LoadFailure { kNone, kMissing, kTooLarge, kUnreadable, kBad };

// Reads the file `path` in `format`. Where it fails, `message` names the file and, where the
// fault has one, the line.
LoadFailure LoadLibraryFile(FileSystem& fs, const std::string& path, LibraryFormat format,
                            ImportResult* result, std::string* message, FormatReader yaml_reader);

// The report of an import, one line each: what reading and storing noted, entry by entry,
// then the conflicts.
std::vector<std::string> ImportReport(const std::vector<ImportNote>& notes,
                                      const std::vector<ImportConflict>& conflicts);

// The report of an export: what it left out, entry by entry.
std::vector<std::string> ExportReport(const std::vector<ImportNote>& notes);

// Whether an export to `target` would land on the library or on its lock file, whose
// replacement would let two writers in at once: compared as files, however they are named.
bool ExportHitsLibrary(FileSystem& fs, const std::string& target, const std::string& data_file);

// The entries as a file of one of our own formats (see CanExportTo).
std::string WriteLibrary(LibraryFormat format, const std::vector<ImportedEntry>& entries);

}  // namespace qm
