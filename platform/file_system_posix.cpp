// The file system on Linux and other POSIX systems, for the command-line tools and tests.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/lock_wait.h"
#include "platform/os.h"

namespace qm {
namespace {

std::int64_t ToNs(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The common causes in the language of the program's other messages.
std::string ErrnoText() {
  switch (errno) {
    case EACCES:
    case EPERM:
      return "Zugriff verweigert";
    case ENOENT:
      return "Ordner oder Datei nicht vorhanden";
    case ENOSPC:
      return "Datenträger voll";
    case EROFS:
      return "Datenträger schreibgeschützt";
    case EDQUOT:
      return "Speicherkontingent erschöpft";
    case EIO:
      return "Ein-/Ausgabefehler";
    default:
      return std::strerror(errno);
  }
}

std::string DirName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// What mkstemp makes of "<prefix>XXXXXX".
bool IsOwnTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

// Every writer of a new version holds the update lock, so one found by the holder of the
// lock was left by a writer that died: removed whatever its time, which may come from
// another machine's clock. Only where the file itself is there: without it, a leftover may
// hold the only copy of the library.
void RemoveAbandonedTemporaries(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  const std::string dir = DirName(path);
  const std::string prefix = ".~" + path.substr(path.find_last_of('/') + 1) + ".";
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    const std::string abandoned = dir + "/" + e->d_name;
    if (IsOwnTemporaryName(e->d_name, prefix) && lstat(abandoned.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      unlink(abandoned.c_str());
    }
  }
  closedir(d);
}

// The file a path leads to through symbolic links; the path itself where nothing is there.
std::string FinalPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The path from the root, through the links of its folder: "./a" and "/x/a" are one path.
std::string AbsolutePath(const std::string& path) {
  std::string folder = FinalPath(DirName(path));
  char cwd[PATH_MAX];
  if (folder[0] != '/' && getcwd(cwd, sizeof cwd)) folder = std::string(cwd) + "/" + folder;
  return folder + "/" + path.substr(path.find_last_of('/') + 1);
}

// An open-file-description lock on the first byte of the companion file: it conflicts with
// the byte-range locks that Wine's programs take there, holds between machines where the
// file system passes locks on (NFS, SMB), and ends with its process.
class RangeLock : public FileLock {
 public:
  RangeLock(int fd, Status may_write) : fd_(fd), may_write_(std::move(may_write)) {}
  ~RangeLock() override { close(fd_); }
  Status MayWrite() const override { return may_write_; }

 private:
  int fd_;
  Status may_write_;
};

class PosixFileSystem : public FileSystem {
 public:
  FileStamp Stat(const std::string& path) override {
    FileStamp s;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modified_ns = ToNs(st.st_mtim);
    s.changed_ns = ToNs(st.st_ctim);
    s.file_id = static_cast<std::uint64_t>(st.st_ino);
    return s;
  }

  std::optional<std::string> ReadAll(const std::string& path) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string out;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        close(fd);
        return std::nullopt;
      }
      if (n == 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return out;
  }

  FileReach Reach(const std::string& path) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0) {
      const bool file = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
      close(fd);
      return file ? FileReach::kThere : FileReach::kMissing;
    }
    switch (errno) {
      case ENOENT:
        // Missing in a folder that is there; otherwise the folder is what is missing.
        return stat(DirName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)
                   ? FileReach::kMissing
                   : FileReach::kFolderUnreachable;
      case ENOTDIR:
      case ENODEV:
      case ENXIO:
      case ESTALE:
      case ETIMEDOUT:
      case EHOSTDOWN:
      case EHOSTUNREACH:
      case ENETDOWN:
      case ENETUNREACH:
      case ENOMEDIUM:
        return FileReach::kFolderUnreachable;
      case ENAMETOOLONG:
        return FileReach::kMissing;
      default:
        return FileReach::kUnreadable;
    }
  }

  Status ReplaceAtomically(const std::string& path_in, const std::string& bytes) override {
    // Replace the file a symbolic link points to, not the link.
    const std::string path = FinalPath(path_in);

    struct stat old;
    const bool existed = stat(path.c_str(), &old) == 0;
    // No write bit at all is the read-only mark, even for a user whom access() would let pass.
    if (existed && (access(path.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)) {
      return Status::Fail("Die Datei \"" + path_in + "\" ist schreibgeschützt.");
    }
    std::string tmp =
        DirName(path) + "/.~" + path.substr(path.find_last_of('/') + 1) + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
      return Status::Fail("Die Datei \"" + path_in +
                          "\" kann nicht geschrieben werden: " + ErrnoText());
    }
    auto fail = [&](const std::string& what) {
      const std::string text = what + ErrnoText();
      close(fd);
      unlink(tmp.c_str());
      return Status::Fail(text);
    };
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, existed ? (old.st_mode & 07777) : (0666 & ~mask)) != 0) {
      return fail("Die Zugriffsrechte lassen sich nicht setzen: ");
    }
    // Owner and group stay where we may keep them (an administrator another's owner, an
    // owner a group of theirs); elsewhere the rights above serve.
    if (existed && fchown(fd, old.st_uid, old.st_gid) != 0) {
      const int group_kept = fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      static_cast<void>(group_kept);
    }
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return fail("Die Datei \"" + path_in + "\" kann nicht geschrieben werden: ");
      done += static_cast<std::size_t>(n);
    }
    if (fdatasync(fd) != 0)
      return fail("Die Datei \"" + path_in + "\" kann nicht gesichert werden: ");
    if (close(fd) != 0) {
      unlink(tmp.c_str());
      return Status::Fail("Die Datei \"" + path_in + "\" kann nicht geschrieben werden.");
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
      const std::string text = ErrnoText();
      unlink(tmp.c_str());
      return Status::Fail("Die Datei \"" + path_in + "\" kann nicht ersetzt werden: " + text);
    }
    return Status::Ok();
  }

  std::unique_ptr<FileLock> LockForUpdate(const std::string& path_in, Status* why) override {
    // Beside the file the path leads to, so that every way to it shares one lock; never
    // removed, since a writer may hold it open at any moment.
    const std::string path = FinalPath(path_in);
    const std::string lock_path = path + kLockFileSuffix;
    bool shared = false;
    int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      // Whoever may write the file may take its lock.
      struct stat st;
      const mode_t mask = umask(0);
      umask(mask);
      const mode_t mode = stat(path.c_str(), &st) == 0 ? (st.st_mode & 0666) : (0666 & ~mask);
      (void)fchmod(fd, mode);
    } else if (errno == EEXIST) {
      fd = open(lock_path.c_str(), O_RDWR | O_CLOEXEC);
      // Who may not write the lock file may not write the file either: reading under a
      // shared lock, which writers still exclude, is all such a user may do.
      if (fd < 0 && errno == EACCES && (fd = open(lock_path.c_str(), O_RDONLY | O_CLOEXEC)) >= 0) {
        shared = true;
      }
    } else if (errno == EACCES || errno == EROFS) {
      // A folder where we may create no file (a library shared read-only): no new version
      // can go there either, so there is no write to guard, and a read under the lock must
      // work.
      return std::make_unique<FileLock>();
    }
    if (fd < 0) {
      if (why) {
        *why = Status::Fail("Die Datei \"" + path_in + "\" kann nicht gesperrt werden: " +
                            ErrnoText());
      }
      return nullptr;
    }
    int error = 0;
    LockWait wait;
    wait.try_lock = [&] {
      struct flock range {};
      range.l_type = shared ? F_RDLCK : F_WRLCK;
      range.l_whence = SEEK_SET;
      range.l_start = 0;
      range.l_len = 1;
      if (fcntl(fd, F_OFD_SETLK, &range) == 0) return LockAttempt::kTaken;
      error = errno;
      return error == EAGAIN || error == EACCES || error == EINTR ? LockAttempt::kBusy
                                                                  : LockAttempt::kFailed;
    };
    wait.stamp = [&] { return Stat(path); };
    wait.now_ms = [] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now().time_since_epoch())
          .count();
    };
    wait.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    switch (WaitForLock(wait)) {
      case LockAttempt::kTaken:
        // Beside other holders, what looks abandoned may be a new version being written.
        if (shared) return std::make_unique<RangeLock>(fd, ReadOnlyLockStatus(path_in, lock_path));
        RemoveAbandonedTemporaries(path);
        return std::make_unique<RangeLock>(fd, Status::Ok());
      case LockAttempt::kBusy:
        close(fd);
        if (why) *why = BusyFileStatus(path_in);
        return nullptr;
      case LockAttempt::kFailed:
        break;
    }
    close(fd);
    errno = error;
    if (why) {
      *why =
          Status::Fail("Die Datei \"" + path_in + "\" kann nicht gesperrt werden: " + ErrnoText());
    }
    return nullptr;
  }

  bool AnyFileMatches(const std::string& pattern) override {
    const auto slash = pattern.find_last_of('/');
    const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (name.find_first_of("*?") == std::string::npos) return Stat(pattern).exists;
    const std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* e = readdir(d)) {
      if (fnmatch(name.c_str(), e->d_name, 0) == 0 && Stat(dir + "/" + e->d_name).exists) {
        found = true;
        break;
      }
    }
    closedir(d);
    return found;
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0) {
      return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return AbsolutePath(a) == AbsolutePath(b);
  }

  bool Delete(const std::string& path) override {
    unlink(path.c_str());
    return !Stat(path).exists;
  }

  std::int64_t NowNs() override {
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return ToNs(t);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeOsFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace qm
