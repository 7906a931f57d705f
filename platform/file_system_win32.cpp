// The Win32 file system: attribute-based stamps, shared reads, writes that replace the file
// in one step, and update locks that hold between machines.
#include "platform/file_system_win32.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "platform/lock_wait.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

constexpr std::int64_t kEpochDelta100ns = 116444736000000000LL;  // 1601-01-01 to 1970-01-01

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

std::wstring FullPath(const std::wstring& path) {
  DWORD size = MAX_PATH;
  for (int tries = 0; tries < 4; ++tries) {
    std::wstring buf(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, buf.data(), nullptr);
    if (n == 0) return path;
    if (n < size) {
      buf.resize(n);
      return buf;
    }
    size = n + 1;
  }
  return path;
}

std::wstring FolderOf(const std::wstring& full) {
  const auto cut = full.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring(L".") : full.substr(0, cut);
}

std::wstring NameOf(const std::wstring& full) {
  const auto cut = full.find_last_of(L"\\/");
  return cut == std::wstring::npos ? full : full.substr(cut + 1);
}

// The file a path leads to, through symbolic links and junctions, so that a write changes
// the link's target and leaves the link a link. The path itself where nothing is there yet.
std::wstring FinalPath(const std::wstring& full) {
  HANDLE h = CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return full;
  std::wstring out(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n >= out.size()) {
    out.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  CloseHandle(h);
  if (n == 0 || n >= out.size()) return full;
  out.resize(n);
  return out;
}

// A final path as people write it, without the "\\?\" that the system puts in front.
std::string Shown(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return WideToUtf8(L"\\\\" + path.substr(8));
  return WideToUtf8(path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path);
}

// What a writer names its new version before putting it in place: "~<name>." then its
// process id, a counter and a tick count in hexadecimal, then ".tmp".
bool IsOwnTemporaryName(const std::wstring& found, const std::wstring& name) {
  const std::wstring head = L"~" + name + L".", tail = L".tmp";
  if (found.size() <= head.size() + tail.size() || found.compare(0, head.size(), head) != 0 ||
      found.compare(found.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  int dashes = 0;
  bool digit_before = false;
  for (std::size_t i = head.size(); i < found.size() - tail.size(); ++i) {
    const wchar_t ch = found[i];
    if (ch == L'-' && digit_before) {
      ++dashes;
      digit_before = false;
    } else if (std::iswxdigit(ch)) {
      digit_before = true;
    } else {
      return false;
    }
  }
  return dashes == 2 && digit_before;
}

// Every writer of a new version of `name` holds its update lock, so one found by the holder
// of the lock was left by a writer that died: removed whatever its time, which may come from
// another machine's clock. Only where the file itself is there: without it, a leftover may
// hold the only copy of the library.
void RemoveAbandonedTemporaries(const std::wstring& folder, const std::wstring& name) {
  if (GetFileAttributesW((folder + L"\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\~" + name + L".*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        IsOwnTemporaryName(found.cFileName, name)) {
      const std::wstring abandoned = folder + L"\\" + found.cFileName;
      SetFileAttributesW(abandoned.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(abandoned.c_str());
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

FileStamp StampOf(const std::wstring& path) {
  FileStamp s;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return s;
  }
  s.exists = true;
  s.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  s.modified_ns = FileTimeToUnixNs(data.ftLastWriteTime);
  // A file replaced by a rename is a new file with its own creation time (except where
  // tunnelling hands the old one on), so this catches replacements the write time misses.
  s.changed_ns = FileTimeToUnixNs(data.ftCreationTime);
  return s;
}

// Errors that another process holding the file open for a moment causes (a virus scanner,
// an indexer, a reader without delete sharing); they pass when retried.
bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// How long a read keeps trying after such an error or a network hiccup.
constexpr ULONGLONG kReadRetryMs = 400;

bool PassesOnRead(DWORD error) {
  return IsTransient(error) || error == ERROR_NETNAME_DELETED || error == ERROR_UNEXP_NET_ERR ||
         error == ERROR_SEM_TIMEOUT || error == ERROR_NETWORK_BUSY;
}

// The errors of a path whose drive, share or folder is not there, as opposed to a file
// missing in a folder that is (ERROR_FILE_NOT_FOUND).
bool IsOutOfReach(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_NET_RESP:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_REM_NOT_LIST:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_NO_NETWORK:
    case ERROR_NOT_CONNECTED:
    case ERROR_SEM_TIMEOUT:
      return true;
    default:
      return false;
  }
}

FileReach ReachAfter(DWORD error) {
  if (IsOutOfReach(error)) return FileReach::kFolderUnreachable;
  // A name that can never be opened is as good as missing.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME ||
      error == ERROR_FILENAME_EXCED_RANGE) {
    return FileReach::kMissing;
  }
  return FileReach::kUnreadable;
}

// One attempt at the whole file; `error` receives the reason of a failure.
std::optional<std::string> ReadOnce(const std::wstring& path, DWORD* error) {
  // Delete sharing lets a writer rename its new version over the file while we read.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return std::nullopt;
  }
  std::string out;
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
    out.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      *error = GetLastError();
      CloseHandle(h);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  return out;
}

// A file system (or a server) that has no replace of its own; the rename then serves.
bool RefusesReplace(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// A byte-range lock on the companion file: the file system enforces it for every machine
// that opens the file, and ends it with the process that held it.
class RangeLock : public FileLock {
 public:
  RangeLock(HANDLE file, Status may_write) : file_(file), may_write_(std::move(may_write)) {}
  // The lock belongs to the handle, not to a thread: any thread may end it.
  ~RangeLock() override {
    OVERLAPPED at{};
    UnlockFileEx(file_, 0, 1, 0, &at);
    CloseHandle(file_);
  }
  Status MayWrite() const override { return may_write_; }

 private:
  HANDLE file_;
  Status may_write_;
};

}  // namespace

std::string SystemErrorText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "Die Datei wurde nicht gefunden.";
    case ERROR_PATH_NOT_FOUND:
      return "Der Ordner wurde nicht gefunden.";
    case ERROR_ACCESS_DENIED:
      return "Zugriff verweigert.";
    case ERROR_SHARING_VIOLATION:
      return "Die Datei wird von einem anderen Programm verwendet.";
    case ERROR_LOCK_VIOLATION:
      return "Die Datei ist von einem anderen Programm gesperrt.";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "Der Datenträger ist voll.";
    case ERROR_WRITE_PROTECT:
      return "Der Datenträger ist schreibgeschützt.";
    case ERROR_INVALID_NAME:
      return "Der Dateiname ist ungültig.";
    case ERROR_FILENAME_EXCED_RANGE:
      return "Der Dateiname ist zu lang.";
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  DWORD n = FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                           reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n > 0 && text) {
    std::wstring w(text, n);
    while (!w.empty() && (w.back() == L' ' || w.back() == L'\r' || w.back() == L'\n')) {
      w.pop_back();
    }
    out = WideToUtf8(w);
  }
  if (text) LocalFree(text);
  const std::string number = "Systemfehler " + std::to_string(code);
  return out.empty() ? number + "." : out + " (" + number + ")";
}

std::int64_t FileTimeToUnixNs(const FILETIME& ft) {
  const std::int64_t t = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return (t - kEpochDelta100ns) * 100;
}

FILETIME UnixNsToFileTime(std::int64_t ns) {
  const auto t = static_cast<std::uint64_t>(ns / 100 + kEpochDelta100ns);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Win32FileSystem::Win32FileSystem(DWORD lock_quiet_ms, bool system_replace)
    : lock_quiet_ms_(lock_quiet_ms), system_replace_(system_replace) {}

FileStamp Win32FileSystem::Stat(const std::string& path) {
  if (path != stat_path_) {
    stat_wide_ = Utf8ToWide(path);
    stat_path_ = path;
  }
  return StampOf(stat_wide_);
}

std::optional<std::string> Win32FileSystem::ReadAll(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  const ULONGLONG start = GetTickCount64();
  for (DWORD pause = 10;; pause = std::min<DWORD>(pause * 2, 100)) {
    DWORD error = 0;
    if (std::optional<std::string> bytes = ReadOnce(wide, &error)) return bytes;
    if (!PassesOnRead(error) || GetTickCount64() - start + pause > kReadRetryMs) {
      return std::nullopt;
    }
    Sleep(pause);
  }
}

FileReach Win32FileSystem::Reach(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileReach::kMissing;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return FileReach::kThere;
    }
  }
  return ReachAfter(GetLastError());
}

Status Win32FileSystem::ReplaceAtomically(const std::string& path, const std::string& bytes) {
  const std::wstring target = FinalPath(FullPath(Utf8ToWide(path)));
  WIN32_FILE_ATTRIBUTE_DATA old;
  const bool existed = GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old) != 0;
  if (existed && (old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Status::Fail("\"" + path + "\" ist ein Ordner, keine Datei.");
  }
  if (existed && (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    return Status::Fail("Die Datei " + Quoted(path) + " ist schreibgeschützt.");
  }
  // The new version keeps the old one's hidden and system marks, also where the rename
  // has to serve instead of the replace.
  const DWORD keep = existed
                         ? (old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
                         : 0;

  static std::atomic<unsigned> counter{0};
  const std::wstring folder = FolderOf(target);
  std::wstring tmp;
  HANDLE h = INVALID_HANDLE_VALUE;
  DWORD error = 0;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    wchar_t suffix[64];
    std::swprintf(suffix, 64, L".%lx-%x-%x.tmp", GetCurrentProcessId(), counter.fetch_add(1),
                  GetTickCount());
    tmp = folder + L"\\~" + NameOf(target) + suffix;
    h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_ARCHIVE | keep, nullptr);
    error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (error != 0 && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    return Status::Fail("Die Datei " + Quoted(path) +
                        " kann nicht geschrieben werden: " + SystemErrorText(error));
  }
  auto fail = [&](const std::string& what, DWORD code) {
    CloseHandle(h);
    DeleteFileW(tmp.c_str());
    return Status::Fail("Die Datei " + Quoted(path) + what + SystemErrorText(code));
  };
  for (std::size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &n, nullptr) || n == 0) {
      return fail(" kann nicht geschrieben werden: ", GetLastError());
    }
    done += n;
  }
  // Readers that cache by write time must see each version as new, even when two writes
  // fall into one tick of the file system's clock.
  std::int64_t stamp = NowNs();
  if (existed) {
    const std::int64_t before = FileTimeToUnixNs(old.ftLastWriteTime);
    if (stamp <= before && before - stamp < 1'000'000'000) stamp = before + 100;
  }
  const FILETIME ft = UnixNsToFileTime(stamp);
  SetFileTime(h, nullptr, nullptr, &ft);
  if (!FlushFileBuffers(h)) return fail(" kann nicht gesichert werden: ", GetLastError());
  CloseHandle(h);

  // The replace keeps what makes the old file that file (its ACL, owner, attributes and
  // streams), which a rename would lose; the rename serves where there is no old file yet
  // or the file system has no replace.
  bool replace = existed && system_replace_;
  for (int attempt = 0;; ++attempt) {
    if (replace) {
      if (ReplaceFileW(target.c_str(), tmp.c_str(), nullptr, 0, nullptr, nullptr)) {
        return Status::Ok();
      }
      error = GetLastError();
      // The old file is gone (deleted meanwhile, or by a replace that failed half-way).
      if (RefusesReplace(error) || error == ERROR_FILE_NOT_FOUND ||
          GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        replace = false;
        continue;
      }
    } else if (MoveFileExW(tmp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return Status::Ok();
    } else {
      error = GetLastError();
    }
    if (!IsTransient(error) || attempt >= 10) break;
    // A read-only mark set meanwhile is no passing obstacle.
    const DWORD now_attrs = GetFileAttributesW(target.c_str());
    if (now_attrs != INVALID_FILE_ATTRIBUTES && (now_attrs & FILE_ATTRIBUTE_READONLY)) break;
    Sleep(10 + 10 * attempt);
  }
  if (existed && GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // The old file went with a replace that failed half-way: the new version is all there
    // is of it now, and stays for the user.
    return Status::Fail("Die Datei " + Quoted(path) + " kann nicht ersetzt werden: " +
                        SystemErrorText(error) + " Der neue Inhalt liegt in " +
                        Quoted(WideToUtf8(tmp)) + ".");
  }
  DeleteFileW(tmp.c_str());
  return Status::Fail("Die Datei " + Quoted(path) +
                      " kann nicht ersetzt werden: " + SystemErrorText(error));
}

std::unique_ptr<FileLock> Win32FileSystem::LockForUpdate(const std::string& path, Status* why) {
  // Beside the file the path leads to, so that every way to it shares one lock; never
  // removed, since a writer may hold it open at any moment.
  const std::wstring target = FinalPath(FullPath(Utf8ToWide(path)));
  const std::wstring lock_path = target + Utf8ToWide(kLockFileSuffix);
  // No delete sharing: a lock file deleted while held would let the next writer lock a new
  // one beside the holder.
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE h = CreateFileW(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  bool read_only = false;
  if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
    if (GetFileAttributesW(lock_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      // A folder where we may create no file (a library shared read-only): no new version
      // can go there either, so there is no write to guard, and a read under the lock must
      // work.
      return std::make_unique<FileLock>();
    }
    // A lock file we may not write still takes a lock for a read; not for a write, since
    // Wine (and so another machine) takes it as a shared one on a handle that cannot write.
    read_only = true;
    h = CreateFileW(lock_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  }
  if (h == INVALID_HANDLE_VALUE) {
    if (why) {
      *why = Status::Fail("Die Datei " + Quoted(path) +
                          " kann nicht gesperrt werden: " + SystemErrorText(error));
    }
    return nullptr;
  }
  LockWait wait;
  wait.try_lock = [&] {
    OVERLAPPED at{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      return LockAttempt::kTaken;
    }
    error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockAttempt::kBusy
                                                                       : LockAttempt::kFailed;
  };
  wait.stamp = [&] { return StampOf(target); };
  wait.now_ms = [] { return static_cast<std::int64_t>(GetTickCount64()); };
  wait.sleep = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
  wait.quiet_ms = lock_quiet_ms_;
  switch (WaitForLock(wait)) {
    case LockAttempt::kTaken:
      if (read_only) {
        return std::make_unique<RangeLock>(h, ReadOnlyLockStatus(path, Shown(lock_path)));
      }
      RemoveAbandonedTemporaries(FolderOf(target), NameOf(target));
      return std::make_unique<RangeLock>(h, Status::Ok());
    case LockAttempt::kBusy:
      CloseHandle(h);
      if (why) *why = BusyFileStatus(path);
      return nullptr;
    case LockAttempt::kFailed:
      break;
  }
  CloseHandle(h);
  if (why) {
    *why = Status::Fail("Die Datei " + Quoted(path) +
                        " kann nicht gesperrt werden: " + SystemErrorText(error));
  }
  return nullptr;
}

bool Win32FileSystem::AnyFileMatches(const std::string& pattern) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(Utf8ToWide(pattern).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    found = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  } while (!found && FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

bool Win32FileSystem::Delete(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(wide.c_str());
  if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  // Anything else (a file still pending deletion answers "access denied") is still there.
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::int64_t Win32FileSystem::NowNs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  return FileTimeToUnixNs(ft);
}

}  // namespace qm
