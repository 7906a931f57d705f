// The import and export commands of the main window, between the file dialogs, the question
// about conflicts, the report and transfer/.
#include "quillet/library/library_transfer.h"

#include <nlohmann/json.hpp>

#include <iterator>
#include <new>
#include <string_view>
#include <utility>

#include "text/utf.h"
#include "transfer/library_export.h"
#include "transfer/library_import.h"

namespace qm {
namespace {

std::string Quoted(const std::string& text) {
  return "\xE2\x80\x9E" + text + "\xE2\x80\x9C";
}

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

// A Beeftext export keeps its entries under "combos"; ours has no such key.
bool HoldsCombos(const std::string& path, FileSystem& fs) {
  if (fs.Stat(path).size > kLargestImport) return false;  // refused as too large later
  const std::optional<std::string> bytes = fs.ReadAll(path);
  if (!bytes) return false;
  const nlohmann::json doc = nlohmann::json::parse(*bytes, nullptr, false);
  return doc.is_object() && doc.contains("combos");
}

OnConflict OnConflictOf(ConflictChoice choice) {
  switch (choice) {
    case ConflictChoice::kKeep:
      return OnConflict::kKeep;
    case ConflictChoice::kReplace:
      return OnConflict::kReplace;
    default:
      return OnConflict::kSkip;
  }
}

const char* DoneWith(ConflictChoice choice) {
  switch (choice) {
    case ConflictChoice::kKeep:
      return "; beide behalten";
    case ConflictChoice::kReplace:
      return "; ersetzt";
    case ConflictChoice::kSkip:
      return "; übersprungen";
    default:
      return "";
  }
}

}  // namespace

const std::vector<FileType>& ImportFileTypes() {
  static const std::vector<FileType> types = {
      {"Quillet-Bibliothek, CSV (*.csv)", "*.csv"},
      {"Quillet-Bibliothek, JSON (*.json)", "*.json"},
      {"espanso (*.yml;*.yaml)", "*.yml;*.yaml"},
      {"Beeftext (*.json)", "*.json"},
      {"AutoHotkey (*.ahk)", "*.ahk"},
      {"Alle Dateien (*.*)", "*.*"},
  };
  return types;
}

const std::vector<FileType>& ExportFileTypes() {
  static const std::vector<FileType> types = {{"CSV (*.csv)", "*.csv"},
                                              {"JSON (*.json)", "*.json"}};
  return types;
}

std::optional<LibraryFormat> ImportFormatOf(std::size_t type, const std::string& path,
                                            FileSystem& fs) {
  constexpr LibraryFormat kByType[] = {LibraryFormat::kCsv, LibraryFormat::kJson,
                                       LibraryFormat::kEspanso, LibraryFormat::kBeeftext,
                                       LibraryFormat::kAhk};
  // Both JSON types read *.json: a Beeftext export taken for ours is read as what it is.
  if (type == 1 && HoldsCombos(path, fs)) return LibraryFormat::kBeeftext;
  if (type < std::size(kByType)) return kByType[type];
  const std::string ext = LowerExtension(path);
  if (ext == "csv") return LibraryFormat::kCsv;
  if (ext == "yml" || ext == "yaml") return LibraryFormat::kEspanso;
  if (ext == "ahk") return LibraryFormat::kAhk;
  if (ext == "json") return HoldsCombos(path, fs) ? LibraryFormat::kBeeftext : LibraryFormat::kJson;
  return std::nullopt;
}

std::string ImportSummary(const ImportOutcome& outcome) {
  return std::to_string(outcome.added) + " hinzugefügt, " + std::to_string(outcome.replaced) +
         " ersetzt, " + std::to_string(outcome.skipped) + " übersprungen.";
}

std::string FileNameOf(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const bool bad = static_cast<unsigned char>(c) < 0x20 ||
                     std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    out += bad ? '_' : c;
  }
  // Windows drops dots and blanks at the end of a name.
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out.empty() ? "Eintrag" : out;
}

bool LibraryTransfer::Import() {
  if (busy_) return false;
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};
  bool stored = false;
  try {
    return ImportFile(&stored);
  } catch (const std::bad_alloc&) {
    // What a file expands to can pass the memory before any bound; nothing of it stays.
    if (stored && changed_) changed_();
    Tell(stored ? "Die Einträge wurden übernommen; für den Bericht reicht der Speicher nicht."
                : "Für diesen Import reicht der Speicher nicht; es wurde nichts übernommen.",
         MessageIcon::kExclamation);
    return stored;
  }
}

bool LibraryTransfer::ImportFile(bool* stored) {
  const std::optional<ChosenFile> chosen =
      s_.files.ChooseFileToOpen("Bibliothek importieren", ImportFileTypes());
  if (!chosen) return false;
  FileSystem& fs = s_.apart_fs ? *s_.apart_fs : s_.fs;
  std::optional<LibraryFormat> format;
  ImportResult read;
  std::string message;
  LoadFailure failure = LoadFailure::kNone;
  if (!s_.windows.RunApart([&] {
        format = ImportFormatOf(chosen->type, chosen->path, fs);
        if (format) {
          failure = LoadLibraryFile(fs, chosen->path, *format, &read, &message, s_.yaml_reader);
        }
      })) {
    return false;
  }
  if (!format) {
    Tell("Das Format der Datei " + Quoted(chosen->path) +
             " ist an ihrer Endung nicht zu erkennen.\r\n\r\nBitte wählen Sie im Dialog den "
             "Dateityp aus.",
         MessageIcon::kExclamation);
    return false;
  }
  if (failure != LoadFailure::kNone) {
    Tell(message + "\r\n\r\nEs wurde nichts übernommen.", MessageIcon::kExclamation);
    return false;
  }
  if (read.entries.empty()) {
    Report("Import", "Die Datei " + Quoted(chosen->path) + " enthält keine Einträge.",
           ImportReport(read.notes, {}));
    return false;
  }
  if (ensure_storable_) {
    // An enciphered text stays in the code page whatever the file's encoding: not asked for.
    std::vector<std::string> values;
    for (const ImportedEntry& e : read.entries) {
      values.insert(values.end(), {e.name, e.title, e.abbreviation});
      if (!e.crypt) values.push_back(e.text);
    }
    if (!ensure_storable_(values)) return false;
  }
  ImportOutcome outcome;
  ConflictChoice choice = ConflictChoice::kCancel;  // none asked for
  Status status = Status::Ok();
  EntryStore& store = s_.apart_entries ? *s_.apart_entries : s_.entries;
  const std::string data_file = data_file_;  // the thread's own copy
  // Stores as `how` says; false when the program ends meanwhile.
  const auto store_as = [&](OnConflict how) {
    const bool going_on = s_.windows.RunApart(
        [&] { status = ImportEntries(store, read.entries, how, data_file, &outcome); });
    *stored = status.ok();
    return going_on;
  };
  if (!store_as(OnConflict::kAsk)) return *stored;
  if (!status && !outcome.conflicts.empty()) {
    const std::size_t n = outcome.conflicts.size();
    const bool one = n == 1;
    choice = s_.windows.AskConflicts(
        std::to_string(n) + (one ? " Eintrag" : " Einträge") + " aus " + Quoted(chosen->path) +
            (one ? " trifft auf einen Eintrag" : " treffen auf Einträge") +
            " der Bibliothek mit demselben Namen oder Kürzel. Was soll mit " +
            (one ? "ihm geschehen?" : "ihnen geschehen? Die Wahl gilt für alle."),
        ImportReport({}, outcome.conflicts));
    if (choice == ConflictChoice::kCancel) return false;
    // Asked again under the file's lock: the library may have changed while the user chose.
    if (!store_as(OnConflictOf(choice))) return *stored;
  }
  if (!status) {
    Tell("Die Einträge konnten nicht übernommen werden; die Bibliothek ist unverändert.\r\n\r\n" +
             status.message,
         MessageIcon::kExclamation);
    return false;
  }
  if (changed_) changed_();
  if (select_ && outcome.first_number > 0) select_(outcome.first_number, outcome.first_name);
  read.notes.insert(read.notes.end(), outcome.notes.begin(), outcome.notes.end());
  // Each conflict with what became of it.
  std::vector<std::string> lines = ImportReport(read.notes, {});
  for (std::string& line : ImportReport({}, outcome.conflicts)) {
    lines.push_back(line + DoneWith(choice));
  }
  Report("Import", ImportSummary(outcome), lines);
  return true;
}

void LibraryTransfer::Export(const std::optional<EntryKey>& entry) {
  if (busy_) return;
  const std::optional<ChosenFile> chosen = s_.files.ChooseFileToSave(
      entry ? "Eintrag exportieren" : "Bibliothek exportieren", ExportFileTypes(),
      entry ? FileNameOf(entry->name) : "Quillet-Bibliothek");
  if (!chosen) return;
  // The library overwritten by its own export would be lost.
  if (ExportHitsLibrary(s_.fs, chosen->path, data_file_)) {
    Tell(
        "Die Datendatei selbst und ihre Sperrdatei können nicht das Ziel eines Exports sein; "
        "bitte wählen Sie eine andere Datei.",
        MessageIcon::kExclamation);
    return;
  }
  std::vector<int> numbers;
  if (entry) {
    SnippetEntry found;
    StoredFields fields;
    const int number = s_.entries.FindEntry(*entry, data_file_, &found, &fields).number;
    if (number <= 0) {
      Tell("Der Eintrag " + Quoted(entry->name) +
               " ist in der Datendatei nicht mehr zu finden; ein anderes Programm hat sie "
               "geändert. Es wurde nichts exportiert.",
           MessageIcon::kExclamation);
      return;
    }
    numbers.push_back(number);
  }
  // A name typed with its extension says the format, whatever the type left in the dialog.
  const std::string ext = LowerExtension(chosen->path);
  const LibraryFormat format = ext == "json"       ? LibraryFormat::kJson
                               : ext == "csv"      ? LibraryFormat::kCsv
                               : chosen->type == 1 ? LibraryFormat::kJson
                                                   : LibraryFormat::kCsv;
  std::vector<ImportedEntry> entries;
  ExportOutcome outcome;
  Status status = CollectEntries(s_.entries, data_file_, numbers, false, &entries, &outcome);
  if (status && outcome.left_out > 0) {
    const bool one = outcome.left_out == 1;
    const MessageAnswer answer = s_.dialogs.ShowMessage(
        one ? "1 Eintrag ist chiffriert. Soll er entschlüsselt in die Datei geschrieben werden?"
            : std::to_string(outcome.left_out) +
                  " Einträge sind chiffriert. Sollen sie entschlüsselt in die Datei geschrieben "
                  "werden?",
        app_title_, MessageIcon::kQuestion, MessageButtons::kYesNoCancel);
    if (answer == MessageAnswer::kCancel) return;
    if (answer == MessageAnswer::kYes) {
      entries.clear();
      status = CollectEntries(s_.entries, data_file_, numbers, true, &entries, &outcome);
    }
  }
  if (!status) {
    Tell("Die Bibliothek konnte nicht gelesen werden; es wurde nichts exportiert.\r\n\r\n" +
             status.message,
         MessageIcon::kExclamation);
    return;
  }
  if (entries.empty()) {
    Report("Export", "Es gibt keine Einträge zu exportieren; es wurde keine Datei geschrieben.",
           ExportReport(outcome.notes));
    return;
  }
  const std::string bytes = WriteLibrary(format, entries);
  if (bytes.empty()) {
    Tell("In dieses Format kann noch nicht exportiert werden; es wurde nichts geschrieben.",
         MessageIcon::kExclamation);
    return;
  }
  if (Status s = s_.fs.ReplaceAtomically(chosen->path, bytes); !s) {
    Tell("Die Datei " + Quoted(chosen->path) + " konnte nicht geschrieben werden.\r\n\r\n" +
             s.message,
         MessageIcon::kExclamation);
    return;
  }
  std::string summary = std::to_string(outcome.written) + " exportiert";
  if (outcome.left_out > 0) {
    summary += ", " + std::to_string(outcome.left_out) + " chiffrierte ausgelassen";
  }
  Report("Export", summary + ".", ExportReport(outcome.notes));
}

void LibraryTransfer::Tell(const std::string& text, MessageIcon icon) {
  s_.dialogs.ShowMessage(text, app_title_, icon, MessageButtons::kOk);
}

void LibraryTransfer::Report(const std::string& title, const std::string& summary,
                             const std::vector<std::string>& lines) {
  if (lines.empty()) {
    Tell(summary, MessageIcon::kInformation);
  } else {
    s_.windows.ShowReport(title, summary, lines);
  }
}

}  // namespace qm
