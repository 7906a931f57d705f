// "Importieren...", "Exportieren..." and "Eintrag exportieren...": the file dialogs, the
// question about entries the library has already, and the report, around the import and
// export of transfer/.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/file_dialogs.h"
#include "platform/file_system.h"
#include "store/entries.h"
#include "transfer/library_files.h"

namespace qm {

// The answer to the question about conflicts, for all of them at once.
enum class ConflictChoice { kCancel, kKeep, kReplace, kSkip };

// The program's own windows for the question and the report: a text the user can select and
// copy, one line each.
class TransferWindows {
 public:
  virtual ~TransferWindows() = default;
  virtual ConflictChoice AskConflicts(const std::string& question,
                                      const std::vector<std::string>& lines) = 0;
  virtual void ShowReport(const std::string& title, const std::string& summary,
                          const std::vector<std::string>& lines) = 0;
  // Runs `work` (an import's reading or storing) off the window thread and returns when it is
  // done, the windows and the keyboard hook alive meanwhile, the main window closed to input;
  // an exception of `work` comes out here. False when the program is ending meanwhile: then
  // nothing more is shown. Here: `work` runs at once.
  virtual bool RunApart(const std::function<void()>& work) {
    work();
    return true;
  }
};

struct TransferServices {
  EntryStore& entries;
  FileSystem& fs;
  Dialogs& dialogs;
  FileDialogs& files;
  TransferWindows& windows;
  // Reads espanso's files, whose reader lives apart (see transfer/espanso.h); null: refused.
  FormatReader yaml_reader = nullptr;
  // What an import reads and stores with in RunApart: services of its own, since the
  // program's keep state (a stat, a parsed file) that two threads must not share; null: `fs`
  // and `entries`.
  FileSystem* apart_fs = nullptr;
  EntryStore* apart_entries = nullptr;
};

// The file types of the import dialog, in the order ImportFormatOf counts them.
const std::vector<FileType>& ImportFileTypes();
// The file types of the export dialog: CSV, JSON.
const std::vector<FileType>& ExportFileTypes();

// The format of the file chosen with the import dialog's type `type`. With "Alle Dateien" the
// extension decides; a .json file is a Beeftext export when its top level holds "combos",
// else ours. nullopt when the extension names no format.
std::optional<LibraryFormat> ImportFormatOf(std::size_t type, const std::string& path,
                                            FileSystem& fs);

// "3 hinzugefügt, 1 ersetzt, 0 übergangen."
std::string ImportSummary(const ImportOutcome& outcome);

class LibraryTransfer {
 public:
  LibraryTransfer(const TransferServices& services, const std::string& data_file)
      : s_(services), data_file_(data_file) {}

  void SetAppTitle(std::string title) { app_title_ = std::move(title); }
  // Runs after an import has written the library, before its report shows: the lists follow.
  void SetLibraryChanged(std::function<void()> changed) { changed_ = std::move(changed); }
  // After an import: the first entry it added or replaced, to be selected.
  void SetSelectImported(std::function<void(int number, const std::string& name)> select) {
    select_ = std::move(select);
  }
  // Asked before an import whether the data file can hold the new values (it may offer to
  // make an ANSI file Unicode); false: nothing is imported.
  void SetEnsureStorable(std::function<bool(const std::vector<std::string>&)> ensure) {
    ensure_storable_ = std::move(ensure);
  }

  // Asks for a file and takes its entries into the library. True when the library changed.
  // While one import runs, a second one (or an export) does nothing; running too little memory
  // is told and ends it.
  bool Import();
  bool Busy() const { return busy_; }
  // Asks for a file and writes the whole library into it, or only `entry` (found where it
  // stands now, as the list may be older than the file).
  void Export(const std::optional<EntryKey>& entry = std::nullopt);

 private:
  bool ImportFile(bool* stored);
  void Tell(const std::string& text, MessageIcon icon);
  // The report window where there is more to say than the summary, else a message box.
  void Report(const std::string& title, const std::string& summary,
              const std::vector<std::string>& lines);

  TransferServices s_;
  const std::string& data_file_;
  std::string app_title_ = "Quillet";
  std::function<void()> changed_;
  std::function<void(int, const std::string&)> select_;
  std::function<bool(const std::vector<std::string>&)> ensure_storable_;
  bool busy_ = false;
};

// A file name made of an entry's name: characters no file name may hold become "_".
std::string FileNameOf(const std::string& name);

}  // namespace qm
