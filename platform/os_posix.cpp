// The platform services on Linux and other POSIX systems, for the command-line tools and tests.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/os.h"
#include "platform/portable_code_pages.h"

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

// A writer killed between writing its new version and renaming it leaves that version
// behind. No write takes a minute, so an older one of this file's is such a leftover.
void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  const time_t now = time(nullptr);
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string stale = dir + "/" + name;
    struct stat st;
    if (lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime + 60 < now) {
      unlink(stale.c_str());
    }
  }
  closedir(d);
}

class DirLock : public FileLock {
 public:
  explicit DirLock(int fd) : fd_(fd) {}
  ~DirLock() override {
    flock(fd_, LOCK_UN);
    close(fd_);
  }

 private:
  int fd_;
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
    std::string path = path_in;
    char resolved[PATH_MAX];
    if (realpath(path_in.c_str(), resolved)) path = resolved;

    struct stat old;
    const bool existed = stat(path.c_str(), &old) == 0;
    // No write bit at all is the read-only mark, even for a user whom access() would let pass.
    if (existed && (access(path.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)) {
      return Status::Fail("Die Datei \"" + path_in + "\" ist schreibgeschützt.");
    }
    const std::string dir = DirName(path);
    const std::string prefix = ".~" + path.substr(path.find_last_of('/') + 1) + ".";
    RemoveStaleTemporaries(dir, prefix);
    std::string tmp = dir + "/" + prefix + "XXXXXX";
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

  // The lock is taken on the folder, since the file itself is replaced by every write.
  std::unique_ptr<FileLock> LockForUpdate(const std::string& path_in, Status* why) override {
    // The folder the file really lies in, as ReplaceAtomically writes there: a link to the
    // file must not give its writers a lock of their own.
    std::string path = path_in;
    char resolved[PATH_MAX];
    if (realpath(path_in.c_str(), resolved)) path = resolved;
    const int fd = open(DirName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      if (why) *why = Status::Fail("Der Ordner der Datei \"" + path + "\" fehlt.");
      return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
        close(fd);
        if (why)
          *why = Status::Fail("Die Datei \"" + path +
                              "\" wird gerade von einem anderen Programm geändert.");
        return nullptr;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return std::make_unique<DirLock>(fd);
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

class PosixSystemInfo : public SystemInfo {
 public:
  OsVersion Version() override {
    OsVersion v;
    utsname u;
    if (uname(&u) == 0) {
      unsigned major = 0, minor = 0, build = 0;
      std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build);
      v.major = major;
      v.minor = minor;
      v.build = build;
    }
    return v;
  }

  std::string ExecutablePath() override {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeOsFileSystem() {
  return std::make_unique<PosixFileSystem>();
}
std::unique_ptr<CodePage> MakeOsAnsiCodePage() {
  return std::make_unique<Windows1252CodePage>();
}
std::unique_ptr<SystemInfo> MakeOsSystemInfo() {
  return std::make_unique<PosixSystemInfo>();
}

}  // namespace qm
