// An in-memory file system for tests, with a settable clock and injectable write failures.
#include "tests/fakes/fake_file_system.h"

#include "text/utf.h"

namespace qm {
namespace {

class NoLock : public FileLock {};

std::pair<std::string, std::string> SplitFolder(const std::string& path) {
  const std::size_t sep = path.find_last_of("\\/");
  if (sep == std::string::npos) return {"", path};
  return {path.substr(0, sep + 1), path.substr(sep + 1)};
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  // Iterative matcher with one backtrack point: linear enough for test names.
  std::size_t p = 0, n = 0, star = std::string::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool FakeFileSystem::OutOfReach(const std::string& path) const {
  for (const std::string& folder : unreachable_) {
    if (path.compare(0, folder.size(), folder) == 0) return true;
  }
  return false;
}

FileStamp FakeFileSystem::Stat(const std::string& path) {
  ++stat_count_;
  FileStamp stamp;
  const auto it = files_.find(path);
  if (it == files_.end() || OutOfReach(path)) return stamp;
  stamp.exists = true;
  stamp.size = it->second.bytes.size();
  stamp.modified_ns = it->second.modified_ns;
  stamp.file_id = it->second.file_id;
  return stamp;
}

std::optional<std::string> FakeFileSystem::ReadAll(const std::string& path) {
  if (unreadable_.count(path) || OutOfReach(path)) return std::nullopt;
  return Content(path);
}

FileReach FakeFileSystem::Reach(const std::string& path) {
  if (OutOfReach(path)) return FileReach::kFolderUnreachable;
  if (!files_.count(path)) return FileReach::kMissing;
  return unreadable_.count(path) ? FileReach::kUnreadable : FileReach::kThere;
}

Status FakeFileSystem::ReplaceAtomically(const std::string& path, const std::string& bytes) {
  if (failing_writes_ > 0) {
    --failing_writes_;
    return Status::Fail("Die Datei „" + path + "“ konnte nicht geschrieben werden.");
  }
  if (folders_.count(path)) return Status::Fail("„" + path + "“ ist ein Ordner.");
  if (OutOfReach(path)) return Status::Fail("Der Ordner von „" + path + "“ fehlt.");
  const auto it = files_.find(path);
  if (it != files_.end() && it->second.read_only) {
    return Status::Fail("Die Datei „" + path + "“ ist schreibgeschützt.");
  }
  ++write_count_;
  SetFile(path, bytes);
  return Status::Ok();
}

std::unique_ptr<FileLock> FakeFileSystem::LockForUpdate(const std::string&, Status*) {
  ++lock_count_;
  return std::make_unique<NoLock>();
}

bool FakeFileSystem::AnyFileMatches(const std::string& pattern) {
  const auto [folder, name_pattern] = SplitFolder(pattern);
  for (const auto& entry : files_) {
    const auto [file_folder, name] = SplitFolder(entry.first);
    if (file_folder == folder && WildcardMatch(name_pattern, name)) return true;
  }
  return false;
}

bool FakeFileSystem::SameFile(const std::string& a, const std::string& b) {
  auto named = [&](const std::string& path) {
    const auto it = other_names_.find(path);
    return it == other_names_.end() ? path : it->second;
  };
  const std::string fa = named(a), fb = named(b);
  if (Exists(fa) && Exists(fb)) return fa == fb;
  auto plain = [](const std::string& path) {
    std::string out = FoldCase(path);
    for (char& c : out) c = c == '/' ? '\\' : c;
    return out;
  };
  return plain(fa) == plain(fb);
}

bool FakeFileSystem::Delete(const std::string& path) {
  files_.erase(path);
  return !folders_.count(path);
}

void FakeFileSystem::SetFile(const std::string& path, const std::string& bytes) {
  File& file = files_[path];
  file = File{bytes, now_ns_, next_id_++, false};
}

void FakeFileSystem::WriteInPlace(const std::string& path, const std::string& bytes) {
  File& file = files_[path];
  if (file.file_id == 0) file.file_id = next_id_++;
  file.bytes = bytes;
  file.modified_ns = now_ns_;
}

void FakeFileSystem::SetReadOnly(const std::string& path, bool on) {
  const auto it = files_.find(path);
  if (it != files_.end()) it->second.read_only = on;
}

std::optional<std::string> FakeFileSystem::Content(const std::string& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second.bytes;
}

std::set<std::string> FakeFileSystem::FileNames() const {
  std::set<std::string> names;
  for (const auto& entry : files_) names.insert(entry.first);
  return names;
}

}  // namespace qm
