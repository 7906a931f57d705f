// The INI primitives: read and write one value of a data file, as Windows' private-profile
// functions do, with a parse cache that never serves a stale file.
#include "store/ini_store.h"

#include <algorithm>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "text/utf.h"

namespace qm {
namespace {

// A file changed within this time of a read may change again without its size or time
// stamp showing it (coarse file-system clocks), so its content is compared as well.
constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string UnreadableFileText(const std::string& path, FileReach reach) {
  const std::string file = "Die Datendatei \xE2\x80\x9E" + path + "\xE2\x80\x9C";  // „ “
  if (reach == FileReach::kFolderUnreachable) {
    return file +
           " ist zurzeit nicht erreichbar (Laufwerk, Freigabe oder Ordner nicht "
           "verbunden).";
  }
  return file +
         " kann zurzeit nicht gelesen werden; vielleicht hält ein anderes Programm sie "
         "geöffnet.";
}

struct IniStore::Cached {
  FileStamp stamp;
  bool clean = false;  // the stamp alone proves the content unchanged
  // Shared with the snapshots handed out, which outlive the cache's replacing it.
  std::shared_ptr<const IniDocument> doc;
};

IniStore::IniStore(FileSystem& fs, const CodePage& ansi, Files files)
    : fs_(fs), ansi_(ansi), files_(files) {}
IniStore::~IniStore() = default;

bool IniStore::NewFilesAreUtf16() const {
  return files_ == Files::kSystem && ansi_.Id() == 65001;
}

// Read as UTF-8, a single-byte file's umlauts would show as U+FFFD, and a write of any value
// would store them as that. A file of plain ASCII comes from a single-byte system just as
// well (a library that has no umlaut yet): an umlaut written there as UTF-8 would read as
// two characters on the colleague's single-byte system, and theirs as U+FFFD here.
const CodePage& IniStore::CodePageOf(std::string_view bytes) const {
  const bool utf8 = bytes.empty() || (IsValidUtf8(bytes) && !IsAscii(bytes));
  return NewFilesAreUtf16() && !utf8 ? SingleByteCodePage(ansi_) : ansi_;
}

const std::string& IniStore::Resolve(std::string_view file) {
  if (!file.empty()) current_file_.assign(file);
  return current_file_;
}

std::shared_ptr<const IniDocument> IniStore::Load(const std::string& path) {
  last_reach_ = FileReach::kMissing;
  if (path.empty()) return nullptr;
  FileStamp stamp = fs_.Stat(path);
  if (!stamp.exists) {
    // There again at once: a program that takes no lock (a sync tool) was replacing it, or
    // the network faltered. Taken for missing, a write would put a file of nothing but its
    // own values in the library's place.
    const FileReach reach = fs_.Reach(path);
    if (reach == FileReach::kThere) stamp = fs_.Stat(path);
    if (!stamp.exists) {
      cache_.erase(path);
      last_reach_ = reach == FileReach::kThere ? FileReach::kUnreadable : reach;
      return nullptr;
    }
  }
  last_reach_ = FileReach::kThere;
  auto& slot = cache_[path];
  if (slot && slot->stamp == stamp && slot->clean) return slot->doc;

  const std::int64_t now = fs_.NowNs();
  std::optional<std::string> bytes = fs_.ReadAll(path);
  if (!bytes) {
    cache_.erase(path);
    // It was there a moment ago, so it is not missing now but being replaced.
    const FileReach reach = fs_.Reach(path);
    last_reach_ = reach == FileReach::kFolderUnreachable ? FileReach::kFolderUnreachable
                                                         : FileReach::kUnreadable;
    return nullptr;
  }
  if (!slot || slot->stamp != stamp || slot->doc->bytes() != *bytes) {
    const CodePage& code_page = CodePageOf(*bytes);
    auto doc = std::make_shared<const IniDocument>(std::move(*bytes), code_page);
    ++parse_count_;
    if (!slot) slot = std::make_unique<Cached>();
    slot->doc = std::move(doc);
    slot->stamp = stamp;
  }
  slot->clean = now - stamp.modified_ns >= kRacyWindowNs;
  return slot->doc;
}

std::shared_ptr<const IniDocument> IniStore::Snapshot(std::string_view file) {
  return Load(Resolve(file));
}

std::optional<std::string> IniStore::Find(std::string_view section, std::string_view key,
                                          std::string_view file) {
  const std::shared_ptr<const IniDocument> doc = Load(Resolve(file));
  if (!doc) return std::nullopt;
  return doc->Find(section, key);
}

std::string IniStore::ReadIniValue(std::string_view section, std::string_view key,
                                   std::string_view default_value, std::string_view file) {
  std::optional<std::string> value = Find(section, key, file);
  return value ? std::move(*value) : std::string(default_value);
}

Status IniStore::WriteIniValue(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file) {
  return WriteIniValues({IniWrite{std::string(section), std::string(key), std::string(value)}},
                        file);
}

Status IniStore::WriteIniValues(const std::vector<IniWrite>& writes, std::string_view file) {
  if (writes.empty()) {
    Resolve(file);
    return Status::Ok();
  }
  return UpdateIniValues(
      [&writes](const IniDocument&, std::vector<IniWrite>& planned) {
        planned = writes;
        return Status::Ok();
      },
      file);
}

Status IniStore::LockAndLoad(std::string_view file, LockedFile& out) {
  out.path = Resolve(file);
  if (out.path.empty()) return Status::Fail("Es ist keine Datendatei angegeben.");
  // The lock spans the whole read-modify-write, so that two writers never lose each other's
  // change; the file itself is replaced in one step, so that it is never torn.
  Status why;
  out.lock = fs_.LockForUpdate(out.path, &why);
  if (!out.lock) return why;
  // The cached parse serves when it is proven current; Load reads the file afresh otherwise.
  out.current = Load(out.path);
  // Only a file that is really missing is written as a new one.
  if (!out.current && last_reach_ != FileReach::kMissing) {
    return Status::Fail(UnreadableFileText(out.path, last_reach_));
  }
  return Status::Ok();
}

Status IniStore::UpdateIniValues(const WritePlan& plan, std::string_view file) {
  LockedFile locked;
  if (Status s = LockAndLoad(file, locked); !s) return s;
  const std::string& path = locked.path;
  const std::shared_ptr<const IniDocument>& current = locked.current;
  const IniDocument empty(std::string(), ansi_);
  const IniDocument* doc_in = current ? current.get() : &empty;
  std::vector<IniWrite> writes;
  if (Status s = plan(*doc_in, writes); !s) return s;
  if (writes.empty()) return Status::Ok();
  // A lock held beside other holders serves the read above, never a write.
  if (Status s = locked.lock->MayWrite(); !s) return s;
  std::string edited;
  if (Status s = doc_in->EditAll(writes, edited); !s) return s;
  auto doc = std::make_shared<const IniDocument>(std::move(edited), doc_in->code_page());
  ++parse_count_;
  std::string utf16;
  if (doc_in->bytes().empty() && NewFilesAreUtf16() && doc->ToUtf16File(utf16)) {
    doc = std::make_shared<const IniDocument>(std::move(utf16), ansi_);
  }
  if (Status s = fs_.ReplaceAtomically(path, doc->bytes()); !s) {
    cache_.erase(path);
    return s;
  }
  RememberWritten(path, std::move(doc));
  return Status::Ok();
}

void IniStore::RememberWritten(const std::string& path, std::shared_ptr<const IniDocument> doc) {
  auto slot = std::make_unique<Cached>();
  slot->stamp = fs_.Stat(path);
  slot->clean = false;  // just written: the next read compares the content once more
  slot->doc = std::move(doc);
  cache_[path] = std::move(slot);
}

// Older backups are the user's; a new one never takes their place.
std::string IniStore::FreeBackupName(const std::string& path) {
  std::string name = path + ".bak";
  for (int n = 2; fs_.Stat(name).exists; ++n) name = path + "(" + std::to_string(n) + ").bak";
  return name;
}

Status IniStore::ConvertToUtf16(std::string_view file, std::string* backup_path) {
  if (backup_path) backup_path->clear();
  // Under the lock no other writer can change the file between reading and replacing it.
  LockedFile locked;
  if (Status s = LockAndLoad(file, locked); !s) return s;
  const std::string& path = locked.path;
  const std::shared_ptr<const IniDocument>& current = locked.current;
  if (current && current->encoding() == IniEncoding::kUtf16Le) return Status::Ok();
  if (Status s = locked.lock->MayWrite(); !s) return s;

  const IniDocument empty(std::string(), ansi_);
  std::string converted;
  if (!(current ? *current : empty).ToUtf16File(converted)) {
    return Status::Fail("Die Datei \"" + path +
                        "\" enthält Bytes, die kein Text sind, und bleibt unverändert.");
  }
  std::string backup;
  if (current) {
    backup = FreeBackupName(path);
    if (Status s = fs_.ReplaceAtomically(backup, current->bytes()); !s) {
      return Status::Fail(
          "Die Sicherungskopie lässt sich nicht anlegen, die Datei bleibt unverändert. " +
          s.message);
    }
  }
  if (Status s = fs_.ReplaceAtomically(path, converted); !s) {
    // A copy of a file that was never converted would only mislead.
    if (!backup.empty()) fs_.Delete(backup);
    cache_.erase(path);
    return Status::Fail("Die Datei lässt sich nicht umwandeln und bleibt unverändert. " +
                        s.message);
  }
  RememberWritten(path, std::make_shared<const IniDocument>(std::move(converted), ansi_));
  ++parse_count_;
  if (backup_path) *backup_path = backup;
  return Status::Ok();
}

Status IniStore::CreateUnlessFilled(const std::string& file, const std::string& bytes) {
  Status why;
  const std::unique_ptr<FileLock> lock = fs_.LockForUpdate(file, &why);
  if (!lock) return why;
  if (const FileStamp stamp = fs_.Stat(file); stamp.exists && stamp.size > 0) return Status::Ok();
  if (Status s = lock->MayWrite(); !s) return s;
  std::string content = bytes;
  if (NewFilesAreUtf16()) IniDocument(bytes, CodePageOf(bytes)).ToUtf16File(content);
  cache_.erase(file);
  return fs_.ReplaceAtomically(file, content);
}

}  // namespace qm
