// The snippet library on the command line: list, show, expand, add, get, set, import and export.
#include "cli/quillet_cli.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <istream>
#include <iterator>
#include <new>
#include <ostream>

#include "platform/portable_code_pages.h"
#include "quillet/send/entry_lookup.h"
#include "quillet/send/sender.h"
#include "quillet/send/snippet_fields.h"
#include "store/entries.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/utf.h"
#include "transfer/espanso.h"
#include "transfer/library_export.h"
#include "transfer/library_files.h"

namespace qm {
namespace {

constexpr int kOk = 0, kMissing = 1, kUsage = 2, kFailed = 3;

const char kUsageText[] =
    "Aufruf: quillet-cli DATEI list | show NR [--html] "
    "| expand NAME|NR [--feld NAME=WERT]... [--zwischenablage TEXT] "
    "| add NAME [--title TITEL] [--crypt] [--dosbox] "
    "| get ABSCHNITT SCHLÜSSEL | set ABSCHNITT SCHLÜSSEL WERT "
    "| import FORMAT QUELLE [--on-conflict keep|replace|skip] "
    "| export FORMAT ZIEL [--decipher]  (FORMAT: csv, json, espanso, beeftext, ahk; "
    "Ausgabe: csv, json)";

int Usage(std::ostream& err) {
  err << kUsageText << "\n";
  return kUsage;
}

int Report(std::ostream& err, const Status& s) {
  err << s.message << "\n";
  return s.code == Status::Code::kRefused ? kUsage : kFailed;
}

// A positive entry number in plain decimal, as the data file keys them.
bool ParseEntryNumber(const std::string& text, int& number) {
  if (text.empty() || text.size() > 9 || text[0] == '0') return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  number = std::stoi(text);
  return true;
}

// The local time of the C library, in the formats of a German system.
class CLibraryClock : public Clock {
 public:
  LocalTime Now() override {
    const std::time_t now = std::time(nullptr);
    const std::tm* tm = std::localtime(&now);
    if (!tm) return {};
    return {tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour,
            tm->tm_min,         tm->tm_sec,     tm->tm_wday};
  }
  std::string ShortDate(const LocalTime& t) override {
    return Format("%02d.%02d.%04d", t.day, t.month, t.year);
  }
  std::string TimeOfDay(const LocalTime& t) override {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
  }
  std::string WeekdayName(const LocalTime& t) override {
    static const char* const kDays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                        "Donnerstag", "Freitag", "Samstag"};
    return t.weekday >= 0 && t.weekday <= 6 ? kDays[t.weekday] : "";
  }

 private:
  static std::string Format(const char* format, int a, int b, int c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
  }
};

std::string Quoted(const std::string& text) {
  return "\xE2\x80\x9E" + text + "\xE2\x80\x9C";
}

// The answer `given` for `field`, as the form would take it; false with the message where the
// field takes no such answer.
bool TakeAnswer(const SnippetField& field, const std::string& given, FieldValue& value,
                std::ostream& err) {
  if (field.kind == FieldKind::kOptional) {
    value.ticked = given == "1" || given == "ja";
    if (value.ticked || given == "0" || given == "nein") return true;
    err << "Das Feld " << Quoted(field.name) << " nimmt nur 1, ja, 0 oder nein.\n";
    return false;
  }
  if (field.kind == FieldKind::kChoice &&
      std::find(field.choices.begin(), field.choices.end(), given) == field.choices.end()) {
    err << Quoted(given) << " ist keine Auswahl des Feldes " << Quoted(field.name) << ".\n";
    return false;
  }
  value.text = given;
  return true;
}

}  // namespace

int RunQuilletCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                  std::ostream& err, FileSystem& fs, const CodePage& ansi, Clock* clock) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsageText << "\n";
    return kOk;
  }
  if (args.size() < 2) return Usage(err);
  const std::string& file = args[0];
  const std::string& command = args[1];
  IniStore ini(fs, ansi);
  // The cipher's codes are single-byte ones on every system.
  EntryStore entries(ini, SingleByteCodePage(ansi));
  // kOk, or the exit code for a file that is missing or cannot be read, with its message.
  auto check_file = [&]() {
    if (!fs.Stat(file).exists) {
      err << "Die Datei \xE2\x80\x9E" << file << "\xE2\x80\x9C gibt es nicht.\n";
      return kMissing;
    }
    if (!fs.ReadAll(file)) {
      err << "Die Datei \xE2\x80\x9E" << file << "\xE2\x80\x9C kann nicht gelesen werden.\n";
      return kFailed;
    }
    return kOk;
  };

  if (command == "list" && args.size() == 2) {
    if (const int code = check_file(); code != kOk) return code;
    const int count = entries.CountEntries(file);
    for (int n = 1; n <= count; ++n) {
      out << n << '\t' << ini.ReadIniValue("Name", std::to_string(n), "", file) << '\n';
    }
    return kOk;
  }

  if (command == "show" && (args.size() == 3 || (args.size() == 4 && args[3] == "--html"))) {
    int number = 0;
    if (!ParseEntryNumber(args[2], number)) {
      err << "\xE2\x80\x9E" << args[2] << "\xE2\x80\x9C ist keine Eintragsnummer.\n";
      return kUsage;
    }
    if (const int code = check_file(); code != kOk) return code;
    if (number > entries.CountEntries(file)) {
      err << "Einen Eintrag " << number << " gibt es nicht.\n";
      return kMissing;
    }
    const SnippetEntry entry = entries.ReadEntry(number, file);
    if (args.size() == 4 && entry.html.empty()) {
      err << "Der Eintrag " << number << " hat keine formatierte Fassung.\n";
      return kMissing;
    }
    out << UnescapeStoredText(args.size() == 4 ? entry.html : entry.text);
    return kOk;
  }

  if (command == "expand" && args.size() >= 3) {
    std::vector<std::pair<std::string, std::string>> answers;
    std::string clipboard;
    for (std::size_t i = 3; i < args.size(); ++i) {
      if (args[i] == "--feld" && i + 1 < args.size() &&
          args[i + 1].find('=') != std::string::npos) {
        const std::string& given = args[++i];
        answers.emplace_back(given.substr(0, given.find('=')), given.substr(given.find('=') + 1));
      } else if (args[i] == "--zwischenablage" && i + 1 < args.size()) {
        clipboard = args[++i];
      } else {
        return Usage(err);
      }
    }
    if (const int code = check_file(); code != kOk) return code;
    const std::shared_ptr<const IniDocument> doc = entries.Snapshot(file);
    int number = 0;
    if (!ParseEntryNumber(args[2], number) || number > entries.CountEntries(file)) {
      number = doc ? EntryNamed(*doc, args[2]) : 0;
    }
    if (number == 0) {
      err << "Einen Eintrag " << Quoted(args[2]) << " gibt es nicht.\n";
      return kMissing;
    }
    const SnippetEntry entry = entries.EntryIn(*doc, number);
    const SnippetTemplate snippet =
        ParseSnippet(UnescapeStoredText(entry.text), LookupEntriesIn(doc, entries), entry.name);
    FieldValues values(snippet.fields.size());
    std::vector<bool> answered(snippet.fields.size());
    for (const auto& [name, given] : answers) {
      std::size_t i = 0;
      while (i < snippet.fields.size() && FoldCase(snippet.fields[i].name) != FoldCase(name)) ++i;
      if (i == snippet.fields.size()) {
        err << "Ein Feld " << Quoted(name) << " hat dieser Textbaustein nicht.\n";
        return kUsage;
      }
      if (!TakeAnswer(snippet.fields[i], given, values[i], err)) return kUsage;
      answered[i] = true;
    }
    std::string missing;
    for (std::size_t i = 0; i < snippet.fields.size(); ++i) {
      if (!answered[i]) missing += (missing.empty() ? "" : ", ") + snippet.fields[i].name;
    }
    if (!missing.empty()) {
      err << "Fehlende Felder: " << missing << "\n";
      return kUsage;
    }
    for (const std::string& problem : snippet.problems) err << problem << "\n";
    CLibraryClock system_clock;
    std::string text = FillSnippet(snippet, values, clipboard, clock ? *clock : system_clock, fs,
                                   ansi, FolderOf(file))
                           .text;
    std::replace(text.begin(), text.end(), '\r', '\n');
    out << text;
    return kOk;
  }

  if (command == "add" && args.size() >= 3) {
    SnippetEntry e;
    e.name = args[2];
    for (std::size_t i = 3; i < args.size(); ++i) {
      if (args[i] == "--title" && i + 1 < args.size()) {
        e.title = args[++i];
      } else if (args[i] == "--crypt") {
        e.crypt = 1;
      } else if (args[i] == "--dosbox") {
        e.dosbox = 1;
      } else {
        return Usage(err);
      }
    }
    if (IniDocument::AsReadBack(e.name).empty()) {
      // It would read back empty and so end the library before the entries after it.
      err << "Der Name ist leer.\n";
      return kUsage;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!IsValidUtf8(text)) {
      err << "Der Text auf der Standardeingabe ist kein gültiges UTF-8.\n";
      return kUsage;
    }
    e.text = EscapeStoredText(text);
    int number = 0;
    if (Status s = entries.AppendEntry(e, file, &number); !s) return Report(err, s);
    out << number << '\n';
    return kOk;
  }

  if (command == "get" && args.size() == 4) {
    if (const int code = check_file(); code != kOk) return code;
    std::optional<std::string> value = ini.Find(args[2], args[3], file);
    if (!value) {
      err << "Den Schlüssel \xE2\x80\x9E" << args[3] << "\xE2\x80\x9C im Abschnitt \xE2\x80\x9E"
          << args[2] << "\xE2\x80\x9C gibt es nicht.\n";
      return kMissing;
    }
    out << *value << '\n';
    return kOk;
  }

  if (command == "import" && args.size() >= 4) {
    const std::optional<LibraryFormat> format = LibraryFormatNamed(args[2]);
    if (!format) return Usage(err);
    OnConflict on_conflict = OnConflict::kAsk;
    if (args.size() == 6 && args[4] == "--on-conflict") {
      const std::string& how = args[5];
      if (how == "keep") on_conflict = OnConflict::kKeep;
      if (how == "replace") on_conflict = OnConflict::kReplace;
      if (how == "skip") on_conflict = OnConflict::kSkip;
      if (on_conflict == OnConflict::kAsk) return Usage(err);
    } else if (args.size() != 4) {
      return Usage(err);
    }
    // What a file expands to can pass the memory before any bound: told, not a crash.
    bool stored = false;
    try {
      ImportResult read;
      std::string message;
      switch (LoadLibraryFile(fs, args[3], *format, &read, &message, ReadEspansoMatches)) {
        case LoadFailure::kNone:
          break;
        case LoadFailure::kMissing:
          err << message << "\n";
          return kMissing;
        case LoadFailure::kUnreadable:
          err << message << "\n";
          return kFailed;
        case LoadFailure::kTooLarge:
        case LoadFailure::kBad:
          err << message << "\n";
          return kUsage;
      }
      ImportOutcome outcome;
      const Status s = ImportEntries(entries, read.entries, on_conflict, file, &outcome);
      stored = s.ok();
      read.notes.insert(read.notes.end(), outcome.notes.begin(), outcome.notes.end());
      for (const std::string& line : ImportReport(read.notes, outcome.conflicts)) {
        err << line << "\n";
      }
      if (!s) {
        if (on_conflict == OnConflict::kAsk && !outcome.conflicts.empty()) {
          err << s.message
              << " Es wurde nichts übernommen; wählen Sie mit --on-conflict keep, "
                 "replace oder skip, was mit ihnen geschehen soll.\n";
          return kUsage;
        }
        return Report(err, s);
      }
      err << outcome.added << " hinzugefügt, " << outcome.replaced << " ersetzt, "
          << outcome.skipped << " übersprungen.\n";
      return kOk;
    } catch (const std::bad_alloc&) {
      err << (stored
                  ? "Die Einträge wurden übernommen; für den Bericht reicht der Speicher nicht.\n"
                  : "Für diesen Import reicht der Speicher nicht; es wurde nichts übernommen.\n");
      return stored ? kFailed : kUsage;
    }
  }

  if (command == "export" && (args.size() == 4 || (args.size() == 5 && args[4] == "--decipher"))) {
    const std::optional<LibraryFormat> format = LibraryFormatNamed(args[2]);
    if (!format || !CanExportTo(*format)) return Usage(err);
    if (const int code = check_file(); code != kOk) return code;
    std::vector<ImportedEntry> chosen;
    ExportOutcome outcome;
    if (Status s = CollectEntries(entries, file, {}, args.size() == 5, &chosen, &outcome); !s) {
      return Report(err, s);
    }
    for (const std::string& line : ExportReport(outcome.notes)) err << line << "\n";
    if (ExportHitsLibrary(fs, args[3], file)) {
      err << "Die Datendatei selbst und ihre Sperrdatei können nicht das Ziel eines Exports "
             "sein.\n";
      return kUsage;
    }
    if (chosen.empty()) {
      err << "Es gibt nichts auszugeben; es wurde nichts geschrieben.\n";
      return kUsage;
    }
    if (Status s = fs.ReplaceAtomically(args[3], WriteLibrary(*format, chosen)); !s) {
      return Report(err, s);
    }
    err << outcome.written << " ausgegeben";
    if (outcome.left_out > 0) {
      err << ", " << outcome.left_out << " chiffrierte ausgelassen (mit --decipher entschlüsselt "
          << "ausgegeben)";
    }
    err << ".\n";
    return kOk;
  }

  if (command == "set" && args.size() == 5) {
    if (Status s = ini.WriteIniValue(args[2], args[3], args[4], file); !s) return Report(err, s);
    return kOk;
  }

  return Usage(err);
}

}  // namespace qm
