// The formats a library moves in and out by.
#include "transfer/library_files.h"

#include "transfer/beeftext.h"
#include "transfer/hotstrings.h"
#include "transfer/library_csv.h"
#include "transfer/library_json.h"

namespace qm {
namespace {

const std::pair<const char*, LibraryFormat> kFormats[] = {
    {"csv", LibraryFormat::kCsv},         {"json", LibraryFormat::kJson},
    {"espanso", LibraryFormat::kEspanso}, {"beeftext", LibraryFormat::kBeeftext},
    {"ahk", LibraryFormat::kAhk},
};

std::string Quoted(const std::string& text) {
  return "„" + text + "“";
}

std::string Where(std::size_t line, const std::string& entry, const char* line_word) {
  std::string where = std::string(line_word) + " " + std::to_string(line);
  if (!entry.empty()) where += " " + Quoted(entry);
  return where;
}

}  // namespace

std::optional<LibraryFormat> LibraryFormatNamed(std::string_view name) {
  for (const auto& [text, format] : kFormats) {
    if (name == text) return format;
  }
  return std::nullopt;
}

bool CanExportTo(LibraryFormat format) {
  return format == LibraryFormat::kCsv || format == LibraryFormat::kJson;
}

bool ReadLibrary(LibraryFormat format, std::string_view bytes, ImportResult* result,
                 TextProblem* problem, FormatReader yaml_reader) {
  switch (format) {
    case LibraryFormat::kCsv:
      return ReadCsvLibrary(bytes, result, problem);
    case LibraryFormat::kJson:
      return ReadJsonLibrary(bytes, result, problem);
    case LibraryFormat::kEspanso:
      if (yaml_reader) return yaml_reader(bytes, result, problem);
      break;
    case LibraryFormat::kBeeftext:
      return ReadBeeftextCombos(bytes, result, problem);
    case LibraryFormat::kAhk:
      return ReadHotstrings(bytes, result, problem);
  }
  *problem = {0, "Dieses Format kann hier nicht gelesen werden."};
  return false;
}

LoadFailure LoadLibraryFile(FileSystem& fs, const std::string& path, LibraryFormat format,
                            ImportResult* result, std::string* message, FormatReader yaml_reader) {
  const std::string named = Quoted(path);
  const FileStamp stamp = fs.Stat(path);
  if (!stamp.exists) {
    *message = "Die Datei " + named + " gibt es nicht.";
    return LoadFailure::kMissing;
  }
  if (stamp.size > kLargestImport) {
    *message = named + ": Die Datei ist mit " +
               std::to_string((stamp.size + (1u << 20) - 1) >> 20) +
               " MB zu groß für eine Bibliothek (höchstens 64 MB).";
    return LoadFailure::kTooLarge;
  }
  const std::optional<std::string> bytes = fs.ReadAll(path);
  if (!bytes) {
    *message = "Die Datei " + named + " kann nicht gelesen werden.";
    return LoadFailure::kUnreadable;
  }
  TextProblem problem;
  if (!ReadLibrary(format, *bytes, result, &problem, yaml_reader)) {
    *message = named;
    if (problem.line > 0) *message += ", Zeile " + std::to_string(problem.line);
    *message += ": " + problem.what;
    return LoadFailure::kBad;
  }
  return LoadFailure::kNone;
}

std::vector<std::string> ImportReport(const std::vector<ImportNote>& notes,
                                      const std::vector<ImportConflict>& conflicts) {
  std::vector<std::string> lines;
  for (const ImportNote& n : notes)
    lines.push_back(Where(n.line, n.entry, "Zeile") + ": " + n.what);
  for (const ImportConflict& c : conflicts) {
    std::string line = Where(c.line, c.name, "Zeile") + ": " +
                       (c.by_abbreviation ? "das Kürzel hat schon " : "den Namen hat schon ") +
                       Quoted(c.existing_name) + "; bisher " + Quoted(c.old_start) + ", neu " +
                       Quoted(c.new_start);
    if (!c.kept_name.empty()) line += "; behalten als " + Quoted(c.kept_name);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> ExportReport(const std::vector<ImportNote>& notes) {
  std::vector<std::string> lines;
  for (const ImportNote& n : notes) {
    lines.push_back((n.entry.empty() ? Where(n.line, "", "Eintrag") : Quoted(n.entry)) + ": " +
                    n.what);
  }
  return lines;
}

std::string WriteLibrary(LibraryFormat format, const std::vector<ImportedEntry>& entries) {
  switch (format) {
    case LibraryFormat::kCsv:
      return WriteCsvLibrary(entries);
    case LibraryFormat::kJson:
      return WriteJsonLibrary(entries);
    default:
      return std::string();
  }
}

bool ExportHitsLibrary(FileSystem& fs, const std::string& target, const std::string& data_file) {
  return fs.SameFile(target, data_file) || fs.SameFile(target, data_file + kLockFileSuffix);
}

}  // namespace qm
