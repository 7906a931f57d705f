// The Win32 file system's update lock: a byte-range lock on a companion file, which holds
// between machines, and the leftovers of writers that died cleared by its holder.
#include <cwctype>
#include <memory>
#include <utility>

#include "platform/file_system_shared_win32.h"
#include "platform/file_system_win32.h"
#include "platform/lock_wait.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

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

}  // namespace qm
