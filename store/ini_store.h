// The INI primitives: read and write one value of a data file, as Windows' private-profile
// functions do, with a parse cache that never serves a stale file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/status.h"
#include "store/ini_document.h"

namespace qm {

class IniStore {
 public:
  // What the files are: libraries and other files in the system's ANSI code page, or files
  // of the program's own that are in `ansi` whatever the system (the Linux settings).
  enum class Files { kSystem, kOwn };
  // `ansi` is the code page of files without a UTF-16LE byte-order mark. Where the system's
  // is UTF-8 (65001), a file that is not valid UTF-8, or of plain ASCII, was written on a
  // single-byte system and is read and edited as Windows-1252, and a new file starts as
  // UTF-16LE with a byte-order mark, which reads alike on every system.
  IniStore(FileSystem& fs, const CodePage& ansi, Files files = Files::kSystem);
  ~IniStore();

  // A non-empty `file` becomes the current INI file; an empty one uses the current file.
  std::string ReadIniValue(std::string_view section, std::string_view key,
                           std::string_view default_value, std::string_view file = {});
  // nullopt where ReadIniValue would give the default.
  std::optional<std::string> Find(std::string_view section, std::string_view key,
                                  std::string_view file = {});
  // The file as one read would see it now, for reading many values at the cost of one look
  // at the file: the values agree with each other even while another program writes the
  // file, and the snapshot stays valid after later writes. Null when the file is missing or
  // cannot be read; LastReach tells which. A non-empty `file` becomes the current INI file,
  // as with reads. The document builds its lookup tables on its first lookup, so one thread
  // at a time reads it.
  std::shared_ptr<const IniDocument> Snapshot(std::string_view file = {});
  Status WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file = {});
  // Several values in one update of the file: all of them or none are written, in order.
  Status WriteIniValues(const std::vector<IniWrite>& writes, std::string_view file = {});
  // Plans the writes from the file's content under the update lock, so that a decision
  // taken on that content (such as the next free entry number) cannot race another writer.
  // A plan that fails leaves the file as it was.
  using WritePlan =
      std::function<Status(const IniDocument& current, std::vector<IniWrite>& writes)>;
  Status UpdateIniValues(const WritePlan& plan, std::string_view file = {});

  // Rewrites an ANSI file as UTF-16LE with a byte-order mark, so that it can hold every
  // character; every value, comment and line break stays as it was. The old bytes are kept
  // beside it first, as "<file>.bak" or, where that is taken, "<file>(2).bak" and so on;
  // `backup_path` receives that name, or an empty one when nothing needed keeping (a file
  // that is UTF-16LE already, which stays untouched, or a missing one, which becomes a bare
  // byte-order mark). On failure the file is as it was. An empty `file` is the current one;
  // a non-empty one becomes current, as with reads.
  Status ConvertToUtf16(std::string_view file, std::string* backup_path);

  // How the latest look at a file went: kThere when it was read, else why it was not. A
  // file that cannot be read now is no empty one, and nothing may be written on its strength.
  FileReach LastReach() const { return last_reach_; }

  // Creates `file` with the content `bytes` (a copy of a sample, or nothing), under the
  // update lock, unless it holds something by then: another program's library stays as it
  // is. Where a new file starts as UTF-16LE, `bytes` become that. The current file stays.
  Status CreateUnlessFilled(const std::string& file, const std::string& bytes);

  const std::string& CurrentFile() const { return current_file_; }
  // How many times a file was parsed; lets tests see that an unchanged file is not.
  std::uint64_t ParseCount() const { return parse_count_; }

 private:
  struct Cached;
  std::shared_ptr<const IniDocument> Load(const std::string& path);
  // Caches what was just written, to be compared with the file once more on the next read.
  void RememberWritten(const std::string& path, std::shared_ptr<const IniDocument> doc);
  std::string FreeBackupName(const std::string& path);
  const CodePage& CodePageOf(std::string_view bytes) const;
  bool NewFilesAreUtf16() const;
  const std::string& Resolve(std::string_view file);
  // What a write works on: the file's name, its update lock, and the file as it is now (null
  // when it is missing).
  struct LockedFile {
    std::string path;
    std::unique_ptr<FileLock> lock;
    std::shared_ptr<const IniDocument> current;
  };
  // Fails when no file is named, the lock cannot be had, or the file is there but unreadable.
  Status LockAndLoad(std::string_view file, LockedFile& out);

  FileSystem& fs_;
  const CodePage& ansi_;
  Files files_;
  std::string current_file_;
  std::unordered_map<std::string, std::unique_ptr<Cached>> cache_;
  std::uint64_t parse_count_ = 0;
  FileReach last_reach_ = FileReach::kMissing;
};

// "Die Datendatei „<path>“ ist zurzeit nicht erreichbar (...)." and the like: why a file
// that is not missing could not be read.
std::string UnreadableFileText(const std::string& path, FileReach reach);

}  // namespace qm
