// An in-memory file system for tests, with a settable clock and injectable write failures.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace qm {

// Paths are compared exactly as given (no case folding, no normalising of separators).
class FakeFileSystem : public FileSystem {
 public:
  FileStamp Stat(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  FileReach Reach(const std::string& path) override;
  Status ReplaceAtomically(const std::string& path, const std::string& bytes) override;
  std::unique_ptr<FileLock> LockForUpdate(const std::string& path, Status* why) override;
  bool AnyFileMatches(const std::string& pattern) override;
  // Windows' view: one name through AddOtherName, or where one is not there, one path but
  // for letter case and the kind of slash.
  bool SameFile(const std::string& a, const std::string& b) override;
  bool Delete(const std::string& path) override;
  std::int64_t NowNs() override { return now_ns_; }

  // Creates or replaces a file as another program would: new file id, modified now.
  void SetFile(const std::string& path, const std::string& bytes);
  // Changes the content in place, keeping the file id, as an editor saving over it does.
  void WriteInPlace(const std::string& path, const std::string& bytes);
  void AddFolder(const std::string& path) { folders_.insert(path); }
  // `name` leads to the file `path` too, as a link, a mapped drive or a short name does;
  // only SameFile follows it.
  void AddOtherName(const std::string& name, const std::string& path) { other_names_[name] = path; }
  void SetReadOnly(const std::string& path, bool on);
  // The file exists but cannot be opened, as when another program holds it exclusively.
  void SetUnreadable(const std::string& path, bool on = true) { Mark(unreadable_, path, on); }
  // Everything under `folder` is out of reach, as on a drive or share not connected; its
  // files come back as they were.
  void SetUnreachable(const std::string& folder, bool on = true) { Mark(unreachable_, folder, on); }
  bool Exists(const std::string& path) const { return files_.count(path) != 0; }
  std::optional<std::string> Content(const std::string& path) const;
  std::set<std::string> FileNames() const;

  void SetNowNs(std::int64_t ns) { now_ns_ = ns; }
  void AdvanceNs(std::int64_t ns) { now_ns_ += ns; }
  // The next `count` calls of ReplaceAtomically fail without touching anything.
  void FailNextWrites(int count = 1) { failing_writes_ = count; }
  int WriteCount() const { return write_count_; }
  int LockCount() const { return lock_count_; }
  // Every Stat counts: each one is a round trip to the file system on the real one.
  int StatCount() const { return stat_count_; }

 private:
  struct File {
    std::string bytes;
    std::int64_t modified_ns = 0;
    std::uint64_t file_id = 0;
    bool read_only = false;
  };

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::map<std::string, std::string> other_names_;
  std::set<std::string> unreadable_;
  std::set<std::string> unreachable_;
  bool OutOfReach(const std::string& path) const;
  static void Mark(std::set<std::string>& marked, const std::string& path, bool on) {
    if (on) {
      marked.insert(path);
    } else {
      marked.erase(path);
    }
  }
  std::int64_t now_ns_ = 1'700'000'000'000'000'000;
  std::uint64_t next_id_ = 1;
  int failing_writes_ = 0;
  int write_count_ = 0;
  int lock_count_ = 0;
  int stat_count_ = 0;
};

// Matches * (any run) and ? (one byte) against a whole file name.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace qm
