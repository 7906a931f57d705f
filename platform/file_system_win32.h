// The Win32 file system behind the FileSystem seam.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace qm {

// A one-line German text for a Win32 error code, for messages to the user.
std::string SystemErrorText(DWORD code);

// 100-ns intervals since 1601 <-> nanoseconds since 1970.
std::int64_t FileTimeToUnixNs(const FILETIME& ft);
FILETIME UnixNsToFileTime(std::int64_t ns);

// True in a Windows program that Wine runs.
bool RunsUnderWine();

class Win32FileSystem : public FileSystem {
 public:
  // LockForUpdate gives up when the lock has been taken for `lock_quiet_ms` while the file
  // did not change. With `system_replace`, ReplaceAtomically puts a new version in place
  // with ReplaceFileW, which keeps the old file's ACL, owner, attributes and streams; else
  // with a rename. Wine's ReplaceFileW keeps none of them and leaves a moment without the
  // file, when a reader finds nothing and a killed writer leaves nothing: there the rename.
  explicit Win32FileSystem(DWORD lock_quiet_ms = 10000, bool system_replace = !RunsUnderWine());

  FileStamp Stat(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  FileReach Reach(const std::string& path) override;
  // In file_atomic_replace_win32.cpp.
  Status ReplaceAtomically(const std::string& path, const std::string& bytes) override;
  // In file_update_lock_win32.cpp.
  std::unique_ptr<FileLock> LockForUpdate(const std::string& path, Status* why) override;
  bool AnyFileMatches(const std::string& pattern) override;
  // In file_identity_win32.cpp.
  bool SameFile(const std::string& a, const std::string& b) override;
  bool Delete(const std::string& path) override;
  std::int64_t NowNs() override;

 private:
  DWORD lock_quiet_ms_;
  bool system_replace_;
  // Every read of a value stats its file; the conversion of the same path is kept.
  std::string stat_path_;
  std::wstring stat_wide_;
};

}  // namespace qm
