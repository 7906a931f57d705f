// The file services that the data-file layer and the helpers need, as a seam to the OS.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/status.h"

namespace qm {

// What identifies one version of a file's content without reading it.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;  // last write, nanoseconds since the Unix epoch
  std::int64_t changed_ns = 0;   // status change where the OS has one, else 0
  std::uint64_t file_id = 0;     // inode or file index; a replaced file gets a new one

  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && modified_ns == o.modified_ns &&
           changed_ns == o.changed_ns && file_id == o.file_id;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// Whether a file can be had now, judged by trying its path.
enum class FileReach {
  kThere,              // there and readable
  kMissing,            // not there, in a folder that is
  kFolderUnreachable,  // its drive, share or folder is not there (not connected yet, dropped)
  kUnreadable,         // there, but cannot be read now (held by another program, refused)
};

// The update lock of a file is taken on a companion file of this suffix beside it, which a
// write never replaces; every program and machine that writes the file uses it.
inline constexpr const char* kLockFileSuffix = ".lock";

// Held while a read-modify-write of one file runs; other processes wait for it.
class FileLock {
 public:
  virtual ~FileLock() = default;
  // Whether the holder excludes every other writer, and so may write the file; a lock held
  // only beside others (its lock file may not be written) serves a read, and says why not.
  virtual Status MayWrite() const { return Status::Ok(); }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual FileStamp Stat(const std::string& path) = 0;
  // The whole file; nullopt when it cannot be opened or read. A failure that passes (another
  // program holding the file for a moment) is tried again for a few hundred milliseconds.
  virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
  // Tells a missing file from one out of reach or unreadable, by trying the path itself: a
  // drive that has just been connected may not be in the list of drives yet.
  virtual FileReach Reach(const std::string& path) {
    return Stat(path).exists ? FileReach::kThere : FileReach::kMissing;
  }
  // Writes a new file beside `path` and puts it in the old one's place, so that a reader
  // or a crash sees either the old or the new content, never a torn one. A link keeps
  // leading to the file, which keeps its permissions, owner and attributes. A writer of a
  // file that others write too holds its update lock meanwhile: the holder of the lock
  // removes new versions that writers left behind when they died.
  virtual Status ReplaceAtomically(const std::string& path, const std::string& bytes) = 0;
  // Excludes other processes, on this machine and on others that reach the file (and other
  // FileSystem users), from updating `path`. Null when the lock cannot be had; the message
  // then says why.
  virtual std::unique_ptr<FileLock> LockForUpdate(const std::string& path, Status* why) = 0;
  // True when an ordinary file (not a folder) matches; `pattern` may hold * and ? in its
  // last component.
  virtual bool AnyFileMatches(const std::string& pattern) = 0;
  // True when both paths lead to one file, through links, other names of its folder and
  // hard links; where a file's identity cannot be had (not there yet), when both paths are
  // one path once made absolute.
  virtual bool SameFile(const std::string& a, const std::string& b) { return a == b; }
  // Clears read-only and similar attributes, then deletes. False when it is still there.
  virtual bool Delete(const std::string& path) = 0;
  // Current time on the file system's clock, nanoseconds since the Unix epoch.
  virtual std::int64_t NowNs() = 0;
};

}  // namespace qm
